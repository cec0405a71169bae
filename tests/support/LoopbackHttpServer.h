#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// An HTTP server on 127.0.0.1 inside the test: answers GET requests from a
// table of paths (404 for any other) and records every path asked for. It
// runs on the test's own event loop, so it answers while the editor waits.
class LoopbackHttpServer {
public:
    enum class Mode {
        Whole,      // the answer as given
        Truncated,  // announces more bytes than it sends, then hangs up
        Silent,     // reads the request and never answers
    };
    struct Answer {
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        Mode mode = Mode::Whole;
        QByteArray location;  // sent as Location: when not empty
    };

    static Answer ok(const QByteArray& body) { return Answer{200, "OK", body, Mode::Whole, {}}; }
    static Answer status(int code, const QByteArray& reason) { return Answer{code, reason, reason, Mode::Whole, {}}; }
    static Answer truncated(const QByteArray& body) { return Answer{200, "OK", body, Mode::Truncated, {}}; }
    static Answer silent() { return Answer{200, "OK", {}, Mode::Silent, {}}; }

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool isListening() const { return server_.isListening(); }
    // "http://127.0.0.1:<port>"
    QString baseUrl() const;
    void serve(const QString& path, const Answer& answer) { answers_.insert(path, answer); }
    QStringList requests() const { return requests_; }

private:
    void take(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& head);

    QTcpServer server_;
    QHash<QString, Answer> answers_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QStringList requests_;
};
