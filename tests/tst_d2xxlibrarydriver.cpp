#include "link/D2XXUnit.h"
#include "link/D2xxLibraryDriver.h"
#include "link/FallbackDriver.h"
#include "app/DriverChoice.h"
#include "virtualpedal/VirtualPedal.h"

#include "RecordingLog.h"
#include "VirtualClock.h"

#include <QLibrary>
#include <QLibraryInfo>
#include <QtTest>

// The driver against a stand-in library built beside this test, which answers
// like one FTDI device and lets the test read back what it was told.
class TestD2xxLibraryDriver : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void linksThroughTheLibrary();
    void failingCallsKeepTheirStatus();
    void missingLibraryOrCallGivesNoDriver_data();
    void missingLibraryOrCallGivesNoDriver();
    void driverChoice_data();
    void driverChoice();
    void serialPortsStandBehindD2xx_data();
    void serialPortsStandBehindD2xx();

private:
    template <typename Fn>
    Fn standIn(const char* symbol)
    {
        auto fn = reinterpret_cast<Fn>(QLibrary::resolve(QStringLiteral(STAND_IN_D2XX), symbol));
        Q_ASSERT(fn);
        return fn;
    }
};

void TestD2xxLibraryDriver::init()
{
    qputenv("QUARNEL_D2XX_LIBRARY", STAND_IN_D2XX);
    standIn<void (*)(const char*, uint32_t, uint32_t)>("StandIn_Show")("SI000001", 1, 1);
}

void TestD2xxLibraryDriver::linksThroughTheLibrary()
{
    std::unique_ptr<D2xxLibraryDriver> driver = D2xxLibraryDriver::create();
    QVERIFY(driver);
    QCOMPARE(driver->name(), QStringLiteral("D2XX"));
    RecordingLog log;
    D2XXUnit unit(*driver, log);
    unit.reportErrors = true;

    QCOMPARE(unit.GetFTDeviceCount(), 0u);
    QCOMPARE(unit.deviceCount, 1u);
    QCOMPARE(unit.GetFTDeviceSerialNo(0), 0u);
    QCOMPARE(unit.FT_Device_String, QByteArray("SI000001"));
    QCOMPARE(unit.GetFTDeviceDescription(0), 0u);
    QCOMPARE(unit.FT_Device_String, QByteArray("Stand-in FT232R"));

    QCOMPARE(unit.Open_USB_Device_By_Serial_Number("SI000001"), 0u);
    QVERIFY(unit.handle());
    QCOMPARE(standIn<uint32_t (*)()>("StandIn_IsOpen")(), 1u);
    QCOMPARE(unit.setBaudRate(), 0u);
    QCOMPARE(standIn<uint32_t (*)()>("StandIn_Baud")(), 115200u);
    unit.parity = FtdiDriver::FT_PARITY_EVEN;
    QCOMPARE(unit.setDataCharacteristics(), 0u);
    QCOMPARE(standIn<uint32_t (*)()>("StandIn_DataCharacteristics")(), 0x080002u);

    unit.send_buffer()[0] = 0x02;
    unit.send_buffer()[1] = 0x00;
    QCOMPARE(unit.writeDevice(2), 2u);
    QCOMPARE(QByteArray(standIn<const char* (*)()>("StandIn_Written")(),
                        int(standIn<uint32_t (*)()>("StandIn_WrittenSize")())),
             QByteArray("\x02\x00", 2));
    QCOMPARE(unit.queryQueue(), 0u);
    QCOMPARE(unit.rxQueueCount, 10u);
    QCOMPARE(unit.readDevice(), 10u);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(unit.receive_buffer()), 10), QByteArray("17\r\n0\r\n21\r"));

    QCOMPARE(unit.purgeReceive(), 0u);
    QCOMPARE(unit.purgeTransmit(), 0u);
    QCOMPARE(standIn<uint32_t (*)()>("StandIn_Purges")(), 3u);
    QCOMPARE(unit.closeDevice(), 0u);
    QCOMPARE(standIn<uint32_t (*)()>("StandIn_IsOpen")(), 0u);
    QCOMPARE(log.lines, QStringList());
}

void TestD2xxLibraryDriver::failingCallsKeepTheirStatus()
{
    std::unique_ptr<D2xxLibraryDriver> driver = D2xxLibraryDriver::create();
    QVERIFY(driver);
    RecordingLog log;
    D2XXUnit unit(*driver, log);
    unit.reportErrors = true;

    // The index travels in place of a pointer; index 1 is a device the stand-in does not have.
    QCOMPARE(unit.GetFTDeviceSerialNo(1), uint32_t(FtdiDriver::FT_DEVICE_NOT_FOUND));
    QCOMPARE(unit.Open_USB_Device_By_Serial_Number("NOSUCH"), uint32_t(FtdiDriver::FT_DEVICE_NOT_FOUND));
    QCOMPARE(unit.queryQueue(), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QCOMPARE(unit.Open_USB_Device_By_Serial_Number("SI000001"), 0u);
    unit.baudRate = 50;
    QCOMPARE(unit.setBaudRate(), uint32_t(FtdiDriver::FT_INVALID_BAUD_RATE));
    QCOMPARE(unit.closeDevice(), 0u);
    QCOMPARE(unit.closeDevice(), uint32_t(FtdiDriver::FT_INVALID_HANDLE));

    QCOMPARE(log.lines, (QStringList{"GetFTDeviceSerialNo - Device not found...",
                                     "Open_USB_Device_By_Serial_Number - Device not found...",
                                     "FT_GetQueueStatus - Invalid handle...", "FT_SetBaudRate - Invalid baud rate...",
                                     "FT_Close - Invalid handle..."}));
}

void TestD2xxLibraryDriver::missingLibraryOrCallGivesNoDriver_data()
{
    QTest::addColumn<QString>("library");
    QTest::newRow("no such file") << QStringLiteral("/nonexistent/libftd2xx.so");
    QTest::newRow("library without FT_Purge") << QStringLiteral(STAND_IN_D2XX_INCOMPLETE);
    QTest::newRow("some other library")
        << QLibraryInfo::path(QLibraryInfo::LibrariesPath) + QStringLiteral("/libQt6Core.so.6");
}

void TestD2xxLibraryDriver::missingLibraryOrCallGivesNoDriver()
{
    QFETCH(QString, library);
    qputenv("QUARNEL_D2XX_LIBRARY", library.toLocal8Bit());
    QVERIFY(!D2xxLibraryDriver::create());
}

void TestD2xxLibraryDriver::driverChoice_data()
{
    QTest::addColumn<bool>("virtualPedal");
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("virtual pedal asked for") << true << QByteArray(STAND_IN_D2XX) << "virtual";
    QTest::newRow("D2XX loads, the serial ports behind it") << false << QByteArray(STAND_IN_D2XX) << "D2XX or serial";
    QTest::newRow("no D2XX") << false << QByteArray("/nonexistent/libftd2xx.so") << "serial";
}

void TestD2xxLibraryDriver::driverChoice()
{
    QFETCH(bool, virtualPedal);
    QFETCH(QByteArray, library);
    QFETCH(QString, chosen);
    qputenv("QUARNEL_D2XX_LIBRARY", library);
    VirtualClock clock;
    const std::unique_ptr<FtdiDriver> driver = chooseDriver(virtualPedal, clock);
    QVERIFY(driver);
    QCOMPARE(driver->name(), chosen);
}

void TestD2xxLibraryDriver::serialPortsStandBehindD2xx_data()
{
    // The virtual pedal stands in for the serial ports here, with its serial number.
    QTest::addColumn<QByteArray>("d2xxSerial");
    QTest::addColumn<bool>("d2xxLists");
    QTest::addColumn<bool>("d2xxOpens");
    QTest::addColumn<QByteArray>("listed");  // the serial number the scan sees
    QTest::addColumn<uint32_t>("openStatus");
    QTest::addColumn<QString>("reachedThrough");
    QTest::newRow("D2XX lists its device") << QByteArray("SI000001") << true << true << QByteArray("SI000001")
                                           << uint32_t(FtdiDriver::FT_OK) << "D2XX";
    QTest::newRow("D2XX lists nothing") << QByteArray("SI000001") << false << true
                                        << QByteArray(VirtualPedal::kSerialNumber) << uint32_t(FtdiDriver::FT_OK)
                                        << "virtual";
    QTest::newRow("D2XX cannot open a bridge the other driver holds")
        << QByteArray(VirtualPedal::kSerialNumber) << true << false << QByteArray(VirtualPedal::kSerialNumber)
        << uint32_t(FtdiDriver::FT_OK) << "virtual";
    QTest::newRow("D2XX cannot open a device nobody else knows")
        << QByteArray("SI000001") << true << false << QByteArray("SI000001")
        << uint32_t(FtdiDriver::FT_DEVICE_NOT_OPENED) << QString();
}

void TestD2xxLibraryDriver::serialPortsStandBehindD2xx()
{
    QFETCH(QByteArray, d2xxSerial);
    QFETCH(bool, d2xxLists);
    QFETCH(bool, d2xxOpens);
    QFETCH(QByteArray, listed);
    QFETCH(uint32_t, openStatus);
    QFETCH(QString, reachedThrough);
    standIn<void (*)(const char*, uint32_t, uint32_t)>("StandIn_Show")(d2xxSerial.constData(), d2xxLists, d2xxOpens);
    VirtualClock clock;
    auto ownedPedal = std::make_unique<VirtualPedal>(clock);
    VirtualPedal& pedal = *ownedPedal;
    FallbackDriver driver(D2xxLibraryDriver::create(), std::move(ownedPedal));
    RecordingLog log;
    D2XXUnit unit(driver, log);
    unit.reportErrors = true;

    QCOMPARE(unit.GetFTDeviceCount(), 0u);
    QCOMPARE(unit.deviceCount, 1u);
    QCOMPARE(unit.GetFTDeviceSerialNo(0), 0u);
    QCOMPARE(unit.FT_Device_String, listed);
    log.lines.clear();
    QCOMPARE(unit.Open_USB_Device_By_Serial_Number(QString::fromLatin1(listed)), openStatus);
    if (openStatus != FtdiDriver::FT_OK) {
        // D2XX's own answer stands, as without the fallback.
        QCOMPARE(log.lines, QStringList{"Open_USB_Device_By_Serial_Number - Device not opened..."});
        QVERIFY(!pedal.isOpen());
        return;
    }
    QCOMPARE(unit.driverInUse(), reachedThrough);
    const bool throughPedal = reachedThrough == QLatin1String("virtual");
    QCOMPARE(pedal.isOpen(), throughPedal);
    QCOMPARE(standIn<uint32_t (*)()>("StandIn_IsOpen")(), throughPedal ? 0u : 1u);
    // Every call goes to the driver that opened the device.
    QCOMPARE(unit.setBaudRate(), 0u);
    QCOMPARE(throughPedal ? pedal.line().baud : standIn<uint32_t (*)()>("StandIn_Baud")(), 115200u);
    QCOMPARE(unit.closeDevice(), 0u);
    QVERIFY(!pedal.isOpen());
    QCOMPARE(standIn<uint32_t (*)()>("StandIn_IsOpen")(), 0u);
    QCOMPARE(log.lines, QStringList());
}

QTEST_GUILESS_MAIN(TestD2xxLibraryDriver)
#include "tst_d2xxlibrarydriver.moc"
