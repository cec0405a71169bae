#include "firmware/BootloaderClient.h"

#include "link/D2XXUnit.h"
#include "link/Hex.h"
#include "link/Transport.h"
#include "seams/Log.h"

#include <QScopedValueRollback>

#include <algorithm>

BootloaderClient::BootloaderClient(D2XXUnit& d2xx, Transport& transport, Log& log)
    : d2xx_(d2xx), transport_(transport), log_(log)
{
}

void BootloaderClient::selectSerialSettings(D2XXUnit& d2xx, bool bootloader)
{
    d2xx.baudRate = 115200;
    d2xx.wordLength = FtdiDriver::FT_BITS_8;
    d2xx.stopBits = FtdiDriver::FT_STOP_BITS_1;
    d2xx.parity = bootloader ? FtdiDriver::FT_PARITY_EVEN : FtdiDriver::FT_PARITY_NONE;
}

void BootloaderClient::useBootloaderSettings()
{
    selectSerialSettings(d2xx_, true);
    d2xx_.setDataCharacteristics();
}

void BootloaderClient::useNormalSettings()
{
    selectSerialSettings(d2xx_, false);
    d2xx_.setDataCharacteristics();
}

// ---------------------------------------------------------------- frames

QByteArray BootloaderClient::addressFrame(uint32_t address)
{
    QByteArray frame;
    uint8_t checksum = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto b = static_cast<uint8_t>(address >> shift);
        frame.append(char(b));
        checksum ^= b;
    }
    frame.append(char(checksum));
    return frame;
}

uint8_t BootloaderClient::blockChecksum(const QByteArray& data)
{
    auto checksum = static_cast<uint8_t>(data.size() - 1);
    for (const char c : data)
        checksum ^= static_cast<uint8_t>(c);
    return checksum;
}

QByteArray BootloaderClient::stampFrame(int version)
{
    const auto v = static_cast<uint8_t>(version);
    QByteArray frame(1, char(0x07));
    frame.append(QByteArray(7, '\0'));
    frame.append(char(v));
    frame.append(char(v ^ 0x07));
    return frame;
}

QByteArray BootloaderClient::stampBytes(int version)
{
    return stampFrame(version).mid(1, 8);
}

// ---------------------------------------------------------------- steps

bool BootloaderClient::write(const QByteArray& bytes)
{
    const uint32_t written = transport_.writeBytes(bytes);
    if (written == static_cast<uint32_t>(bytes.size()))
        return true;
    return fail(Failure::Kind::LinkLost, QStringLiteral("the write of %1 bytes").arg(bytes.size()));
}

bool BootloaderClient::fail(Failure::Kind kind, const QString& step, const QString& reply)
{
    failure_ = Failure{kind, step, reply};
    return false;
}

bool BootloaderClient::waitForAcknowledge(const QString& step, int timeoutMs)
{
    Transport::Wait wait = Transport::Wait::Bytes;
    const QString reply = transport_.readReplyByte(true, timeoutMs, &wait);
    return acknowledged(reply, step, wait);
}

bool BootloaderClient::acknowledged(const QString& reply, const QString& step, Transport::Wait wait)
{
    log_.appendDirect(QStringLiteral("received: ") + reply);
    if (isAck(reply)) {
        log_.appendDirect(QStringLiteral("ACK"));
        return true;
    }
    if (isNack(reply)) {
        log_.appendDirect(QStringLiteral("NOT ACK"));
        return fail(Failure::Kind::Nack, step, reply);
    }
    if (!reply.isEmpty())
        return fail(Failure::Kind::Unexpected, step, reply);
    return fail(wait == Transport::Wait::Failed ? Failure::Kind::LinkLost : Failure::Kind::NoReply, step);
}

BootloaderClient::Handshake BootloaderClient::handshake()
{
    const QScopedValueRollback<bool> greeting(inHandshake_, true);
    const Handshake result = greet();
    handshakeFailed_ = !result.ok;
    return result;
}

BootloaderClient::Handshake BootloaderClient::greet()
{
    clearFailure();
    useBootloaderSettings();
    // A late answer to an earlier command must not pass for the answer to this one.
    transport_.dropStaleBytes(QStringLiteral("the synchronisation"));
    Handshake result;
    if (!writeByte(kSync))
        return result;
    Transport::Wait wait = Transport::Wait::Bytes;
    result.reply = transport_.readReplyByte(true, kHandshakeTimeoutMs, &wait);
    if (isAck(result.reply)) {
        result.ok = true;
        return result;
    }
    if (!result.reply.isEmpty() || wait == Transport::Wait::Failed) {
        fail(wait == Transport::Wait::Failed ? Failure::Kind::LinkLost : Failure::Kind::Unexpected,
             QStringLiteral("the synchronisation"), result.reply);
        return result;
    }
    // Quiet: a bootloader synchronised before is now waiting for the
    // complement of a command 0x7F; one more 0x7F completes it and draws a NACK.
    log_.logLine(QStringLiteral("no answer to the synchronisation; asking once more, "
                                "in case the bootloader was synchronised before"));
    if (!writeByte(kSync))
        return result;
    const QString again = transport_.readReplyByte(true, kResyncTimeoutMs, &wait);
    if (isNack(again) || isAck(again)) {
        log_.logLine(QStringLiteral("the bootloader was already synchronised"));
        result.ok = true;
        result.reply = again; // the byte that came, for the console
        return result;
    }
    fail(again.isEmpty() ? (wait == Transport::Wait::Failed ? Failure::Kind::LinkLost : Failure::Kind::NoReply)
                         : Failure::Kind::Unexpected,
         QStringLiteral("the synchronisation"), again);
    return result;
}

bool BootloaderClient::sendWriteCommand(uint32_t address)
{
    log_.logLine(QStringLiteral("SEND WRITE COMMAND"));
    if (!writeByte(0x31) || !writeByte(0xCE) || !waitForAcknowledge(QStringLiteral("the write command")))
        return false;
    const QByteArray frame = addressFrame(address);
    logAddress(frame, address);
    return write(frame) && waitForAcknowledge(QStringLiteral("the address"));
}

void BootloaderClient::logAddress(const QByteArray& frame, uint32_t address)
{
    log_.logLine(QStringLiteral("SEND ADDRESS + CHECKSUM"));
    log_.logLine(QStringLiteral("Address: ") + Hex::hex(address, 8));
    log_.logLine(QStringLiteral("address checksum: ") + Hex::hex(static_cast<uint8_t>(frame.at(4)), 2));
}

bool BootloaderClient::readMemory(uint32_t address, int count, QByteArray& bytes)
{
    bytes.clear();
    log_.logLine(QStringLiteral("SEND READ COMMAND"));
    if (!write(QByteArray::fromRawData("\x11\xEE", 2)) || !waitForAcknowledge(QStringLiteral("the read command")))
        return false;
    const QByteArray frame = addressFrame(address);
    logAddress(frame, address);
    if (!write(frame) || !waitForAcknowledge(QStringLiteral("the read address")))
        return false;
    const auto n = static_cast<uint8_t>(count - 1);
    log_.logLine(QStringLiteral("N_byte: ") + Hex::hex(n, 2));
    QByteArray length(1, char(n));
    length.append(char(~n));
    if (!write(length))
        return false;
    // The ACK, then the bytes right behind it; a refusal is one byte alone.
    const int whole = count + 1;
    Transport::Wait wait = Transport::Wait::Bytes;
    const QByteArray reply = transport_.readBytes(
        [whole](const QByteArray& got) {
            return got.size() >= whole || (!got.isEmpty() && uint8_t(got.at(0)) != kAck);
        },
        kAckTimeoutMs, &wait);
    const QString step = QStringLiteral("the read of %1 bytes at %2").arg(count).arg(Hex::hex(address, 8));
    if (!acknowledged(reply.isEmpty() ? QString() : Hex::toHex(reply.left(1)), step, wait))
        return false;
    if (reply.size() < whole)
        return fail(wait == Transport::Wait::Failed ? Failure::Kind::LinkLost : Failure::Kind::NoReply, step);
    bytes = reply.mid(1, count);
    log_.logLine(QStringLiteral("num of bytes read back: ") + QString::number(bytes.size()));
    return true;
}

bool BootloaderClient::sendBlock(const QByteArray& data)
{
    log_.logLine(QStringLiteral("SEND N BYTE + DATA + CHECKSUM"));
    const auto n = static_cast<uint8_t>(data.size() - 1);
    log_.logLine(QStringLiteral("N_byte: ") + Hex::hex(n, 2));
    if (!writeByte(n))
        return false;
    log_.logLine(QStringLiteral("chunk size: ") + QString::number(data.size()));
    if (!write(data))
        return false;
    const uint8_t checksum = blockChecksum(data);
    log_.logLine(QStringLiteral("data checksum: ") + Hex::hex(checksum, 2));
    return writeByte(checksum) && waitForAcknowledge(QStringLiteral("the block"));
}

bool BootloaderClient::sendStamp(int version)
{
    const QByteArray frame = stampFrame(version);
    for (const char b : frame)
        if (!writeByte(static_cast<uint8_t>(b)))
            return false;
    return waitForAcknowledge(QStringLiteral("the version stamp"));
}

bool BootloaderClient::eraseAll()
{
    log_.appendDirect(QStringLiteral("Start Erase Command"));
    if (!write(QByteArray::fromRawData("\x43\xBC", 2)) || !waitForAcknowledge(QStringLiteral("the erase command")))
        return false;
    return write(QByteArray::fromRawData("\xFF\x00", 2))
        && waitForAcknowledge(QStringLiteral("the erase of the flash"), kEraseTimeoutMs);
}

bool BootloaderClient::go()
{
    log_.logLine(QString());
    log_.logLine(QStringLiteral("SEND GO COMMAND"));
    const uint32_t address = kFlashBase;
    if (!writeByte(0x21) || !writeByte(0xDE) || !waitForAcknowledge(QStringLiteral("the Go command")))
        return false;
    const QByteArray frame = addressFrame(address);
    logAddress(frame, address);
    for (const char b : frame)
        if (!writeByte(static_cast<uint8_t>(b)))
            return false;
    return waitForAcknowledge(QStringLiteral("the Go address"));
}
