#include "app/Editor.h"
#include "app/DesktopShell.h"
#include "app/FormMain.h"
#include "app/MainWindowFirst.h"
#include "app/QtDialogs.h"
#include "app/DriverChoice.h"
#include "link/FtdiDriver.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Places.h"
#include "seams/Shell.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {
void nameTheProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("quarnel-editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUARNEL_EDITOR_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("TERVO"));
}

// Reads the command line; --help and --version answer and end here, before
// any window system is needed.
bool wantsVirtualPedal(int argc, char* argv[])
{
    QCoreApplication probe(argc, argv);
    nameTheProgram();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for the Quarnel MK3 guitar pedal."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption virtualPedal(
        QStringLiteral("virtual-pedal"),
        QStringLiteral("Edit a pedal simulated in software instead of one on USB (to try the editor without a pedal)."));
    parser.addOption(virtualPedal);
    parser.process(probe);
    return parser.isSet(virtualPedal);
}
} // namespace

int main(int argc, char* argv[])
{
    const bool virtualPedal = wantsVirtualPedal(argc, argv);

    QApplication app(argc, argv);
    nameTheProgram();
    // No application display name: the platform would add it to every window's
    // caption ("Debug Console — Quarnel Editor"), and the captions are fixed.
    // The program's icon comes with the hidden windows, after the first paint.

    SystemClock clock;
    QtDialogs dialogs;
    DesktopShell shell;
    StandardPlaces places;
    Editor editor(Services{dialogs, clock, shell, places}, chooseDriver(virtualPedal, clock),
                  Editor::Windows::MainWindowFirst);
    // Only when the driver chosen is the virtual pedal.
    editor.formMain->addVirtualPedalMenu();
    MainWindowFirst startUp(editor);
    startUp.start();
    return QApplication::exec();
}
