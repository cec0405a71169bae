#include "update/UpdateServer.h"

#include <QHostAddress>

// The build setting; empty unless the build names the maker's server.
#ifndef QUARNEL_BUILD_UPDATE_BASE_URL
#define QUARNEL_BUILD_UPDATE_BASE_URL ""
#endif

const QString UpdateServer::kEditorVersionPage = QStringLiteral("/download/quarnel-editor-version.php");
const QString UpdateServer::kUpdaterVersionPage = QStringLiteral("/download/update/Quarnel_Win_Updater_Version.php");
const QString UpdateServer::kUpdaterDownload = QStringLiteral("/download/update/Quarnel_Win_Updater.exe");
const QString UpdateServer::kWhatsNewPage = QStringLiteral("/download/update/whatsnew.html");
const QString UpdateServer::kSupportPage = QStringLiteral("/contact-us/");
const QString UpdateServer::kTroubleshootingPage = QStringLiteral("/quarnel-mk3-troubleshooting/");

UpdateServer UpdateServer::configured()
{
    const char* name = "QUARNEL_UPDATE_BASE_URL";
    return fromSettings(QString::fromUtf8(QUARNEL_BUILD_UPDATE_BASE_URL), qEnvironmentVariableIsSet(name),
                        qEnvironmentVariable(name));
}

UpdateServer UpdateServer::fromSettings(const QString& buildSetting, bool environmentSet,
                                        const QString& environmentValue)
{
    return UpdateServer(environmentSet ? environmentValue : buildSetting);
}

UpdateServer::UpdateServer(const QString& address)
{
    const QString text = address.trimmed();
    if (text.isEmpty()) {
        problem_ = QStringLiteral("Version check skipped: no update server is configured (QUARNEL_UPDATE_BASE_URL).");
        return;
    }
    const QUrl url(text, QUrl::StrictMode);
    // The pages are joined to the address, so it must be a plain server
    // address with at most a path, and one we are willing to talk to.
    const bool plain = url.isValid() && !url.host().isEmpty() && !url.hasQuery() && !url.hasFragment()
        && url.userInfo().isEmpty();
    if (!plain || !isAllowed(url)) {
        problem_ = QStringLiteral("Version check skipped: the update server address must be https:// "
                                  "or on this computer: ")
            + text;
        return;
    }
    base_ = url;
    QString path = base_.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    base_.setPath(path);
}

QUrl UpdateServer::url(const QString& path) const
{
    if (!isUsable())
        return QUrl();
    QUrl full = base_;
    full.setPath(base_.path() + path);
    return full;
}

bool UpdateServer::isLoopback(const QUrl& url)
{
    const QHostAddress host(url.host());
    return !host.isNull() && host.isLoopback();
}

bool UpdateServer::isAllowed(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    return scheme == QLatin1String("http") && isLoopback(url);
}
