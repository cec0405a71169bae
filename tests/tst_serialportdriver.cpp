#include "link/D2XXUnit.h"
#include "link/SerialPortDriver.h"
#include "app/DriverChoice.h"

#include "RecordingLog.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "ServedPedal.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/PrintConsole.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Places.h"
#include "ui_FormMain.h"

#include <QDeadlineTimer>
#include <QLibrary>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

#if defined(Q_OS_UNIX)
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// The serial-port driver end to end through the operating system: a
// pseudo-terminal pair from socat, quarnel-virtual-pedal serving one end and
// the driver on the other, found through QUARNEL_SERIAL_PORT.
class TestSerialPortDriver : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void listsOpensAndReadsTheStatusReply();
    void theEditorLinksThroughThePort();
    void memoryDumpArrivesWhole();
    void pulledCableFailsTheCalls_data();
    void pulledCableFailsTheCalls();
    void theEditorFallsBackFromD2xxToThePort_data();
    void theEditorFallsBackFromD2xxToThePort();
    void openFailuresAreClassified_data();
    void openFailuresAreClassified();
    void aFolderIsNoPort();
    void aPortThisUserMayNotOpen();

private:
    // Opens the pedal's port through the layer and sets it up as a link does.
    bool link(D2XXUnit& unit);
    // Reads until the bytes hold `carriageReturns` CRs or `size` bytes, or the time is up.
    QByteArray collect(D2XXUnit& unit, int size, int carriageReturns, int timeoutMs);

    QString socat_;
    std::unique_ptr<ServedPedal> pedal_;
    QString editorEnd_;
};

void TestSerialPortDriver::initTestCase()
{
    socat_ = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat_.isEmpty())
        QSKIP("socat is not installed: no pseudo-terminal pair to test the serial driver over");
}

void TestSerialPortDriver::init()
{
    // A table of the system's error numbers needs no pedal on a line.
    if (QTest::currentTestFunction() == QByteArrayLiteral("openFailuresAreClassified"))
        return;
    pedal_ = std::make_unique<ServedPedal>(socat_, QStringLiteral(QUARNEL_VIRTUAL_PEDAL_PROGRAM));
    QVERIFY2(pedal_->start(), "could not set up the pseudo-terminal pair and the virtual pedal's server");
    editorEnd_ = pedal_->hostEnd();
    qputenv("QUARNEL_SERIAL_PORT", editorEnd_.toLocal8Bit());
}

void TestSerialPortDriver::cleanup()
{
    pedal_.reset();
    qunsetenv("QUARNEL_SERIAL_PORT");
    qunsetenv("QUARNEL_D2XX_LIBRARY");
}

namespace {
// The stand-in D2XX library shows this device: serial number, listed, opening.
void showInD2xx(const QByteArray& serial, bool listed, bool opens)
{
    using Show = void (*)(const char*, uint32_t, uint32_t);
    const auto show = reinterpret_cast<Show>(QLibrary::resolve(QStringLiteral(STAND_IN_D2XX), "StandIn_Show"));
    QVERIFY(show);
    show(serial.constData(), listed, opens);
}
} // namespace

bool TestSerialPortDriver::link(D2XXUnit& unit)
{
    if (unit.GetFTDeviceCount() != 0)
        return false;
    for (uint32_t i = 0; i < unit.deviceCount; ++i) {
        unit.GetFTDeviceSerialNo(i);
        if (unit.FT_Device_String == editorEnd_.toLocal8Bit())
            return unit.Open_USB_Device_By_Serial_Number(editorEnd_) == 0 && unit.setBaudRate() == 0 &&
                   unit.setDataCharacteristics() == 0;
    }
    return false;
}

QByteArray TestSerialPortDriver::collect(D2XXUnit& unit, int size, int carriageReturns, int timeoutMs)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (got.size() < size && got.count('\r') < carriageReturns && !deadline.hasExpired()) {
        if (unit.queryQueue() != 0)
            break;
        if (unit.rxQueueCount == 0) {
            unit.waitForData(20);
            continue;
        }
        const uint32_t n = unit.readDevice();
        got.append(reinterpret_cast<const char*>(unit.receive_buffer()), int(n));
    }
    return got;
}

void TestSerialPortDriver::listsOpensAndReadsTheStatusReply()
{
    SerialPortDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    uint32_t n = 0;
    QCOMPARE(driver.queueStatus(nullptr, n), uint32_t(FtdiDriver::FT_INVALID_HANDLE));

    QVERIFY(link(unit));
    const uint32_t found = unit.deviceCount;
    QVERIFY(found >= 1);
    unit.GetFTDeviceDescription(found - 1);
    QVERIFY(!unit.FT_Device_String.isEmpty());

    // A pseudo-terminal cannot do the bootloader's even parity, and says so.
    unit.parity = FtdiDriver::FT_PARITY_EVEN;
    QVERIFY(unit.setDataCharacteristics() != 0);
    unit.parity = FtdiDriver::FT_PARITY_NONE;
    QCOMPARE(unit.setDataCharacteristics(), 0u);

    unit.send_buffer()[0] = 0x02;
    unit.send_buffer()[1] = 0x00;
    QCOMPARE(unit.purgeTransmit(), 0u);
    QCOMPARE(unit.writeDevice(2), 2u);
    const QByteArray reply = collect(unit, 65536, 107, 5000);
    QCOMPARE(reply.count('\r'), 107);
    QVERIFY(reply.startsWith("17\r\n0\r\n21\r\n"));
    QVERIFY(reply.endsWith("\r\n255\r"));

    QCOMPARE(unit.purgeReceive(), 0u);
    QCOMPARE(unit.closeDevice(), 0u);
    QCOMPARE(unit.closeDevice(), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
}

void TestSerialPortDriver::theEditorLinksThroughThePort()
{
    // The whole editor on the serial driver, as a user without D2XX runs it.
    QTemporaryDir documents;
    SystemClock clock;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    FixedPlaces places(documents.path());
    Editor editor(Services{dialogs, clock, shell, places}, std::make_unique<SerialPortDriver>());
    QCOMPARE(editor.comm->deviceSerialNumber(), editorEnd_);
    editor.comm->scanAndLink();
    QVERIFY(editor.session->isLinked());
    QCOMPARE(editor.formMain->ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QCOMPARE(editor.formMain->ui->lblAlgorithmVersion->text(), QStringLiteral("Device Algorithm: 0015"));
    QCOMPARE(editor.session->lastStatus()->fields.size(), 107);
    QVERIFY2(dialogs.texts().isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('|'))));
    editor.comm->Disconnect();
    QVERIFY(!editor.session->isLinked());
}

void TestSerialPortDriver::memoryDumpArrivesWhole()
{
    SerialPortDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    QVERIFY(link(unit));
    const QByteArray read = QByteArray::fromHex("0C5000000000");
    std::memcpy(unit.send_buffer(), read.constData(), 6);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(unit.writeDevice(6), 6u);
    const QByteArray dump = collect(unit, 16385, 1 << 30, 8000);
    // The server keeps to the time 16385 bytes take at 115200 baud.
    QVERIFY2(timer.elapsed() >= 1300, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(dump.size(), 16385);
    QCOMPARE(uint8_t(dump[0]), uint8_t(0xAB));
    QCOMPARE(dump.mid(1), QByteArray(16384, char(0xFF)));
}

void TestSerialPortDriver::pulledCableFailsTheCalls_data()
{
    QTest::addColumn<bool>("killSocat");
    QTest::newRow("the pedal's side goes") << false;
    QTest::newRow("the line goes") << true;
}

void TestSerialPortDriver::pulledCableFailsTheCalls()
{
    QFETCH(bool, killSocat);
    SerialPortDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    unit.reportErrors = true;
    QVERIFY(link(unit));

    QProcess& victim = killSocat ? pedal_->socat() : pedal_->server();
    victim.kill();
    QVERIFY(victim.waitForFinished(3000));

    // Every call fails within a short time, and none of them blocks.
    QElapsedTimer timer;
    timer.start();
    uint32_t status = 0;
    while (status == 0 && timer.elapsed() < 5000) {
        status = unit.queryQueue();
        unit.waitForData(20);
    }
    QCOMPARE(status, uint32_t(FtdiDriver::FT_IO_ERROR));
    unit.send_buffer()[0] = 0x0D;
    unit.send_buffer()[1] = 0x01;
    QCOMPARE(unit.writeDevice(2), 0u);
    QCOMPARE(unit.readDevice(), 0u);
    QVERIFY(unit.purgeReceive() != 0);
    QVERIFY(timer.elapsed() < 6000);
    QVERIFY(log.lines.contains("FT_GetQueueStatus - General IO error..."));

    // The port has gone from the list; closing the dead handle still works.
    QCOMPARE(unit.GetFTDeviceCount(), 0u);
    for (const SerialPortDriver::Port& p : SerialPortDriver::presentPorts())
        QVERIFY(p.location != editorEnd_);
    QCOMPARE(unit.closeDevice(), 0u);
}

void TestSerialPortDriver::theEditorFallsBackFromD2xxToThePort_data()
{
    QTest::addColumn<bool>("d2xxLists");
    QTest::addColumn<bool>("sameBridge"); // the device D2XX lists is the port's bridge
    QTest::newRow("D2XX lists nothing") << false << false;
    QTest::newRow("D2XX lists the bridge but cannot open it") << true << true;
}

void TestSerialPortDriver::theEditorFallsBackFromD2xxToThePort()
{
    QFETCH(bool, d2xxLists);
    QFETCH(bool, sameBridge);
    qputenv("QUARNEL_D2XX_LIBRARY", STAND_IN_D2XX);
    // Listed or not, the stand-in's device will not open: the stock driver holds the bridge.
    showInD2xx(sameBridge ? editorEnd_.toLocal8Bit() : QByteArray("SI000001"), d2xxLists, false);
    QTemporaryDir documents;
    SystemClock clock;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    FixedPlaces places(documents.path());
    Editor editor(Services{dialogs, clock, shell, places}, chooseDriver(false, clock));
    editor.comm->scanAndLink();
    QVERIFY(editor.session->isLinked());
    QCOMPARE(editor.formPrint->lines().filter(QRegularExpression(QStringLiteral("^driver: "))),
             QStringList{QStringLiteral("driver: serial port ") + editorEnd_});
    QCOMPARE(editor.formMain->ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QCOMPARE(editor.session->lastStatus()->fields.size(), 107);
    QVERIFY2(dialogs.texts().isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('|'))));
    editor.comm->Disconnect();
    QVERIFY(!editor.session->isLinked());
    showInD2xx("SI000001", true, true);
}

void TestSerialPortDriver::openFailuresAreClassified_data()
{
    using Reason = FtdiDriver::OpenFailure::Reason;
    QTest::addColumn<int>("systemError");
    QTest::addColumn<int>("reason");
#if defined(Q_OS_UNIX)
    QTest::newRow("EACCES") << EACCES << int(Reason::NoPermission);
    QTest::newRow("EPERM") << EPERM << int(Reason::NoPermission);
    QTest::newRow("EBUSY") << EBUSY << int(Reason::InUse);
    QTest::newRow("EISDIR") << EISDIR << int(Reason::NotASerialPort);
    QTest::newRow("ENOTTY") << ENOTTY << int(Reason::NotASerialPort);
    QTest::newRow("ENOENT") << ENOENT << int(Reason::Unknown);
    QTest::newRow("EIO") << EIO << int(Reason::Unknown);
#endif
}

void TestSerialPortDriver::openFailuresAreClassified()
{
#if defined(Q_OS_UNIX)
    QFETCH(int, systemError);
    QFETCH(int, reason);
    QCOMPARE(int(SerialPortDriver::reasonFor(systemError)), reason);
#else
    QSKIP("the reasons are the system's error numbers of Unix");
#endif
}

void TestSerialPortDriver::aFolderIsNoPort()
{
    QTemporaryDir folder;
    qputenv("QUARNEL_SERIAL_PORT", folder.path().toLocal8Bit());
    SerialPortDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    QVERIFY(unit.Open_USB_Device_By_Serial_Number(folder.path()) != FtdiDriver::FT_OK);
    const FtdiDriver::OpenFailure failure = unit.lastOpenFailure();
    QCOMPARE(int(failure.reason), int(FtdiDriver::OpenFailure::Reason::NotASerialPort));
    QCOMPARE(failure.location, folder.path());
    QVERIFY(!failure.systemText.isEmpty());
    // The port that is one opens, and the last failure is forgotten.
    qputenv("QUARNEL_SERIAL_PORT", editorEnd_.toLocal8Bit());
    QVERIFY(link(unit));
    QCOMPARE(int(unit.lastOpenFailure().reason), int(FtdiDriver::OpenFailure::Reason::Unknown));
    QCOMPARE(unit.driverInUse(), QStringLiteral("serial port ") + editorEnd_);
    QCOMPARE(unit.closeDevice(), 0u);
}

void TestSerialPortDriver::aPortThisUserMayNotOpen()
{
#if defined(Q_OS_UNIX)
    // What a user without the udev rule or the dialout group meets: a port
    // whose mode lets them in no way. Root opens it all the same, so as root
    // the open is tried by a child that has become nobody.
    const QByteArray port = editorEnd_.toLocal8Bit();
    QCOMPARE(::chmod(port.constData(), 0), 0);
    const auto tryOpen = [&]() -> int {
        SerialPortDriver driver;
        FtdiDriver::Handle handle = nullptr;
        if (driver.openBySerialNumber(port.constData(), handle) == FtdiDriver::FT_OK)
            return 100;
        return int(driver.lastOpenFailure().reason);
    };
    int reason = -1;
    if (::geteuid() != 0) {
        reason = tryOpen();
    } else {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
            ::_exit(dropped ? tryOpen() : 101);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        reason = WEXITSTATUS(status);
        if (reason == 101)
            QSKIP("running as root, and root could not become nobody to try the port as a user");
    }
    QCOMPARE(reason, int(FtdiDriver::OpenFailure::Reason::NoPermission));
#else
    QSKIP("ports are not guarded by file modes here");
#endif
}

QTEST_MAIN(TestSerialPortDriver)
#include "tst_serialportdriver.moc"
