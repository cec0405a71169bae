#include "link/Transport.h"

#include "link/D2XXUnit.h"
#include "link/Hex.h"
#include "link/ReplyDecoder.h"
#include "seams/Clock.h"
#include "seams/Log.h"

#include <QCoreApplication>

#include <algorithm>

namespace {
// What of a refused reply goes into the log: enough to see what came, not a
// whole buffer of garbage.
constexpr int kLoggedReplyBytes = 256;

QString trueFalse(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

Transport::Transport(D2XXUnit& d2xx, Clock& clock, Log& log) : d2xx_(d2xx), clock_(clock), log_(log) {}

void Transport::breathe()
{
    d2xx_.waitForData(1);
    clock_.idleMs(1);
}

// ---------------------------------------------------------------- sending

uint32_t Transport::sendHex(const QString& text, bool purgeTransmitFirst, int pauseMs)
{
    const int n = std::min<int>(static_cast<int>(text.size() / 2), D2XXUnit::kBufferSize);
    // Only what converted goes out: a stale tail of an older message never does.
    const int converted = Hex::hexToBytes(text, d2xx_.send_buffer(), n);
    if (purgeTransmitFirst)
        d2xx_.purgeTransmit();
    const uint32_t written = d2xx_.writeDevice(static_cast<uint32_t>(converted));
    if (pauseMs > 0)
        clock_.sleepMs(pauseMs);
    return written;
}

uint32_t Transport::writeBytes(const QByteArray& bytes)
{
    const int n = std::min<int>(static_cast<int>(bytes.size()), D2XXUnit::kBufferSize);
    std::copy_n(bytes.constData(), n, reinterpret_cast<char*>(d2xx_.send_buffer()));
    return d2xx_.writeDevice(static_cast<uint32_t>(n));
}

// ---------------------------------------------------------------- reading

Transport::Wait Transport::waitForQueuedBytes(int timeoutMs)
{
    const qint64 deadline = clock_.nowMs() + timeoutMs;
    for (;;) {
        QCoreApplication::processEvents();
        if (d2xx_.queryQueue() != FtdiDriver::FT_OK)
            return Wait::Failed;
        if (d2xx_.rxQueueCount > 0)
            return Wait::Bytes;
        if (clock_.nowMs() >= deadline)
            return Wait::TimedOut;
        breathe();
    }
}

int Transport::dropStaleBytes(const QString& before)
{
    D2XXUnit::QuietErrors quiet(d2xx_);
    int dropped = 0;
    while (d2xx_.queryQueue() == FtdiDriver::FT_OK && d2xx_.rxQueueCount > 0) {
        const uint32_t n = d2xx_.readDevice();
        if (n == 0)
            break;
        dropped += static_cast<int>(n);
    }
    if (dropped > 0)
        log_.logLine(QStringLiteral("%1 stray bytes dropped before %2").arg(dropped).arg(before));
    return dropped;
}

Transport::StatusReply Transport::readReply(int expectedValues)
{
    StatusReply reply;
    const qint64 deadline = clock_.nowMs() + kReplyTimeoutMs;
    const Wait wait = waitForQueuedBytes(kReplyTimeoutMs);
    if (wait != Wait::Bytes) {
        reply.queueFailed = wait == Wait::Failed;
        reply.error = wait == Wait::Failed ? QStringLiteral("the queue of the device cannot be read")
                                           : QStringLiteral("nothing arrived within %1 ms").arg(kReplyTimeoutMs);
        return reply;
    }
    d2xx_.purgeTransmit();

    // Read until the reply is whole by its own count of values, so neither a
    // pause inside it nor bytes right behind it (a late answer to an earlier
    // request) can cut or lengthen it.
    ReplyDecoder::Result decoded;
    for (;;) {
        QCoreApplication::processEvents();
        const uint32_t n = d2xx_.readDevice();
        if (n > 0) {
            const int room = D2XXUnit::kBufferSize - static_cast<int>(reply.received.size());
            reply.received.append(reinterpret_cast<const char*>(d2xx_.receive_buffer()),
                                  std::min<int>(static_cast<int>(n), room));
            decoded = ReplyDecoder::decode(reply.received, expectedValues);
            if (decoded.state != ReplyDecoder::State::Incomplete)
                break;
        } else if (clock_.nowMs() >= deadline) {
            break;
        } else {
            breathe();
        }
    }

    switch (decoded.state) {
    case ReplyDecoder::State::Whole:
        reply.outcome = StatusReply::Outcome::Whole;
        reply.values = decoded.values;
        received_bytes_array = decoded.values;
        break;
    case ReplyDecoder::State::Malformed:
        reply.outcome = StatusReply::Outcome::Malformed;
        reply.error = decoded.error;
        break;
    case ReplyDecoder::State::Incomplete:
        reply.outcome = StatusReply::Outcome::Short;
        reply.error = QStringLiteral("%1 values by the time limit, %2 expected")
                          .arg(decoded.values.size())
                          .arg(expectedValues);
        break;
    }

    log_.logLine(QStringLiteral("num of bytes received: ") + QString::number(decoded.values.size()));
    log_.logLine(QStringLiteral("received_bytes_array size: ") + QString::number(received_bytes_array.size()));
    if (reply.outcome == StatusReply::Outcome::Whole) {
        for (int k = 0; k < received_bytes_array.size(); ++k)
            log_.logLine(QString::number(k) + QStringLiteral(":    ")
                         + Hex::hex(static_cast<uint8_t>(received_bytes_array.at(k)), 2));
        const int extra = static_cast<int>(reply.received.size()) - decoded.consumed;
        if (extra > 0)
            log_.logLine(QStringLiteral("%1 bytes after the reply were dropped").arg(extra));
    } else {
        log_.logLine(QStringLiteral("the pedal's reply was not used: ") + reply.error);
        log_.logLine(QStringLiteral("%1 bytes arrived: ").arg(reply.received.size())
                     + Hex::toHex(reply.received.left(kLoggedReplyBytes))
                     + (reply.received.size() > kLoggedReplyBytes ? QStringLiteral("...") : QString()));
    }
    // After the decoded values, so a failing purge is logged where it happened.
    d2xx_.purgeReceive();
    return reply;
}

bool Transport::readAnswer(int timeoutMs, const std::function<void(const QByteArray&)>& onRead, bool* failed)
{
    const qint64 deadline = clock_.nowMs() + timeoutMs;
    const Wait wait = waitForQueuedBytes(timeoutMs);
    if (failed)
        *failed = wait == Wait::Failed;
    if (wait != Wait::Bytes)
        return false;

    qint64 lastData = clock_.nowMs();
    for (;;) {
        QCoreApplication::processEvents();
        const uint32_t n = d2xx_.readDevice();
        if (n > 0) {
            onRead(QByteArray(reinterpret_cast<const char*>(d2xx_.receive_buffer()), static_cast<int>(n)));
            lastData = clock_.nowMs();
        } else if (clock_.nowMs() - lastData >= kAnswerGapMs) {
            onRead(QByteArray());
            break;
        }
        // A pedal that never stops talking does not hold the window forever.
        if (clock_.nowMs() >= deadline)
            break;
        if (n == 0)
            breathe();
    }
    return true;
}

QString Transport::readReplyByte(bool firmwareUpgradeMode, int timeoutMs, Wait* wait)
{
    QString result;
    uint32_t total = 0;
    const Wait waited = waitForQueuedBytes(timeoutMs);
    if (wait)
        *wait = waited;
    if (waited == Wait::Bytes) {
        for (;;) {
            QCoreApplication::processEvents();
            const uint32_t n = d2xx_.readDevice();
            if (n == 0)
                break;
            total += n;
            result += Hex::toHex(d2xx_.receive_buffer(), static_cast<int>(n));
            if (!firmwareUpgradeMode)
                clock_.sleepMs(100);
        }
    } else {
        log_.logLine(QStringLiteral("no answer from the pedal"));
    }
    log_.logLine(QStringLiteral("num of bytes received: ") + QString::number(total));
    d2xx_.purgeReceive();
    log_.logLine(QStringLiteral("firmware_upgrade_mode: ") + trueFalse(firmwareUpgradeMode));
    if (firmwareUpgradeMode)
        result = result.left(2);
    return result;
}

QByteArray Transport::readBytes(const std::function<bool(const QByteArray&)>& whole, int timeoutMs, Wait* wait)
{
    QByteArray bytes;
    const qint64 deadline = clock_.nowMs() + timeoutMs;
    Wait waited = Wait::TimedOut;
    while (!whole(bytes)) {
        QCoreApplication::processEvents();
        if (d2xx_.queryQueue() != FtdiDriver::FT_OK) {
            waited = Wait::Failed;
            break;
        }
        if (d2xx_.rxQueueCount > 0) {
            const uint32_t n = d2xx_.readDevice();
            if (n > 0) {
                bytes.append(reinterpret_cast<const char*>(d2xx_.receive_buffer()), static_cast<int>(n));
                continue;
            }
        }
        if (clock_.nowMs() >= deadline)
            break;
        breathe();
    }
    if (whole(bytes))
        waited = Wait::Bytes;
    if (wait)
        *wait = waited;
    d2xx_.purgeReceive();
    return bytes;
}

QByteArray Transport::readUnsolicited(bool* failed)
{
    QByteArray bytes;
    d2xx_.reportErrors = false;
    const bool ok = d2xx_.queryQueue() == FtdiDriver::FT_OK;
    if (failed)
        *failed = !ok;
    if (ok) {
        const uint32_t n = d2xx_.readDevice();
        bytes = QByteArray(reinterpret_cast<const char*>(d2xx_.receive_buffer()), static_cast<int>(n));
    }
    d2xx_.reportErrors = true;
    return bytes;
}
