// The bootloader client and a whole firmware write, against replies the
// fuzzer chooses, through the virtual pedal's driver. Either the pedal's own
// bootloader answers, with a fault of the fuzzer's choice and its answers'
// first bytes flipped at will, or every answer is the fuzzer's: bytes after
// any write, at any time, or the cable pulled.
//
// Whatever comes back, the write ends (the clock is virtual, so time limits
// pass at once) and reports success only when every step was acknowledged
// with 79. On the pedal's own bootloader, a success leaves the image and the
// stamp in its flash, even when acknowledges were changed on their way (the
// write reads back what it wrote), and a fault that must stop the write does.

#include "FuzzInput.h"
#include "PedalBehindLine.h"
#include "VirtualClock.h"

#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareWriter.h"
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "seams/Log.h"
#include "virtualpedal/VirtualPedal.h"

#include <cstring>
#include <deque>

namespace {


// The line in front of the pedal. Every receive purge ends one reply as the
// host took it (the client purges after each acknowledge it reads), so the
// replies list holds what each wait for an acknowledge saw.
class FuzzedLine final : public PedalBehindLine {
public:
    FuzzedLine(VirtualPedal& pedal, VirtualClock& clock, FuzzInput& script)
        : PedalBehindLine(pedal), clock_(clock), script_(script)
    {
    }

    bool scripted = false; // the fuzzer answers instead of the pedal
    bool armed = false;    // past the setup: answers may be changed
    bool changed = false;  // an answer's first byte was changed
    bool lied = false;     // ... into 79 from something else
    QList<QByteArray> replies;

    void startRecording()
    {
        replies.clear();
        current_.clear();
    }

    uint32_t write(Handle h, const uint8_t* b, uint32_t n, uint32_t& w) override
    {
        const uint32_t status = pedal_.write(h, b, n, w);
        if (!scripted || !armed || script_.empty())
            return status;
        // One answer per write: a gap, a length and the bytes; or the cable comes out.
        const uint8_t gap = script_.byte();
        if (gap == 0xFF) {
            pedal_.unplug();
            return status;
        }
        const int length = script_.byte() & 3;
        const QByteArray bytes = script_.bytes(size_t(length));
        if (!bytes.isEmpty())
            pieces_.push_back({clock_.nowMs() + 20 * qint64(gap), bytes});
        return status;
    }
    uint32_t read(Handle h, uint8_t* buffer, uint32_t toRead, uint32_t& returned) override
    {
        returned = 0;
        if (!scripted) {
            const uint32_t status = pedal_.read(h, buffer, toRead, returned);
            if (status == FT_OK && returned > 0) {
                if (armed && current_.isEmpty() && !script_.empty()) {
                    const uint8_t was = buffer[0];
                    buffer[0] ^= script_.byte();
                    changed = changed || buffer[0] != was;
                    lied = lied || (buffer[0] == BootloaderClient::kAck && was != BootloaderClient::kAck);
                }
                current_.append(reinterpret_cast<const char*>(buffer), int(returned));
            }
            return status;
        }
        uint32_t ignored = 0;
        if (const uint32_t status = pedal_.queueStatus(h, ignored))
            return status;
        while (!pieces_.empty() && pieces_.front().atMs <= clock_.nowMs() && returned < toRead) {
            Piece& p = pieces_.front();
            const uint32_t take = std::min<uint32_t>(toRead - returned, uint32_t(p.bytes.size()));
            std::memcpy(buffer + returned, p.bytes.constData(), take);
            current_.append(p.bytes.left(int(take)));
            returned += take;
            p.bytes.remove(0, int(take));
            if (p.bytes.isEmpty())
                pieces_.pop_front();
        }
        return FT_OK;
    }
    uint32_t queueStatus(Handle h, uint32_t& rx) override
    {
        const uint32_t status = pedal_.queueStatus(h, rx);
        if (!scripted || status != FT_OK)
            return status;
        rx = 0;
        for (const Piece& p : pieces_)
            if (p.atMs <= clock_.nowMs())
                rx += uint32_t(p.bytes.size());
        return FT_OK;
    }
    uint32_t purge(Handle h, uint32_t mask) override
    {
        const uint32_t status = pedal_.purge(h, mask);
        if (status == FT_OK && (mask & FT_PURGE_RX)) {
            if (scripted)
                while (!pieces_.empty() && pieces_.front().atMs <= clock_.nowMs())
                    pieces_.pop_front();
            replies.append(current_);
            current_.clear();
        }
        return status;
    }

private:
    struct Piece {
        qint64 atMs;
        QByteArray bytes;
    };
    VirtualClock& clock_;
    FuzzInput& script_;
    std::deque<Piece> pieces_;
    QByteArray current_;
};

// A program the pedal could start: the stack at the top of RAM and the reset
// handler just behind the vector table, then bytes of the fuzzer's pattern.
QByteArray image(int size, uint8_t pattern)
{
    QByteArray img(size, '\0');
    for (int i = 0; i < size; ++i)
        img[i] = char(pattern + i * 7);
    const uint32_t words[] = {FirmwareImage::kRamEnd, FirmwareImage::kFlashBase + 8u + 1u};
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 4; ++i)
            img[4 * w + i] = char(words[w] >> (8 * i));
    return img;
}

// The flash after a whole write: the blocks from its start, erased up to the
// stamp, the stamp, erased after it.
bool flashHolds(const QByteArray& flash, const QList<FirmwareImage::Chunk>& chunks, int version)
{
    QByteArray expected(FirmwareImage::kFlashSize, char(0xFF));
    for (const FirmwareImage::Chunk& c : chunks)
        expected.replace(int(c.address - FirmwareImage::kFlashBase), int(c.bytes.size()), c.bytes);
    const int stamp = int(FirmwareImage::kStampAddress - FirmwareImage::kFlashBase);
    expected.replace(stamp, 8, QByteArray(7, '\0') + char(uint8_t(version)));
    return flash == expected;
}

enum class Fault { None, Nack, NackAddress, Silent, Late, Unplug };

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const bool scripted = in.byte() & 1;
    const int imageSize = 10 + (in.byte() | (in.byte() & 3) << 8) % (4 * FirmwareImage::kChunkSize);
    const uint8_t pattern = in.byte();
    const int version = in.byte();

    VirtualClock clock;
    NullLog log;
    VirtualPedal pedal(clock);
    FuzzedLine line(pedal, clock, in);
    line.scripted = scripted;
    D2XXUnit d2xx(line, log);
    Transport transport(d2xx, clock, log);
    BootloaderClient client(d2xx, transport, log);
    FirmwareWriter writer(client, clock, log);

    pedal.setShiftHeld(true);
    pedal.powerCycle();
    BootloaderClient::selectSerialSettings(d2xx, true);
    d2xx.Open_USB_Device_By_Serial_Number(QString::fromLatin1(VirtualPedal::kSerialNumber));
    d2xx.setBaudRate();
    d2xx.setDataCharacteristics();

    const QByteArray img = image(imageSize, pattern);
    if (!FirmwareImage::check(img).isEmpty())
        __builtin_trap(); // the harness's own image must be a program
    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(img);
    const int count = int(chunks.size());

    Fault fault = Fault::None;
    int at = -1;
    int lateMs = 0;
    int delayMs = 0;
    int gapMs = -1;
    if (scripted) {
        line.armed = true;
        const BootloaderClient::Handshake h = client.handshake();
        if (h.ok && (line.replies.isEmpty() || line.replies.last().isEmpty()
                     || (uint8_t(line.replies.last().at(0)) != BootloaderClient::kAck
                         && uint8_t(line.replies.last().at(0)) != BootloaderClient::kNack)))
            __builtin_trap();
    } else {
        if (!client.handshake().ok)
            __builtin_trap(); // a fresh bootloader answers
        fault = Fault(in.byte() % 6);
        at = in.byte() % (count + 2); // count: the stamp's block; count + 1: none
        lateMs = 20 * in.byte();
        const uint8_t timing = in.byte();
        delayMs = 300 * (timing & 3);
        gapMs = 300 * ((timing >> 2) & 3) - 1;
        switch (fault) {
        case Fault::None: break;
        case Fault::Nack: pedal.setNackWrite(at); break;
        case Fault::NackAddress:
            pedal.setNackWriteAt(at < count ? chunks.at(at).address : FirmwareImage::kStampAddress + 256u * uint32_t(at - count));
            break;
        case Fault::Silent: pedal.setSilentFromWrite(at); break;
        case Fault::Late: pedal.setLateWrite(at, lateMs); break;
        case Fault::Unplug: pedal.setUnplugAtWrite(at); break;
        }
        pedal.setReplyDelay(delayMs);
        if (gapMs >= 0)
            pedal.setSplitReplies(gapMs);
        line.armed = true;
    }
    line.startRecording();

    const FirmwareWriter::Outcome outcome = writer.write(chunks, version, {});

    // Success only on an acknowledge, and nothing else, for every step: the
    // erase's two, three for each block and three for reading it back, three
    // for the stamp and three for reading it back.
    if (outcome.ok) {
        if (line.replies.size() != 2 + 6 * count + 6)
            __builtin_trap();
        for (const QByteArray& r : line.replies)
            if (r.isEmpty() || uint8_t(r.at(0)) != BootloaderClient::kAck)
                __builtin_trap();
    } else if (outcome.message.isEmpty()) {
        __builtin_trap();
    }

    if (!scripted && outcome.ok && !flashHolds(pedal.flash(), chunks, version))
        __builtin_trap();
    if (!scripted && !line.lied) {
        // A refusal, a silence or a pulled cable at one of the write's blocks stops it.
        const bool hits = at <= count;
        const bool stops = hits
                           && (fault == Fault::Nack || fault == Fault::NackAddress || fault == Fault::Silent
                               || fault == Fault::Unplug || (fault == Fault::Late && lateMs >= 1100));
        if (outcome.ok && stops)
            __builtin_trap();
        // A sound pedal whose answers all come within the time limit is written whole.
        const int lateness = delayMs + std::max(gapMs, 0) + ((fault == Fault::Late && hits) ? lateMs : 0);
        const bool sound = !line.changed && (fault == Fault::None || fault == Fault::Late || !hits);
        if (sound && lateness < 900 && !outcome.ok)
            __builtin_trap();
    }

    // Go, whatever the write did: it too must end, on any reply.
    client.go();
    return 0;
}
