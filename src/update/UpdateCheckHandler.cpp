#include "update/UpdateCheckHandler.h"

#include "app/FunctionsUnit.h"
#include "files/TextFiles.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "seams/Shell.h"
#include "update/UpdateVersion.h"
#include "update/UpdateView.h"
#include "update/WebRequest.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QScopedValueRollback>

namespace {
const QString kSettingsFile = QStringLiteral("ShowMessageVersionAtStartup.txt");
} // namespace

UpdateCheckHandler::UpdateCheckHandler(FunctionsUnit& functions, Log& log, Dialogs& dialogs, Shell& shell)
    : functions_(functions), log_(log), dialogs_(dialogs), shell_(shell),
      setup_(UpdateSetup::forThisProgram(FunctionsUnit::editorVersion()))
{
    TimerCheckWebVersion.setObjectName(QStringLiteral("TimerCheckWebVersion"));
    TimerCheckWebVersion.setInterval(1000);
    connect(&TimerCheckWebVersion, &QTimer::timeout, this, &UpdateCheckHandler::TimerCheckWebVersionTimer);
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
    TimerCheckWebVersion.start();
}

void UpdateCheckHandler::TimerCheckWebVersionTimer()
{
    TimerCheckWebVersion.stop();
    if (!server_.isUsable()) {
        log_.logLine(server_.problem());
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
        dialogs_.information(nullptr, QStringLiteral("Error: ") + reply.failureText());
        return;
    }
    // White space and a line break around the number are not part of it; an
    // answer that is no version (a web page, a message) changes nothing.
    const QString newest = UpdateVersion::cleaned(QString::fromUtf8(reply.body));
    if (!UpdateVersion::isVersion(newest)) {
        dialogs_.information(nullptr, QStringLiteral("Error: the server's version is not a version number"));
        return;
    }
    log_.logLine(QStringLiteral("currentAppVersion: ") + setup_.editorVersion);
    log_.logLine(QStringLiteral("newAppVersion: ") + newest);

    if (!view_)
        return;
    if (UpdateVersion::isNewer(newest, setup_.editorVersion)) {
        view_->showNewVersion(newest);
        if (functions_.showUpdateMessage)
            view_->showNewVersionMessage(setup_.editorVersion, newest);
    } else {
        view_->showNoUpdate();
    }
}

void UpdateCheckHandler::menuInfoClick()
{
    log_.logLine(QStringLiteral("current app version: ") + setup_.editorVersion);
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

void UpdateCheckHandler::menuShowUpdateMsgClick(bool checked)
{
    // The item toggles itself; the new value counts from the next start.
    writeShowMessageFile(checked);
}

void UpdateCheckHandler::CheckBox1Click(bool checked)
{
    // Unticking the box again takes the choice back, so the file says what the
    // box says when the window closes; the menu's check mark shows the same.
    writeShowMessageFile(!checked);
    if (view_)
        view_->showUpdateMessageChoice(!checked);
}

void UpdateCheckHandler::writeShowMessageFile(bool show)
{
    const QString path = functions_.filesPath(kSettingsFile);
    if (!QFileInfo::exists(path))
        return;
    TextFiles::write(path, show ? QStringLiteral("YES") : QStringLiteral("NO"));
}

void UpdateCheckHandler::openPage(const QString& path)
{
    if (!server_.isUsable()) {
        dialogs_.information(nullptr, QStringLiteral("The maker's web pages are not configured in this build of "
                                                     "the editor (QUARNEL_UPDATE_BASE_URL)."));
        return;
    }
    shell_.openUrl(server_.url(path).toString());
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
    {
        // Busy from the question on: the new-version window stays clickable
        // while the question box is open.
        const QScopedValueRollback<bool> busy(busy_, true);
        if (!dialogs_.askYesNo(nullptr, QStringLiteral("This action will update the Quarnel Editor to the "
                                                       "latest version. Do you want to continue?")))
            return;
        if (!view_ || view_->checkUpdater(server_, setup_) == UpdaterCheck::Outcome::Stop)
            return;
        const QStringList paths = {QDir::toNativeSeparators(setup_.editorUpdatePath()),
                                   QDir::toNativeSeparators(setup_.programPath)};
        if (!shell_.startProgram(QDir::toNativeSeparators(setup_.updaterPath()), paths, true))
            dialogs_.information(nullptr, QStringLiteral("Failed to launch updater. Please run as administrator."));
    }
    // The updater replaces the editor's files, so the editor makes way for it.
    if (view_)
        view_->closeForUpdater();
}
