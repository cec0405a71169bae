#include "virtualpedal/VirtualPedal.h"

#include "seams/Clock.h"

#include <algorithm>
#include <cstring>

namespace {
uint32_t listText(const char* text, char area[64])
{
    std::memset(area, 0, 64);
    std::strncpy(area, text, 63);
    return FtdiDriver::FT_OK;
}
} // namespace

VirtualPedal::VirtualPedal(Clock& clock)
    : clock_(clock), output_(queue_, line_, faults_), mcu_(model_, output_)
{
    mcu_.firmware().selectAlgorithm(15);
}

QString VirtualPedal::name() const
{
    return QStringLiteral("virtual");
}

FtdiDriver::Handle VirtualPedal::currentHandle() const
{
    // A new value for every open, so a handle kept from an earlier open is refused.
    return reinterpret_cast<Handle>(quintptr(0x51A00000u) + generation_);
}

uint32_t VirtualPedal::check(Handle handle) const
{
    if (!open_ || handle != currentHandle())
        return FT_INVALID_HANDLE;
    if (handleLost_)
        return FT_IO_ERROR;
    return FT_OK;
}

uint32_t VirtualPedal::listDeviceCount(uint32_t& count)
{
    count = plugged_ ? 1 : 0;
    return FT_OK;
}

uint32_t VirtualPedal::listSerialNumber(uint32_t index, char area[64])
{
    if (!plugged_ || index != 0)
        return FT_DEVICE_NOT_FOUND;
    return listText(kSerialNumber, area);
}

uint32_t VirtualPedal::listDescription(uint32_t index, char area[64])
{
    if (!plugged_ || index != 0)
        return FT_DEVICE_NOT_FOUND;
    return listText(kDescription, area);
}

uint32_t VirtualPedal::openBySerialNumber(const char* serial, Handle& handle)
{
    if (!plugged_ || !serial || std::strcmp(serial, kSerialNumber) != 0)
        return FT_DEVICE_NOT_FOUND;
    if (faults_.refuseOpen || open_)
        return FT_DEVICE_NOT_OPENED;
    ++generation_;
    open_ = true;
    handleLost_ = false;
    line_ = LineSettings{};
    queue_.clear();
    handle = currentHandle();
    return FT_OK;
}

uint32_t VirtualPedal::close(Handle handle)
{
    if (!open_ || handle != currentHandle())
        return FT_INVALID_HANDLE;
    open_ = false;
    handleLost_ = false;
    return FT_OK;
}

uint32_t VirtualPedal::read(Handle handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned)
{
    returned = 0;
    if (const uint32_t status = check(handle))
        return status;
    if (!buffer && toRead > 0)
        return FT_INVALID_PARAMETER;
    // D2XX without time-outs would block for the rest; the virtual device hands
    // over what is there, which is all the editor ever asks for.
    const QByteArray bytes = queue_.take(toRead, clock_.nowMs());
    if (!bytes.isEmpty())
        std::memcpy(buffer, bytes.constData(), static_cast<size_t>(bytes.size()));
    returned = static_cast<uint32_t>(bytes.size());
    return FT_OK;
}

uint32_t VirtualPedal::write(Handle handle, const uint8_t* buffer, uint32_t toWrite, uint32_t& written)
{
    written = 0;
    if (const uint32_t status = check(handle))
        return status;
    if (!buffer && toWrite > 0)
        return FT_INVALID_PARAMETER;
    const QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<int>(toWrite));
    const qint64 now = clock_.nowMs();
    const bool understood = mcu_.canRead(line_);
    writes_.append({now, bytes, understood, line_, mcu_.mode()});
    written = toWrite;
    if (bytes.isEmpty())
        return FT_OK;

    const double arrival = std::max<double>(now, inboundEndMs_) + output_.inboundMs(bytes.size());
    inboundEndMs_ = arrival;
    if (understood)
        mcu_.receive(bytes, arrival);
    else
        model_.unreadableBytes += bytes.size();
    // The bytes left the host before the cable came out; what follows fails.
    if (mcu_.takeUnplugRequest())
        unplug();
    return FT_OK;
}

uint32_t VirtualPedal::setBaudRate(Handle handle, uint32_t baud)
{
    if (const uint32_t status = check(handle))
        return status;
    if (baud < 183 || baud > 3000000)
        return FT_INVALID_BAUD_RATE;
    line_.baud = baud;
    lineEvents_.append({clock_.nowMs(), LineEvent::Kind::BaudRate, int(writes_.size()), line_});
    return FT_OK;
}

uint32_t VirtualPedal::setDataCharacteristics(Handle handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity)
{
    if (const uint32_t status = check(handle))
        return status;
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4)
        return FT_INVALID_PARAMETER;
    line_.wordLength = wordLength;
    line_.stopBits = stopBits;
    line_.parity = parity;
    lineEvents_.append({clock_.nowMs(), LineEvent::Kind::DataCharacteristics, int(writes_.size()), line_});
    return FT_OK;
}

uint32_t VirtualPedal::setLatencyTimer(Handle handle, uint8_t ms)
{
    if (const uint32_t status = check(handle))
        return status;
    if (ms < 1)
        return FT_INVALID_PARAMETER;
    latencyMs_ = ms;
    output_.setWireTimeModel(output_.wireTimeModel(), ms);
    return FT_OK;
}

uint32_t VirtualPedal::purge(Handle handle, uint32_t mask)
{
    if (const uint32_t status = check(handle))
        return status;
    // Writes reach the pedal at once, so there is never anything to purge on
    // the way out; the purge is recorded all the same.
    const qint64 now = clock_.nowMs();
    if (mask & FT_PURGE_RX) {
        queue_.dropAvailable(now);
        lineEvents_.append({now, LineEvent::Kind::PurgeReceive, int(writes_.size()), line_});
    }
    if (mask & FT_PURGE_TX)
        lineEvents_.append({now, LineEvent::Kind::PurgeTransmit, int(writes_.size()), line_});
    return FT_OK;
}

uint32_t VirtualPedal::queueStatus(Handle handle, uint32_t& rxBytes)
{
    if (const uint32_t status = check(handle))
        return status;
    rxBytes = queue_.available(clock_.nowMs());
    return FT_OK;
}

QByteArray VirtualPedal::writtenBytes() const
{
    QByteArray all;
    for (const Write& w : writes_)
        all += w.bytes;
    return all;
}

QStringList VirtualPedal::wireTrace(int fromMark) const
{
    QStringList out;
    auto lineWord = [](const LineEvent& e) -> QString {
        switch (e.kind) {
        case LineEvent::Kind::PurgeReceive:
            return QStringLiteral("purge RX");
        case LineEvent::Kind::PurgeTransmit:
            return QStringLiteral("purge TX");
        case LineEvent::Kind::BaudRate:
            return QStringLiteral("baud %1").arg(e.line.baud);
        case LineEvent::Kind::DataCharacteristics: {
            const char parity = "NOEMS"[e.line.parity <= 4 ? e.line.parity : 0];
            return QStringLiteral("line %1%2%3")
                .arg(e.line.wordLength)
                .arg(QLatin1Char(parity))
                .arg(e.line.stopBits == 2 ? 2 : 1);
        }
        }
        return QString();
    };
    int e = 0;
    for (int w = 0; w <= writes_.size(); ++w) {
        for (; e < lineEvents_.size() && lineEvents_.at(e).beforeWrite <= w; ++e)
            out << lineWord(lineEvents_.at(e));
        if (w < writes_.size())
            out << QStringLiteral("write ") + QString::fromLatin1(writes_.at(w).bytes.toHex().toUpper());
    }
    return out.mid(fromMark);
}

void VirtualPedal::sendUnasked(const QByteArray& bytes)
{
    output_.send(bytes, double(clock_.nowMs()));
}

void VirtualPedal::unplug()
{
    plugged_ = false;
    if (open_)
        handleLost_ = true;
    queue_.clear();
    inboundEndMs_ = 0;
}

void VirtualPedal::replug()
{
    if (plugged_)
        return;
    plugged_ = true;
    powerUp();
}

void VirtualPedal::powerCycle()
{
    queue_.clear();
    inboundEndMs_ = 0;
    powerUp();
}

void VirtualPedal::powerUp()
{
    // SHIFT decides at this moment, as the button does on the pedal.
    mcu_.reset();
}
