// Reply collection over a device that answers with whatever the fuzzer says,
// in pieces and at times of its choosing: the status reply, a bootloader's
// single byte, an answer of unknown length, and bytes sent unasked.

#include "FuzzInput.h"
#include "VirtualClock.h"

#include "link/D2XXUnit.h"
#include "link/FtdiDriver.h"
#include "link/Transport.h"
#include "seams/Log.h"

#include <cstring>
#include <deque>

namespace {


// A device whose answer arrives in pieces, each after a gap; the queue query
// may start failing (the cable pulled) after a number of calls.
class ScriptedDriver final : public FtdiDriver {
public:
    struct Piece {
        qint64 atMs;
        QByteArray bytes;
    };
    explicit ScriptedDriver(const Clock& clock) : clock_(clock) {}

    std::deque<Piece> pieces;
    int failQueueAfter = -1;

    QString name() const override { return QStringLiteral("scripted"); }
    uint32_t listDeviceCount(uint32_t& count) override
    {
        count = 1;
        return FT_OK;
    }
    uint32_t listSerialNumber(uint32_t, char area[64]) override
    {
        std::strcpy(area, "FUZZ");
        return FT_OK;
    }
    uint32_t listDescription(uint32_t, char area[64]) override
    {
        std::strcpy(area, "FUZZ");
        return FT_OK;
    }
    uint32_t openBySerialNumber(const char*, Handle& handle) override
    {
        handle = this;
        return FT_OK;
    }
    uint32_t close(Handle) override { return FT_OK; }
    uint32_t read(Handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned) override
    {
        returned = 0;
        while (!pieces.empty() && pieces.front().atMs <= clock_.nowMs() && returned < toRead) {
            Piece& p = pieces.front();
            const uint32_t n = std::min<uint32_t>(toRead - returned, uint32_t(p.bytes.size()));
            std::memcpy(buffer + returned, p.bytes.constData(), n);
            returned += n;
            p.bytes.remove(0, int(n));
            if (p.bytes.isEmpty())
                pieces.pop_front();
        }
        return FT_OK;
    }
    uint32_t write(Handle, const uint8_t*, uint32_t toWrite, uint32_t& written) override
    {
        written = toWrite;
        return FT_OK;
    }
    uint32_t setBaudRate(Handle, uint32_t) override { return FT_OK; }
    uint32_t setDataCharacteristics(Handle, uint8_t, uint8_t, uint8_t) override { return FT_OK; }
    uint32_t purge(Handle, uint32_t mask) override
    {
        if (mask & FT_PURGE_RX)
            while (!pieces.empty() && pieces.front().atMs <= clock_.nowMs())
                pieces.pop_front();
        return FT_OK;
    }
    uint32_t queueStatus(Handle, uint32_t& rxBytes) override
    {
        if (failQueueAfter == 0)
            return FT_IO_ERROR;
        if (failQueueAfter > 0)
            --failQueueAfter;
        rxBytes = 0;
        for (const Piece& p : pieces)
            if (p.atMs <= clock_.nowMs())
                rxBytes += uint32_t(p.bytes.size());
        return FT_OK;
    }

private:
    const Clock& clock_;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const uint8_t op = in.byte();
    const uint8_t failAfter = in.byte();
    const int expected = in.byte() + 1;

    VirtualClock clock;
    NullLog log;
    ScriptedDriver driver(clock);
    driver.failQueueAfter = failAfter < 16 ? failAfter * 8 : -1;
    D2XXUnit d2xx(driver, log);
    d2xx.Open_USB_Device_By_Serial_Number(QStringLiteral("FUZZ"));
    Transport transport(d2xx, clock, log);

    // Pieces: a gap in tens of milliseconds and a length, then the bytes.
    qint64 at = clock.nowMs();
    while (!in.empty()) {
        at += 10 * qint64(in.byte() & 0x7F);
        const int length = 1 + in.byte() * 4;
        driver.pieces.push_back({at, in.bytes(size_t(length))});
    }

    switch (op % 5) {
    case 0: {
        const QByteArray before = transport.received_bytes_array;
        const Transport::StatusReply r = transport.readReply(expected);
        if (r.outcome == Transport::StatusReply::Outcome::Whole) {
            if (transport.received_bytes_array.size() != expected)
                __builtin_trap();
        } else if (transport.received_bytes_array != before) {
            __builtin_trap(); // an unused reply must leave the values alone
        }
        break;
    }
    case 1: {
        const QString b = transport.readReplyByte(true);
        if (b.size() != 0 && b.size() != 2)
            __builtin_trap();
        break;
    }
    case 2: {
        qint64 total = 0;
        transport.readAnswer(2000, [&](const QByteArray& bytes) { total += bytes.size(); });
        if (total > 64 * 1024 * 1024)
            __builtin_trap();
        break;
    }
    case 3:
        transport.dropStaleBytes(QStringLiteral("fuzz"));
        break;
    default:
        clock.advance(100000);
        transport.readUnsolicited();
        break;
    }
    return 0;
}
