#pragma once

#include <QString>
#include <QUrl>

// Where the maker's web server is, and the pages the editor asks of it. The
// host is not built in: it comes from the build setting QUARNEL_UPDATE_BASE_URL
// and the environment variable of the same name, which wins when it is set
// (set but empty turns the check off). Only https:// addresses are used, and
// addresses of this computer (127.0.0.0/8, ::1), which tests serve.
// Plain code.
class UpdateServer {
public:
    // Paths on the server.
    static const QString kEditorVersionPage;
    static const QString kUpdaterVersionPage;
    static const QString kUpdaterDownload;
    static const QString kWhatsNewPage;
    static const QString kSupportPage;
    static const QString kTroubleshootingPage;

    // The server as this program is configured: build setting and environment.
    static UpdateServer configured();
    // The same rule with its inputs given.
    static UpdateServer fromSettings(const QString& buildSetting, bool environmentSet,
                                     const QString& environmentValue);

    UpdateServer() = default;
    explicit UpdateServer(const QString& address);

    bool isUsable() const { return base_.isValid(); }
    // One log line saying why no request is made; empty when usable.
    QString problem() const { return problem_; }
    // The full address of a path on the server; invalid when not usable.
    QUrl url(const QString& path) const;

    // True for an https:// address, or any http(s) address of this computer.
    // Redirects are held to the same rule.
    static bool isAllowed(const QUrl& url);
    static bool isLoopback(const QUrl& url);

private:
    QUrl base_;
    QString problem_;
};
