#include "link/D2XXUnit.h"
#include "link/SerialPortDriver.h"

#include "RecordingLog.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "ServedPedal.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "status/Communication.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Places.h"
#include "ui_FormMain.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <memory>

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
    pedal_ = std::make_unique<ServedPedal>(socat_, QStringLiteral(QUARNEL_VIRTUAL_PEDAL_PROGRAM));
    QVERIFY2(pedal_->start(), "could not set up the pseudo-terminal pair and the virtual pedal's server");
    editorEnd_ = pedal_->hostEnd();
    qputenv("QUARNEL_SERIAL_PORT", editorEnd_.toLocal8Bit());
}

void TestSerialPortDriver::cleanup()
{
    pedal_.reset();
    qunsetenv("QUARNEL_SERIAL_PORT");
}

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
    QCOMPARE(editor.comm->deviceSerialNumber, editorEnd_);
    editor.comm->scanAndLink();
    QVERIFY(editor.comm->linked);
    QCOMPARE(editor.formMain->ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QCOMPARE(editor.formMain->ui->lblAlgorithmVersion->text(), QStringLiteral("Device Algorithm: 0015"));
    QCOMPARE(editor.transport->received_bytes_array.size(), 107);
    QVERIFY2(dialogs.texts().isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('|'))));
    editor.comm->Disconnect();
    QVERIFY(!editor.comm->linked);
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

QTEST_MAIN(TestSerialPortDriver)
#include "tst_serialportdriver.moc"
