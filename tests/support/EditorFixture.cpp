#include "EditorFixture.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/PrintConsole.h"
#include "session/PedalSession.h"
#include "update/UpdateCheckHandler.h"
#include "status/Communication.h"
#include "virtualpedal/VirtualPedal.h"

#include <QDir>

EditorFixture::EditorFixture()
    : places(documents.path()), ownedPedal_(std::make_unique<VirtualPedal>(clock)), pedal_(ownedPedal_.get())
{
}

EditorFixture::~EditorFixture()
{
    editor_.reset();
}

void EditorFixture::start()
{
    if (editor_)
        return;
    editor_ = std::make_unique<Editor>(Services{dialogs, clock, shell, places}, std::move(ownedPedal_),
                                       mainWindowFirst ? Editor::Windows::MainWindowFirst : Editor::Windows::All);
    settle();
}

void EditorFixture::startWith(std::unique_ptr<FtdiDriver> driver)
{
    if (editor_)
        return;
    editor_ = std::make_unique<Editor>(Services{dialogs, clock, shell, places}, std::move(driver));
    settle();
}

void EditorFixture::restartEditor(std::unique_ptr<FtdiDriver> driver)
{
    Q_ASSERT(ownedPedal_);
    // As when the program ends, the system closes the device it held.
    if (editor_)
        editor_->session->unlink();
    editor_.reset();
    editor_ = std::make_unique<Editor>(Services{dialogs, clock, shell, places}, std::move(driver));
    settle();
}

void EditorFixture::settle()
{
    if (!webVersionCheck)
        editor_->updateCheck->TimerCheckWebVersion.stop();
}

void EditorFixture::startLinked()
{
    start();
    comm().scanAndLink();
}

FormMain& EditorFixture::main()
{
    return *editor_->formMain;
}

PedalSession& EditorFixture::session()
{
    return *editor_->session;
}

Communication& EditorFixture::comm()
{
    return *editor_->comm;
}

PrintConsole& EditorFixture::console()
{
    return *editor_->formPrint;
}

FXsettings& EditorFixture::fx()
{
    return *editor_->formFXsettings;
}

QString EditorFixture::filesPath(const QString& name) const
{
    return QDir(documents.path()).filePath(QStringLiteral("TERVO/Quarnel MK3/") + name);
}

QStringList EditorFixture::log() const
{
    return editor_ ? editor_->formPrint->lines() : QStringList();
}

QList<QByteArray> EditorFixture::writes() const
{
    QList<QByteArray> out;
    for (const auto& w : pedal_->writes())
        out.append(w.bytes);
    return out;
}
