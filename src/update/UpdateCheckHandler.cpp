#include "update/UpdateCheckHandler.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "files/TextFiles.h"
#include "seams/Dialogs.h"
#include "seams/Shell.h"
#include "update/NewVersionMsg.h"
#include "update/UpdateUpdaterUnit.h"
#include "update/UpdateVersion.h"
#include "update/WebRequest.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QScopedValueRollback>

namespace {
const QString kSettingsFile = QStringLiteral("ShowMessageVersionAtStartup.txt");
} // namespace

UpdateCheckHandler::UpdateCheckHandler(Editor& editor)
    : editor_(editor), setup_(UpdateSetup::forThisProgram(FunctionsUnit::editorVersion()))
{
}

UpdateCheckHandler::~UpdateCheckHandler() = default;

QNetworkAccessManager& UpdateCheckHandler::network()
{
    // Made on first use: most runs of the editor in tests never ask the web.
    if (!network_)
        network_ = std::make_unique<QNetworkAccessManager>();
    return *network_;
}

void UpdateCheckHandler::prepare()
{
    server_ = UpdateServer::configured();
    editor_.formMain->TimerCheckWebVersion.start();
}

void UpdateCheckHandler::TimerCheckWebVersionTimer()
{
    FormMain& main = *editor_.formMain;
    main.TimerCheckWebVersion.stop();
    if (!server_.isUsable()) {
        editor_.log().logLine(server_.problem());
        return;
    }
    if (busy_)
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    const WebRequest::Reply reply = WebRequest::get(network(), server_.url(UpdateServer::kEditorVersionPage),
                                                    setup_.pageLimits);
    if (reply.cancelled)
        return;
    if (!reply.ok()) {
        editor_.dialogs().information(&main, QStringLiteral("Error: ") + reply.failureText());
        return;
    }
    // White space and a line break around the number are not part of it; an
    // answer that is no version (a web page, a message) changes nothing.
    const QString newest = UpdateVersion::cleaned(QString::fromUtf8(reply.body));
    if (!UpdateVersion::isVersion(newest)) {
        editor_.dialogs().information(&main, QStringLiteral("Error: the server's version is not a version number"));
        return;
    }
    editor_.log().logLine(QStringLiteral("currentAppVersion: ") + setup_.editorVersion);
    editor_.log().logLine(QStringLiteral("newAppVersion: ") + newest);

    if (UpdateVersion::isNewer(newest, setup_.editorVersion)) {
        main.menuNewAppVersion()->setText(main.menuNewAppVersion()->text() + QLatin1Char(' ') + newest);
        if (editor_.functions->showUpdateMessage)
            editor_.formNewVersionMsg->showVersions(setup_.editorVersion, newest);
        main.setEnabledByName({QStringLiteral("menuUpdateNow")}, true);
    }
    else {
        main.menuNewAppVersion()->setText(QStringLiteral("No update available"));
        main.setEnabledByName({QStringLiteral("menuUpdateNow")}, false);
    }
}

void UpdateCheckHandler::menuInfoClick()
{
    editor_.log().logLine(QStringLiteral("current app version: ") + setup_.editorVersion);
}

void UpdateCheckHandler::menuSupportClick()
{
    openPage(UpdateServer::kSupportPage);
}

void UpdateCheckHandler::menuTroubleshootingClick()
{
    openPage(UpdateServer::kTroubleshootingPage);
}

void UpdateCheckHandler::menuUpdateNowClick()
{
    updateProcedure();
}

void UpdateCheckHandler::btnLaunchUpdateClick()
{
    updateProcedure();
}

void UpdateCheckHandler::btnSeeWhatsNewClick()
{
    openPage(UpdateServer::kWhatsNewPage);
}

void UpdateCheckHandler::menuShowUpdateMsgClick()
{
    // The item toggles itself; the new value counts from the next start.
    writeShowMessageFile(editor_.formMain->menuShowUpdateMsg()->isChecked());
}

void UpdateCheckHandler::CheckBox1Click(bool checked)
{
    // Unticking the box again takes the choice back, so the file says what the
    // box says when the window closes; the menu's check mark shows the same.
    writeShowMessageFile(!checked);
    editor_.formMain->menuShowUpdateMsg()->setChecked(!checked);
}

void UpdateCheckHandler::writeShowMessageFile(bool show)
{
    const QString path = editor_.functions->filesPath(kSettingsFile);
    if (!QFileInfo::exists(path))
        return;
    TextFiles::write(path, show ? QStringLiteral("YES") : QStringLiteral("NO"));
}

void UpdateCheckHandler::openPage(const QString& path)
{
    if (!server_.isUsable()) {
        editor_.dialogs().information(editor_.formMain,
                                      QStringLiteral("The maker's web pages are not configured in this build of "
                                                     "the editor (QUARNEL_UPDATE_BASE_URL)."));
        return;
    }
    editor_.shell().openUrl(server_.url(path).toString());
}

void UpdateCheckHandler::updateProcedure()
{
    if (busy_)
        return;
    // Where the editor comes from a package there is no updater to hand over
    // to: the what's-new page says where the new version is. (Without a server
    // the page says why nothing can be fetched.)
    if (!setup_.hasUpdater || !server_.isUsable()) {
        openPage(UpdateServer::kWhatsNewPage);
        return;
    }
    FormMain& main = *editor_.formMain;
    {
        // Busy from the question on: the new-version window stays clickable
        // while the question box is open.
        const QScopedValueRollback<bool> busy(busy_, true);
        if (!editor_.dialogs().askYesNo(&main, QStringLiteral("This action will update the Quarnel Editor to the "
                                                              "latest version. Do you want to continue?")))
            return;
        if (editor_.formUpdateUpdater->checkUpdater(server_, setup_, &main) == UpdaterCheck::Outcome::Stop)
            return;
        const QStringList paths = {QDir::toNativeSeparators(setup_.editorUpdatePath()),
                                   QDir::toNativeSeparators(setup_.programPath)};
        if (!editor_.shell().startProgram(QDir::toNativeSeparators(setup_.updaterPath()), paths, true))
            editor_.dialogs().information(&main,
                                          QStringLiteral("Failed to launch updater. Please run as administrator."));
    }
    // The updater replaces the editor's files, so the editor makes way for it.
    main.close();
}
