#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;

// GET requests for the version check and the updater download. Each call
// waits for its reply in a local event loop, so the windows keep drawing and
// answering while it waits, and ends at its time limits. Plain code (Qt Core
// and Qt Network).
namespace WebRequest {

struct Limits {
    int stallMs = 5000;               // longest time without a byte from the server
    int totalMs = 20000;              // longest time for the whole request
    qint64 maxBytes = 64 * 1024;      // largest body taken
};

struct Reply {
    bool answered = false;   // the server answered with a status, whatever it was
    bool cancelled = false;  // the program is closing: show nothing, do nothing more
    int status = 0;
    QString statusText;
    QByteArray body;
    QString error;           // why there is no usable answer

    bool ok() const { return answered && status == 200; }
    // What went wrong, for "Error: " boxes: the status text of an answer
    // (its number when the server gave no text), otherwise the error.
    QString failureText() const;
};

// Fetches a page whole.
Reply get(QNetworkAccessManager& network, const QUrl& url, const Limits& limits);

struct Saved {
    bool ok = false;
    bool cancelled = false;  // the program is closing
    QString error;           // why nothing was saved
    qint64 bytes = 0;
};

// Fetches a file into path. The body goes to a temporary file beside path,
// which replaces path only when the server answered 200 with a body and every
// byte arrived and was written; otherwise path is left as it was.
Saved download(QNetworkAccessManager& network, const QUrl& url, const QString& path, const Limits& limits);

} // namespace WebRequest
