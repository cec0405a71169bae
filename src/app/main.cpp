#include "app/Editor.h"
#include "app/FormMain.h"
#include "link/DriverChoice.h"
#include "link/FtdiDriver.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Places.h"
#include "seams/Shell.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quarnel-editor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quarnel Editor"));
    QApplication::setApplicationVersion(QStringLiteral(QUARNEL_EDITOR_VERSION));
    QApplication::setOrganizationName(QStringLiteral("TERVO"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quarnel-editor.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for the Quarnel MK3 guitar pedal."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption virtualPedal(
        QStringLiteral("virtual-pedal"),
        QStringLiteral("Edit a pedal simulated in software instead of one on USB (to try the editor without a pedal)."));
    parser.addOption(virtualPedal);
    parser.process(app);

    SystemClock clock;
    QtDialogs dialogs;
    DesktopShell shell;
    StandardPlaces places;
    Editor editor(Services{dialogs, clock, shell, places}, chooseDriver(parser.isSet(virtualPedal), clock));
    editor.formMain->show();
    return QApplication::exec();
}
