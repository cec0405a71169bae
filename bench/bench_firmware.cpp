// How long the firmware upgrade of FIRMWARE_17 takes over a modelled FTDI
// bridge at 115200 baud, 8E1 (erase, every block written and read back, the
// stamp written and read back), against the wire time of every byte it sends
// and receives plus the flash's own erase and programming time, measured in
// the same run: once with
// the latency timer the editor sets (1 ms) and once as a bridge left at its
// factory 16 ms (an older D2XX library without FT_SetLatencyTimer). Time here
// is the virtual pedal's modelled time, so the figures do not depend on the
// machine; the editor's own processing time is printed beside them.

#include "BenchSupport.h"
#include "PedalBehindLine.h"
#include "data/DataItems.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareWriter.h"
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Log.h"
#include "virtualpedal/PedalBootloader.h"
#include "virtualpedal/VirtualPedal.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {
// Time moves when the code under measurement pauses or waits, as on the wire.
class ModelClock final : public Clock {
public:
    qint64 nowMs() const override { return now_; }
    void sleepMs(int ms) override { now_ += ms > 0 ? ms : 0; }
    void idleMs(int ms) override { now_ += ms > 0 ? ms : 0; }

private:
    qint64 now_ = 0;
};

// Counts what the host reads: every acknowledge and every byte read back.
class CountingLine final : public PedalBehindLine {
public:
    using PedalBehindLine::PedalBehindLine;
    uint32_t read(Handle h, uint8_t* buffer, uint32_t toRead, uint32_t& returned) override
    {
        const uint32_t status = pedal_.read(h, buffer, toRead, returned);
        received += returned;
        return status;
    }
    qint64 received = 0;
};

struct Run {
    qint64 upgradeMs = 0;
    double wireMs = 0;
    double flashMs = 0;
    qint64 cpuMs = 0;
    bool ok = false;
};

Run upgrade(const QByteArray& image, bool setLatencyTimer)
{
    ModelClock clock;
    VirtualPedal pedal(clock);
    pedal.setWireTimeModel(true, 16);
    pedal.setShiftHeld(true);
    pedal.powerCycle();
    NullLog log;
    CountingLine line(pedal);
    D2XXUnit d2xx(line, log);
    Transport transport(d2xx, clock, log);
    BootloaderClient client(d2xx, transport, log);

    d2xx.Open_USB_Device_By_Serial_Number(QString::fromLatin1(VirtualPedal::kSerialNumber));
    d2xx.setBaudRate();
    d2xx.setDataCharacteristics();
    if (setLatencyTimer)
        d2xx.setLatencyTimer();
    Run run;
    if (!client.handshake().ok)
        return run;

    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(image);
    pedal.clearWrites();
    line.received = 0;
    FirmwareWriter writer(client, clock, log);
    QElapsedTimer cpu;
    cpu.start();
    const qint64 start = clock.nowMs();
    run.ok = writer.write(chunks, 17, {}).ok;
    run.upgradeMs = clock.nowMs() - start;
    run.cpuMs = cpu.elapsed();

    const double msPerByte = 11 * 1000.0 / 115200; // start, 8 data, parity, stop
    run.wireMs = double(pedal.writtenBytes().size() + line.received) * msPerByte;
    // Erase all, then every half-word of the image and the stamp programmed.
    run.flashMs = PedalBootloader::kMassEraseMs
        + PedalBootloader::kHalfWordProgramMs * (image.size() / 2.0 + PedalModel::kStampSize / 2.0);
    return run;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool found = false;
    const QByteArray image = DataItems::bytes(QStringLiteral("FIRMWARE_17"), &found);
    if (!found) {
        std::fprintf(stderr, "FIRMWARE_17 is missing\n");
        return 1;
    }
    const Run fast = upgrade(image, true);
    const Run slow = upgrade(image, false);
    if (!fast.ok || !slow.ok) {
        std::fprintf(stderr, "an upgrade failed\n");
        return 1;
    }
    const double baseline = fast.wireMs + fast.flashMs;
    if (wantsTsv(argc, argv)) {
        figure(true, "firmware_wire_ratio", fast.upgradeMs / baseline, "ratio", "");
        return 0;
    }
    std::printf("firmware upgrade of FIRMWARE_17 (%lld bytes), 115200 baud 8E1, modelled FTDI latency timer\n",
                static_cast<long long>(image.size()));
    std::printf("  wire time %.0f ms + flash time %.0f ms = %.0f ms (baseline)\n", fast.wireMs, fast.flashMs,
                baseline);
    std::printf("  latency timer  1 ms: %6lld ms  = %.2f x baseline   (editor processing %lld ms)\n",
                static_cast<long long>(fast.upgradeMs), fast.upgradeMs / baseline, static_cast<long long>(fast.cpuMs));
    std::printf("  latency timer 16 ms: %6lld ms  = %.2f x baseline   (editor processing %lld ms)\n",
                static_cast<long long>(slow.upgradeMs), slow.upgradeMs / baseline, static_cast<long long>(slow.cpuMs));
    std::printf("  16 ms / 1 ms: %.2f\n", double(slow.upgradeMs) / double(fast.upgradeMs));
    return 0;
}
