#include "LoopbackHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {
// A GET request's head is small; anything longer is not one of ours.
constexpr int kLongestHead = 16 * 1024;
} // namespace

LoopbackHttpServer::LoopbackHttpServer()
{
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection())
            take(socket);
    });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    server_.close();
    // The connections still open go first, quietly: their handlers use the
    // tables that are about to go.
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>()) {
        QObject::disconnect(socket, nullptr, nullptr, nullptr);
        delete socket;
    }
}

QString LoopbackHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort());
}

void LoopbackHttpServer::take(QTcpSocket* socket)
{
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
        pending_.remove(socket);
        socket->deleteLater();
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
        if (!pending_.contains(socket) && socket->property("answered").toBool()) {
            socket->readAll();
            return;
        }
        QByteArray& head = pending_[socket];
        head += socket->readAll();
        const int end = static_cast<int>(head.indexOf("\r\n\r\n"));
        if (end < 0) {
            if (head.size() > kLongestHead)
                socket->abort();
            return;
        }
        const QByteArray request = head.left(end);
        pending_.remove(socket);
        socket->setProperty("answered", true);
        answer(socket, request);
    });
}

void LoopbackHttpServer::answer(QTcpSocket* socket, const QByteArray& head)
{
    // "GET /path HTTP/1.1"
    const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
    const QString path = words.size() >= 2 ? QString::fromLatin1(words.at(1)) : QString();
    requests_.append(path);
    const Answer a = answers_.value(path, status(404, "Not Found"));
    if (a.mode == Mode::Silent)
        return;
    const qsizetype announced = a.mode == Mode::Truncated ? a.body.size() * 2 + 16 : a.body.size();
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(a.status) + ' ' + a.reason + "\r\n"
        + "Content-Type: application/octet-stream\r\n"
        + "Content-Length: " + QByteArray::number(announced) + "\r\n"
        + "Connection: close\r\n";
    if (!a.location.isEmpty())
        reply += "Location: " + a.location + "\r\n";
    reply += "\r\n" + a.body;
    socket->write(reply);
    socket->disconnectFromHost();
}
