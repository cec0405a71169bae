#include "link/D2XXUnit.h"

#include "RecordingLog.h"

#include <QtTest>

#include <cstring>

namespace {
// A driver whose every answer the test sets: the status of each call, the
// bytes queued, the count a write reports. It keeps what it was handed.
class ScriptedDriver final : public FtdiDriver {
public:
    uint32_t status = FT_OK;        // returned by every call
    uint32_t queueCallStatus = FT_OK; // FT_GetQueueStatus alone
    uint32_t writeReports = 0;      // the count FT_Write reports
    QByteArray queued;
    QByteArray openedWith;
    QList<uint32_t> readRequests;

    QString name() const override { return QStringLiteral("scripted"); }
    uint32_t listDeviceCount(uint32_t& count) override
    {
        if (status == FT_OK)
            count = 3;
        return status;
    }
    uint32_t listSerialNumber(uint32_t, char area[64]) override
    {
        std::strcpy(area, "SERIAL01");
        return status;
    }
    uint32_t listDescription(uint32_t, char area[64]) override
    {
        std::strcpy(area, "Described");
        return status;
    }
    uint32_t openBySerialNumber(const char* serial, Handle& handle) override
    {
        openedWith = QByteArray(serial);
        if (status == FT_OK)
            handle = reinterpret_cast<Handle>(quintptr(0x1234));
        return status;
    }
    uint32_t close(Handle) override { return status; }
    uint32_t read(Handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned) override
    {
        readRequests.append(toRead);
        const int n = std::min<int>(static_cast<int>(toRead), queued.size());
        std::memcpy(buffer, queued.constData(), static_cast<size_t>(n));
        queued.remove(0, n);
        returned = static_cast<uint32_t>(n);
        return status;
    }
    uint32_t write(Handle, const uint8_t*, uint32_t, uint32_t& written) override
    {
        written = writeReports;
        return status;
    }
    uint32_t setBaudRate(Handle, uint32_t) override { return status; }
    uint32_t setDataCharacteristics(Handle, uint8_t, uint8_t, uint8_t) override { return status; }
    uint32_t purge(Handle, uint32_t) override { return status; }
    uint32_t queueStatus(Handle, uint32_t& rxBytes) override
    {
        if (queueCallStatus == FT_OK)
            rxBytes = static_cast<uint32_t>(queued.size());
        return queueCallStatus;
    }
};
} // namespace

class TestD2XXUnit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void failedWriteIsReported_data();
    void failedWriteIsReported();
    void everyOperationReportsUnderItsLabel_data();
    void everyOperationReportsUnderItsLabel();
    void longSerialNumberOpensByItsFirst49Characters();
    void readWithNothingQueuedLeavesTheBuffer();
    void queueLargerThanTheBufferIsReadInTwo();
    void failedCallsLeaveTheVariables();
};

void TestD2XXUnit::failedWriteIsReported_data()
{
    QTest::addColumn<uint32_t>("status");
    QTest::addColumn<bool>("reporting");
    QTest::addColumn<QStringList>("expected");

    const QStringList messages = {
        QString(),
        " - Invalid handle...",
        " - Device not found...",
        " - Device not opened...",
        " - General IO error...",
        " - Insufficient resources...",
        " - Invalid parameter...",
        " - Invalid baud rate...",
        " Device not opened for erase...",
        " Device not opened for write...",
        " - Failed to write...",
        " - EEPROM read failed...",
        " - EEPROM write failed...",
        " - EEPROM erase failed...",
        " - EEPROM not present...",
        " - EEPROM not programmed...",
        " - Invalid arguments...",
        " - Other error ...",
    };
    for (uint32_t s = 0; s <= 18; ++s) {
        QStringList on;
        if (s >= 1 && s <= 17)
            on << QStringLiteral("FT_Write") + messages.at(int(s));
        else if (s == 18)
            on << QString(); // an unknown code leaves an empty line
        QTest::addRow("status %u, switch on", s) << s << true << on;
        QTest::addRow("status %u, switch off", s) << s << false << QStringList();
    }
}

void TestD2XXUnit::failedWriteIsReported()
{
    QFETCH(uint32_t, status);
    QFETCH(bool, reporting);
    QFETCH(QStringList, expected);

    ScriptedDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    unit.reportErrors = reporting;
    driver.status = status;
    driver.writeReports = 5;

    // Whatever the status, the caller gets the count the driver reported.
    QCOMPARE(unit.writeDevice(7), 5u);
    QCOMPARE(log.lines, expected);
}

void TestD2XXUnit::everyOperationReportsUnderItsLabel_data()
{
    QTest::addColumn<QString>("label");
    for (const char* label : {"GetFTDeviceCount", "GetFTDeviceSerialNo", "GetFTDeviceDescription",
                              "Open_USB_Device_By_Serial_Number", "FT_Close", "FT_Read", "FT_Write",
                              "FT_SetBaudRate", "FT_SetDataCharacteristics", "FT_Purge RX", "FT_Purge TX",
                              "FT_GetQueueStatus"})
        QTest::newRow(label) << QString::fromLatin1(label);
}

void TestD2XXUnit::everyOperationReportsUnderItsLabel()
{
    QFETCH(QString, label);
    ScriptedDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    unit.reportErrors = true;
    driver.status = FtdiDriver::FT_IO_ERROR;

    const QHash<QString, std::function<void()>> operations = {
        {"GetFTDeviceCount", [&] { unit.GetFTDeviceCount(); }},
        {"GetFTDeviceSerialNo", [&] { unit.GetFTDeviceSerialNo(0); }},
        {"GetFTDeviceDescription", [&] { unit.GetFTDeviceDescription(0); }},
        {"Open_USB_Device_By_Serial_Number", [&] { unit.Open_USB_Device_By_Serial_Number("X"); }},
        {"FT_Close", [&] { unit.closeDevice(); }},
        {"FT_Read", [&] { unit.readDevice(); }},
        {"FT_Write", [&] { unit.writeDevice(2); }},
        {"FT_SetBaudRate", [&] { unit.setBaudRate(); }},
        {"FT_SetDataCharacteristics", [&] { unit.setDataCharacteristics(); }},
        {"FT_Purge RX", [&] { unit.purgeReceive(); }},
        {"FT_Purge TX", [&] { unit.purgeTransmit(); }},
        {"FT_GetQueueStatus", [&] { unit.queryQueue(); }},
    };
    // readDevice's own queue query fails too, yet only FT_Read's status is reported.
    driver.queueCallStatus = label == "FT_GetQueueStatus" || label == "FT_Read" ? FtdiDriver::FT_IO_ERROR
                                                                                : FtdiDriver::FT_OK;
    operations.value(label)();
    QCOMPARE(log.lines, QStringList{label + " - General IO error..."});
}

void TestD2XXUnit::longSerialNumberOpensByItsFirst49Characters()
{
    ScriptedDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    const QString serial = QString(60, QLatin1Char('S')).replace(48, 12, "9ABCDEFGHIJK");

    QCOMPARE(unit.Open_USB_Device_By_Serial_Number(serial), uint32_t(FtdiDriver::FT_OK));
    QCOMPARE(driver.openedWith, serial.left(49).toLatin1());
    QVERIFY(driver.openedWith.endsWith('9'));
    QCOMPARE(unit.handle(), reinterpret_cast<FtdiDriver::Handle>(quintptr(0x1234)));
}

void TestD2XXUnit::readWithNothingQueuedLeavesTheBuffer()
{
    ScriptedDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    std::memset(unit.receive_buffer(), 0x5A, D2XXUnit::kBufferSize);
    unit.rxQueueCount = 9;

    QCOMPARE(unit.readDevice(), 0u);
    QCOMPARE(driver.readRequests, QList<uint32_t>{0});
    const QByteArray after(reinterpret_cast<const char*>(unit.receive_buffer()), D2XXUnit::kBufferSize);
    QCOMPARE(after.count(char(0x5A)), D2XXUnit::kBufferSize);
    QCOMPARE(unit.rxQueueCount, 9u); // readDevice keeps its own count
}

void TestD2XXUnit::queueLargerThanTheBufferIsReadInTwo()
{
    ScriptedDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    QByteArray queued(70000, '\0');
    for (int i = 0; i < queued.size(); ++i)
        queued[i] = char(i % 251);
    driver.queued = queued;

    QCOMPARE(unit.readDevice(), 65536u);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(unit.receive_buffer()), 65536), queued.left(65536));
    QCOMPARE(unit.readDevice(), 4464u);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(unit.receive_buffer()), 4464), queued.mid(65536));
    QCOMPARE(driver.readRequests, (QList<uint32_t>{65536, 4464}));
}

void TestD2XXUnit::failedCallsLeaveTheVariables()
{
    ScriptedDriver driver;
    RecordingLog log;
    D2XXUnit unit(driver, log);
    unit.GetFTDeviceSerialNo(0);
    unit.Open_USB_Device_By_Serial_Number("SERIAL01");
    driver.queued = "abc";
    unit.queryQueue();
    unit.GetFTDeviceCount();
    QCOMPARE(unit.FT_Device_String, QByteArray("SERIAL01"));

    driver.status = FtdiDriver::FT_DEVICE_NOT_FOUND;
    driver.queueCallStatus = FtdiDriver::FT_IO_ERROR;
    driver.queued = "abcdef";
    unit.GetFTDeviceDescription(0);
    unit.GetFTDeviceCount();
    unit.queryQueue();
    unit.Open_USB_Device_By_Serial_Number("OTHER");

    QCOMPARE(unit.FT_Device_String, QByteArray("SERIAL01"));
    QCOMPARE(unit.deviceCount, 3u);
    QCOMPARE(unit.rxQueueCount, 3u);
    QCOMPARE(unit.handle(), reinterpret_cast<FtdiDriver::Handle>(quintptr(0x1234)));
    QVERIFY(log.lines.isEmpty()); // the switch starts off
}

QTEST_GUILESS_MAIN(TestD2XXUnit)
#include "tst_d2xxunit.moc"
