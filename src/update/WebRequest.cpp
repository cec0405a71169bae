#include "update/WebRequest.h"

#include "update/UpdateServer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
constexpr int kMostRedirects = 5;

enum class End { Finished, TimedOut, Refused, TooManyRedirects, SinkStopped, Cancelled };

QNetworkReply* send(QNetworkAccessManager& network, const QUrl& url)
{
    // A request to this computer must not leave it through a proxy.
    if (UpdateServer::isLoopback(url))
        network.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("quarnel-editor/") + QStringLiteral(QUARNEL_EDITOR_VERSION));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    // Each redirect is checked against the same rule as the configured address.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMostRedirects);
    return network.get(request);
}

// A redirect loop ends in Qt 6.4 as a reply that "finished" without an error
// and without a final answer: its status is still the 100 it starts with.
bool endedInRedirects(const QNetworkReply* reply, int redirects)
{
    if (reply->error() == QNetworkReply::TooManyRedirectsError)
        return true;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    return redirects > 0 && status.isValid() && (code < 200 || (code >= 300 && code < 400));
}

// Waits for the reply while window events go on, handing every piece of the
// body to sink; sink returns false to stop the transfer.
End wait(QNetworkReply* reply, const WebRequest::Limits& limits, const std::function<bool(QNetworkReply*)>& sink)
{
    End end = End::Finished;
    const auto stop = [&end, reply](End why) {
        if (end == End::Finished)
            end = why;
        reply->abort();
    };
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(limits.stallMs);
    QTimer total;
    total.setSingleShot(true);
    total.setInterval(limits.totalMs);
    QObject::connect(&stall, &QTimer::timeout, reply, [&] { stop(End::TimedOut); });
    QObject::connect(&total, &QTimer::timeout, reply, [&] { stop(End::TimedOut); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &stall, [&stall] { stall.start(); });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        stall.start();
        if (end == End::Finished && !sink(reply))
            stop(End::SinkStopped);
    });
    int redirects = 0;
    QObject::connect(reply, &QNetworkReply::redirected, reply, [&](const QUrl& to) {
        if (++redirects > kMostRedirects)
            stop(End::TooManyRedirects);
        else if (UpdateServer::isAllowed(to))
            Q_EMIT reply->redirectAllowed();
        else
            stop(End::Refused);
    });

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    stall.start();
    total.start();
    if (!reply->isFinished())
        loop.exec();
    if (!reply->isFinished()) {
        // Only the end of the program ends every event loop before the reply.
        end = End::Cancelled;
        reply->abort();
    }
    if (end == End::Finished && endedInRedirects(reply, redirects))
        end = End::TooManyRedirects;
    if (end == End::Finished && reply->bytesAvailable() > 0 && !sink(reply))
        end = End::SinkStopped;
    return end;
}

int statusOf(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// Errors that only report the server's status (404, 500, ...): the answer
// itself arrived whole.
bool isStatusError(QNetworkReply::NetworkError error)
{
    const int code = static_cast<int>(error);
    return (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
}

QString endText(End end, const QNetworkReply* reply)
{
    switch (end) {
    case End::TimedOut:
        return QStringLiteral("the server did not answer in time");
    case End::Refused:
        return QStringLiteral("the server sent the request to an address that is not allowed");
    case End::TooManyRedirects:
        return QStringLiteral("the server redirected too often");
    case End::Cancelled:
        return QStringLiteral("cancelled");
    case End::SinkStopped:
    case End::Finished:
        break;
    }
    return reply->errorString();
}

struct DeleteReply {
    void operator()(QNetworkReply* reply) const { delete reply; }
};
} // namespace

namespace WebRequest {

QString Reply::failureText() const
{
    if (!answered)
        return error;
    return statusText.isEmpty() ? QString::number(status) : statusText;
}

Reply get(QNetworkAccessManager& network, const QUrl& url, const Limits& limits)
{
    Reply out;
    std::unique_ptr<QNetworkReply, DeleteReply> reply(send(network, url));
    bool tooLarge = false;
    const End end = wait(reply.get(), limits, [&](QNetworkReply* r) {
        out.body += r->readAll();
        tooLarge = out.body.size() > limits.maxBytes;
        return !tooLarge;
    });
    out.cancelled = end == End::Cancelled;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (end == End::Finished && status.isValid()
        && (reply->error() == QNetworkReply::NoError || isStatusError(reply->error()))) {
        out.answered = true;
        out.status = status.toInt();
        out.statusText = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return out;
    }
    out.body.clear();
    out.error = tooLarge ? QStringLiteral("the answer is larger than %1 bytes").arg(limits.maxBytes)
                         : endText(end, reply.get());
    return out;
}

Saved download(QNetworkAccessManager& network, const QUrl& url, const QString& path, const Limits& limits)
{
    Saved out;
    QSaveFile file(path);
    QString sinkError;
    std::unique_ptr<QNetworkReply, DeleteReply> reply(send(network, url));
    const End end = wait(reply.get(), limits, [&](QNetworkReply* r) {
        const QByteArray chunk = r->readAll();
        // Anything but the file itself (an error page) is read and dropped.
        if (statusOf(r) != 200)
            return true;
        if (!file.isOpen() && !file.open(QIODevice::WriteOnly)) {
            sinkError = file.errorString();
            return false;
        }
        if (out.bytes + chunk.size() > limits.maxBytes) {
            sinkError = QStringLiteral("the file is larger than %1 bytes").arg(limits.maxBytes);
            return false;
        }
        if (file.write(chunk) != chunk.size()) {
            sinkError = file.errorString();
            return false;
        }
        out.bytes += chunk.size();
        return true;
    });
    out.cancelled = end == End::Cancelled;

    const int status = statusOf(reply.get());
    if (end == End::SinkStopped)
        out.error = sinkError;
    else if (end != End::Finished)
        out.error = endText(end, reply.get());
    else if (reply->error() != QNetworkReply::NoError && !isStatusError(reply->error()))
        out.error = reply->errorString();
    else if (status != 200) {
        const QString text = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        out.error = QStringLiteral("the server answered %1 %2").arg(status).arg(text).trimmed();
    }
    else if (out.bytes == 0)
        out.error = QStringLiteral("the server sent an empty file");
    else if (!file.commit())
        out.error = file.errorString();
    else {
        out.ok = true;
        return out;
    }
    if (file.isOpen())
        file.cancelWriting();
    out.bytes = 0;
    return out;
}

} // namespace WebRequest
