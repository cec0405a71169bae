// CPU used while a status request waits for a pedal that stays silent: the
// whole wait, until its time limit, in per cent of one core (process CPU time
// over wall time). The baseline is the same wait's length asleep: 0 %.

#include "BenchSupport.h"

#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Log.h"
#include "virtualpedal/VirtualPedal.h"

#include <QCoreApplication>
#include <QElapsedTimer>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool tsv = wantsTsv(argc, argv);
    SystemClock clock;
    NullLog log;
    VirtualPedal pedal(clock);
    D2XXUnit d2xx(pedal, log);
    d2xx.Open_USB_Device_By_Serial_Number(QString::fromLatin1(VirtualPedal::kSerialNumber));
    d2xx.setBaudRate();
    d2xx.setDataCharacteristics();
    Transport transport(d2xx, clock, log);
    pedal.setSilent(true);

    transport.sendHex(QStringLiteral("0200"), true);
    QElapsedTimer wall;
    wall.start();
    const qint64 cpu0 = processCpuNs();
    const Transport::StatusReply reply = transport.readReply(107);
    const qint64 cpuNs = processCpuNs() - cpu0;
    const qint64 wallNs = wall.nsecsElapsed();
    if (reply.outcome != Transport::StatusReply::Outcome::NoAnswer) {
        std::fprintf(stderr, "bench_waitcpu: the silent pedal answered\n");
        return 1;
    }
    if (!tsv) {
        std::printf("a status request waiting on a silent pedal\n");
        figure(false, "", wallNs / 1e6, "ms", "wait (its time limit)");
        figure(false, "", cpuNs / 1e6, "ms", "CPU time used");
    }
    figure(tsv, "wait_cpu_percent", 100.0 * double(cpuNs) / double(wallNs), "%", "CPU while waiting (one core)");
    return 0;
}
