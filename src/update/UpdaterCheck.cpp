#include "update/UpdaterCheck.h"

#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "seams/Shell.h"
#include "update/UpdateServer.h"
#include "update/UpdateSetup.h"
#include "update/UpdateVersion.h"
#include "update/WebRequest.h"

#include <QDir>
#include <QFileInfo>

UpdaterCheck::UpdaterCheck(Log& log, Dialogs& dialogs, Shell& shell) : log_(log), dialogs_(dialogs), shell_(shell)
{
}

UpdaterCheck::Outcome UpdaterCheck::run(QNetworkAccessManager& network, const UpdateServer& server,
                                        const UpdateSetup& setup, QWidget* parent)
{
    const WebRequest::Reply reply = WebRequest::get(network, server.url(UpdateServer::kUpdaterVersionPage),
                                                    setup.pageLimits);
    if (reply.cancelled)
        return Outcome::Stop;
    QString serverVersion;
    if (!reply.ok()) {
        dialogs_.information(parent, QStringLiteral("Error: ") + reply.failureText());
    }
    else {
        serverVersion = UpdateVersion::cleaned(QString::fromUtf8(reply.body));
        if (UpdateVersion::isVersion(serverVersion)) {
            log_.logLine(QStringLiteral("updater version on server: ") + serverVersion);
        }
        else {
            serverVersion.clear();
            dialogs_.information(parent, QStringLiteral("Error: the server's updater version is not a version number"));
        }
    }

    const bool localExists = QFileInfo(setup.updaterPath()).isFile();
    bool cancelled = false;
    if (!localExists) {
        log_.logLine(QStringLiteral("Local updater not found, proceed with download..."));
        if (!downloadUpdater(network, server, setup, parent, &cancelled))
            return Outcome::Stop;
        // The download is only ever taken in by the updater it replaces; with
        // none beside the editor, starting it by that name would fail and
        // the editor would end for nothing. The user is told where it is.
        const QString text = noUpdaterText(setup);
        log_.logLine(text);
        dialogs_.information(parent, text);
        return Outcome::Stop;
    }
    // Without the server's version we cannot tell whether the local updater
    // is good enough, so nothing is started.
    if (serverVersion.isEmpty())
        return Outcome::Stop;

    log_.logLine(QStringLiteral("local updater exists, check version..."));
    const QString localVersion = setup.fileVersion ? setup.fileVersion(setup.updaterPath()) : QString();
    log_.logLine(QStringLiteral("currentUpdaterVersion: ") + localVersion);
    log_.logLine(UpdateVersion::withoutPoints(serverVersion));
    log_.logLine(UpdateVersion::withoutPoints(localVersion));
    // An updater whose version cannot be read counts as older than any.
    if (UpdateVersion::isNewer(serverVersion, localVersion)) {
        log_.logLine(QStringLiteral("New version of the updater found on server, downloading the new updater..."));
        // A failed download keeps the updater we have; the hand-over goes on with it.
        if (downloadUpdater(network, server, setup, parent, &cancelled)) {
            dialogs_.information(parent,
                                 QStringLiteral("New updater downloaded! Click OK to proceed with the update."));
            // Started without parameters, the updater takes in the new copy of
            // itself. Whether this start worked shows when the editor hands
            // over to it.
            shell_.startProgram(QDir::toNativeSeparators(setup.updaterPath()), {}, true);
        }
        if (cancelled)
            return Outcome::Stop;
    }
    return Outcome::HandOver;
}

bool UpdaterCheck::downloadUpdater(QNetworkAccessManager& network, const UpdateServer& server,
                                   const UpdateSetup& setup, QWidget* parent, bool* cancelled)
{
    const WebRequest::Saved saved = WebRequest::download(network, server.url(UpdateServer::kUpdaterDownload),
                                                         setup.updaterDownloadPath(), setup.downloadLimits);
    *cancelled = saved.cancelled;
    if (saved.cancelled)
        return false;
    if (!saved.ok) {
        dialogs_.information(parent, QStringLiteral("Download failed: ") + saved.error);
        return false;
    }
    return true;
}

QString UpdaterCheck::noUpdaterText(const UpdateSetup& setup)
{
    return QStringLiteral("The new updater was downloaded to %1, but there is no updater "
                          "(Quarnel_Win_Updater.exe) beside the editor to install it, so the update stops here. "
                          "Rename the download to Quarnel_Win_Updater.exe, then choose Update Now again.")
        .arg(QDir::toNativeSeparators(setup.updaterDownloadPath()));
}
