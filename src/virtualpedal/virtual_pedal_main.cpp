// quarnel-virtual-pedal: the virtual pedal's firmware served on a real serial
// port or a pseudo-terminal, so that the editor's serial-port driver can be
// tried end to end through the operating system without a pedal.

#include "seams/Clock.h"
#include "virtualpedal/PedalFirmware.h"
#include "virtualpedal/PedalModel.h"
#include "virtualpedal/PedalWire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace {
void say(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

bool intOption(const QCommandLineParser& parser, const QCommandLineOption& option, int low, int high, int& value)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int v = parser.value(option).toInt(&ok);
    if (!ok || v < low || v > high) {
        say(QStringLiteral("--%1 wants a number from %2 to %3").arg(option.names().constFirst()).arg(low).arg(high));
        return false;
    }
    value = v;
    return true;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quarnel-virtual-pedal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUARNEL_EDITOR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Answers as a Quarnel MK3 pedal on a serial port or pseudo-terminal.\n"
                       "Make a pair with: socat -d -d pty,raw,echo=0 pty,raw,echo=0\n"
                       "serve one end, and start the editor with QUARNEL_SERIAL_PORT set to the other."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("port"),
                                 QStringLiteral("The serial port or pseudo-terminal to serve, e.g. /dev/pts/3."));
    const QCommandLineOption firmwareOption(QStringLiteral("firmware"),
                                            QStringLiteral("Firmware version the pedal reports (default 17)."),
                                            QStringLiteral("version"));
    const QCommandLineOption algorithmOption(QStringLiteral("algorithm"),
                                             QStringLiteral("Algorithm the pedal runs (default 15)."),
                                             QStringLiteral("version"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
                                         QStringLiteral("Answer every message this many milliseconds late."),
                                         QStringLiteral("ms"));
    parser.addOption(firmwareOption);
    parser.addOption(algorithmOption);
    parser.addOption(delayOption);
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    if (args.size() != 1) {
        say(QStringLiteral("Name one port to serve; see --help."));
        return 1;
    }
    int firmware = 17;
    int algorithm = 15;
    int delay = 0;
    if (!intOption(parser, firmwareOption, 0, 255, firmware) || !intOption(parser, algorithmOption, 0, 9999, algorithm) ||
        !intOption(parser, delayOption, 0, 600000, delay))
        return 1;

    SystemClock clock;
    PedalModel model;
    PedalFaults faults;
    faults.delayMs = delay;
    // The pedal's own side of the line never changes: the firmware runs 115200 8N1.
    LineSettings line;
    line.baud = 115200;
    WireQueue queue;
    PedalOutput output(queue, line, faults);
    PedalFirmware pedal(model, output);
    pedal.selectAlgorithm(algorithm);
    model.firmwareVersion = static_cast<uint8_t>(firmware);

    QSerialPort port;
    port.setPortName(args.constFirst());
    port.setBaudRate(115200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        say(QStringLiteral("Cannot open %1: %2").arg(args.constFirst(), port.errorString()));
        return 1;
    }

    // Answers leave when their wire time has come; the timer wakes for the next one.
    QTimer sender;
    sender.setSingleShot(true);
    sender.setTimerType(Qt::PreciseTimer);
    auto sendDue = [&] {
        const qint64 now = clock.nowMs();
        const uint32_t ready = queue.available(now);
        if (ready > 0) {
            port.write(queue.take(ready, now));
            port.flush();
        }
        if (!queue.isEmpty())
            sender.start(std::max(1, int(std::ceil(queue.nextDueMs(now) - double(now)))));
    };
    QObject::connect(&sender, &QTimer::timeout, &app, sendDue);
    QObject::connect(&port, &QSerialPort::readyRead, &app, [&] {
        pedal.receive(port.readAll(), double(clock.nowMs()));
        if (!sender.isActive())
            sendDue();
    });
    QObject::connect(&port, &QSerialPort::errorOccurred, &app, [&](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError) {
            say(QStringLiteral("%1 has gone away.").arg(args.constFirst()));
            app.exit(2);
        }
    });

    say(QStringLiteral("Serving the virtual pedal on %1").arg(args.constFirst()));
    return app.exec();
}
