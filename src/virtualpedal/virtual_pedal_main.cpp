// quarnel-virtual-pedal: the virtual pedal (its firmware and its bootloader)
// served on a real serial port or a pseudo-terminal, so that the editor's
// serial-port driver, or any STM32 bootloader client, can be tried end to end
// through the operating system without a pedal.

#include "seams/Clock.h"
#include "virtualpedal/PedalMicrocontroller.h"
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
                       "serve one end, and start the editor with QUARNEL_SERIAL_PORT set to the other.\n"
                       "With --bootloader the pedal starts in its bootloader, as when powered up with SHIFT\n"
                       "held; a pseudo-terminal cannot carry its even parity, so it then takes the line as\n"
                       "it comes (give an STM32 bootloader client 8n1)."));
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
    const QCommandLineOption bootloaderOption(
        QStringLiteral("bootloader"),
        QStringLiteral("Start in the bootloader, as a pedal powered up with SHIFT held."));
    parser.addOption(firmwareOption);
    parser.addOption(algorithmOption);
    parser.addOption(delayOption);
    parser.addOption(bootloaderOption);
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
    // The pedal's own side of the line: the firmware runs 115200 8N1, the
    // bootloader 8E1 where the port can do parity.
    LineSettings line;
    line.baud = 115200;
    WireQueue queue;
    PedalOutput output(queue, line, faults);
    PedalMicrocontroller pedal(model, output);
    pedal.firmware().selectAlgorithm(algorithm);
    // The firmware reports the version stamped in its flash; the power-up reads it.
    PedalModel::stamp(model.flash, firmware);
    model.shiftHeld = parser.isSet(bootloaderOption);
    pedal.reset();

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

    // The port follows the mode's parity. One that cannot do parity (a
    // pseudo-terminal) stays 8N1, and the bootloader takes the line as it comes.
    PedalMicrocontroller::Mode servedMode = PedalMicrocontroller::Mode::Firmware;
    auto followMode = [&] {
        if (pedal.mode() == servedMode)
            return;
        servedMode = pedal.mode();
        sendDue(); // an answer already due (the ACK of a Go) leaves with the old settings
        const bool even = servedMode == PedalMicrocontroller::Mode::Bootloader;
        if (even && !pedal.bootloader().takesLineAsItComes()) {
            if (port.setParity(QSerialPort::EvenParity)) {
                line.parity = 2;
            } else {
                port.setParity(QSerialPort::NoParity);
                pedal.bootloader().setTakeLineAsItComes(true);
                say(QStringLiteral("%1 cannot carry parity: the bootloader takes the line as it comes.")
                        .arg(args.constFirst()));
            }
        } else if (!even && line.parity != 0) {
            port.setParity(QSerialPort::NoParity);
            line.parity = 0;
        }
        say(QStringLiteral("The pedal runs %1.")
                .arg(servedMode == PedalMicrocontroller::Mode::Bootloader ? QStringLiteral("its bootloader")
                     : servedMode == PedalMicrocontroller::Mode::Firmware
                         ? QStringLiteral("firmware %1").arg(model.firmwareVersion)
                         : QStringLiteral("nothing: the program in flash cannot start")));
    };
    QObject::connect(&port, &QSerialPort::readyRead, &app, [&] {
        const QByteArray bytes = port.readAll();
        if (pedal.canRead(line))
            pedal.receive(bytes, double(clock.nowMs()));
        else
            model.unreadableBytes += bytes.size();
        if (!sender.isActive())
            sendDue();
        followMode();
    });
    QObject::connect(&port, &QSerialPort::errorOccurred, &app, [&](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError) {
            say(QStringLiteral("%1 has gone away.").arg(args.constFirst()));
            app.exit(2);
        }
    });

    followMode();
    say(QStringLiteral("Serving the virtual pedal on %1").arg(args.constFirst()));
    return app.exec();
}
