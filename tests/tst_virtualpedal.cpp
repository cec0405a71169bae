#include "virtualpedal/VirtualPedal.h"

#include "data/DataItems.h"
#include "virtualpedal/StatusReply.h"

#include "VirtualClock.h"

#include <QtTest>

namespace {
// A pedal on a link set up as the editor sets it up (115200 baud, 8N1), with
// an address table of the test's own so nothing depends on the embedded images.
struct LinkedPedal {
    VirtualClock clock;
    VirtualPedal pedal{clock};
    FtdiDriver::Handle handle = nullptr;

    static constexpr uint16_t kDry = 0x0027, kWaveClip = 0x00E7, kAttack = 0x00AE;

    LinkedPedal()
    {
        pedal.openBySerialNumber(VirtualPedal::kSerialNumber, handle);
        pedal.setBaudRate(handle, 115200);
        pedal.setDataCharacteristics(handle, 8, 0, 0);
        PedalModel& m = pedal.model();
        m.hasAddressTable = true;
        for (int w = 0; w < PedalModel::kAddressWords; ++w)
            m.addressTable[size_t(w)] = uint16_t(0x0100 + w);
        m.addressTable[0] = kDry;
        m.addressTable[14] = kWaveClip;
        m.addressTable[21] = kAttack;
    }

    uint32_t send(const QByteArray& bytes)
    {
        uint32_t written = 0;
        pedal.write(handle, reinterpret_cast<const uint8_t*>(bytes.constData()), uint32_t(bytes.size()), written);
        return written;
    }
    uint32_t sendHex(const QString& hex) { return send(QByteArray::fromHex(hex.toLatin1())); }
    uint32_t queued()
    {
        uint32_t n = 0;
        pedal.queueStatus(handle, n);
        return n;
    }
    QByteArray readAll()
    {
        QByteArray out(int(queued()), '\0');
        uint32_t got = 0;
        pedal.read(handle, reinterpret_cast<uint8_t*>(out.data()), uint32_t(out.size()), got);
        out.truncate(int(got));
        return out;
    }
    QList<int> status()
    {
        sendHex("0200");
        return numbers(readAll());
    }

    // The reply's numbers; every field has to end in CR and be followed by LF
    // unless it is the last.
    static QList<int> numbers(const QByteArray& text)
    {
        QList<int> out;
        const QList<QByteArray> fields = text.split('\n');
        for (const QByteArray& f : fields) {
            if (!f.endsWith('\r'))
                return {-1};
            bool ok = false;
            out << f.chopped(1).toInt(&ok);
            if (!ok)
                return {-2};
        }
        return out;
    }
};

QByteArray image(int length, uint16_t firstWord)
{
    QByteArray img(std::max(length, 47), '\0');
    img[0] = char(length >> 16);
    img[1] = char(length >> 8);
    img[2] = char(length);
    for (int w = 0; w < PedalModel::kAddressWords; ++w) {
        img[3 + 2 * w] = char((firstWord + w) >> 8);
        img[4 + 2 * w] = char(firstWord + w);
    }
    for (int i = 47; i < length - 16; ++i)
        img[i] = char(i * 7);
    img.truncate(length);
    return img;
}
} // namespace

class TestVirtualPedal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshPedalAnswersTheStatusRequest();
    void messagesChangeWhatTheStatusReplyReports_data();
    void messagesChangeWhatTheStatusReplyReports();
    void sharedAddressWritesEveryParameterAtIt();
    void storesTheAssignableValuesAndTheTuningTable();
    void effectImageIsCollectedWholeAndAnswered();
    void malformedImageIsRejected();
    void embeddedImageSetsTheAlgorithmVersion();
    void badInstrumentChecksumIsIgnoredAndCounted();
    void memoryEraseAndReadTakeTheirWireTime();
    void strayBytesAndTruncatedMessagesDoNotWedgeTheParser();
    void bootloaderRequestIsRecordedButUnanswered();
    void writesAreRecordedWithTheirTime();
    void deviceCallsBehaveLikeD2xx();
    void lineSettingsTheFirmwareCannotRead();
    void unplugFailsTheCallsUntilReopened();
    void answerFaults_data();
    void answerFaults();
    void silentPedalStillTakesMessages();
    void shortAndGarbledReplies();
    void wireTimeModelAndPurge();
};

void TestVirtualPedal::freshPedalAnswersTheStatusRequest()
{
    LinkedPedal link;
    link.sendHex("0200");
    const QByteArray text = link.readAll();

    QVERIFY(text.startsWith("17\r\n0\r\n21\r\n0\r\n0\r"));
    QVERIFY(text.endsWith("\r\n255\r"));
    QList<int> expected = {17, 0, 0x15, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 10; ++i)
        expected << 255;                 // nothing assigned: FFFF five times
    expected << 0 << 0 << 255 << 0;      // bypass, store bypass, range, MIDI
    for (int k = 0; k < 20; ++k) {
        const uint32_t v = k == 10 ? 0x00800000 : k == 11 ? 0x00400000 : k == 19 ? 0x00008000 : 0;
        expected << int(v >> 24) << int((v >> 16) & 0xFF) << int((v >> 8) & 0xFF) << int(v & 0xFF);
    }
    expected << 255;
    QCOMPARE(expected.size(), 107);
    QCOMPARE(LinkedPedal::numbers(text), expected);
}

void TestVirtualPedal::messagesChangeWhatTheStatusReplyReports_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("expected"); // index=value pairs of the reply

    QTest::newRow("footswitch preset short, bypass long") << QStringList{"080101"} << "4=3";
    QTest::newRow("footswitch preset short, preset long") << QStringList{"080100"} << "4=2";
    QTest::newRow("footswitch byte out of range") << QStringList{"080200"} << "4=0";
    QTest::newRow("tuning and semitones") << QStringList{"0902FE"} << "5=2 6=254";
    QTest::newRow("assignments")
        << QStringList{"04010001000000E7FFFF00AEFFFFFFFD"}
        << "7=1 8=0 9=1 10=0 11=0 12=0 13=231 14=255 15=255 16=0 17=174 18=255 19=255 20=255 21=253";
    QTest::newRow("bypass on") << QStringList{"0D01"} << "22=1";
    QTest::newRow("bypass on, then off") << QStringList{"0D01", "0D00"} << "22=0";
    QTest::newRow("store bypass") << QStringList{"1001"} << "23=1";
    QTest::newRow("store bypass, then not") << QStringList{"1001", "10FF"} << "23=0";
    QTest::newRow("instrument low") << QStringList{"0FBA0203040506B3"} << "24=186";
    QTest::newRow("instrument low, then standard") << QStringList{"0FBA0203040506B3", "0FFF0102030405F1"}
                                                   << "24=255";
    QTest::newRow("MIDI channel 12") << QStringList{"070C"} << "25=12";
    QTest::newRow("MIDI channel beyond 16") << QStringList{"070C", "0711"} << "25=12";
    QTest::newRow("power-on preset on") << QStringList{"1101"} << "106=1";
    QTest::newRow("power-on preset on, then off") << QStringList{"1101", "11FF"} << "106=255";
    QTest::newRow("Dry level 512") << QStringList{"01002700400000"} << "26=0 27=64 28=0 29=0";
    QTest::newRow("Attack slow") << QStringList{"0100AE00000800"} << "102=0 103=0 104=8 105=0";
    QTest::newRow("Wave Clip") << QStringList{"0100E7007FE000"} << "74=0 75=127 76=224 77=0";
    QTest::newRow("Low Pass level 512 is step 12") << QStringList{"01010500400000"} << "46=0 47=0 48=0 49=12";
    QTest::newRow("High Pass top level is step 16") << QStringList{"010106007FE000"} << "53=16";
    QTest::newRow("Range at 0000, level 500") << QStringList{"010000003E8000"} << "65=11";
    QTest::newRow("Range beyond the top is step 22") << QStringList{"01000000800000"} << "65=22";
    QTest::newRow("address of no parameter") << QStringList{"01777712345678"} << "26=0 65=0 105=0";
    QTest::newRow("second status byte other than 00") << QStringList{"0201", "0D01"} << "22=1";
}

void TestVirtualPedal::messagesChangeWhatTheStatusReplyReports()
{
    QFETCH(QStringList, messages);
    QFETCH(QString, expected);
    LinkedPedal link;
    for (const QString& m : messages)
        link.sendHex(m);
    QCOMPARE(link.queued(), 0u); // none of these is answered

    const QList<int> reply = link.status();
    QCOMPARE(reply.size(), StatusReply::kValueCount);
    for (const QString& pair : expected.split(' ')) {
        const int index = pair.section('=', 0, 0).toInt();
        QCOMPARE(QStringLiteral("%1=%2").arg(index).arg(reply.at(index)), pair);
    }
}

void TestVirtualPedal::sharedAddressWritesEveryParameterAtIt()
{
    // Older images leave "Dry HPF", "Limit Range UP", the noise gate and "Attack" at 0000,
    // where "Range" lives as well.
    LinkedPedal link;
    for (int w = 17; w <= 21; ++w)
        link.pedal.model().addressTable[size_t(w)] = 0x0000;
    link.sendHex("010000007FE000");

    const auto& v = link.pedal.model().values;
    for (int k : {PedalModel::DryHpf, PedalModel::LimitRangeUp, PedalModel::NoiseGateStatus,
                  PedalModel::NoiseGateThreshold, PedalModel::Attack})
        QCOMPARE(v[size_t(k)], 0x007FE000u);
    QCOMPARE(v[PedalModel::Range], 22u);
    QCOMPARE(v[PedalModel::Dry], 0u);
    QCOMPARE(link.pedal.model().unmatchedParameterWrites, 0);
}

void TestVirtualPedal::storesTheAssignableValuesAndTheTuningTable()
{
    LinkedPedal link;
    QByteArray store(1, 0x03);
    for (uint32_t i = 0; i < 10; ++i)
        store += QByteArray::fromHex(QByteArray::number(0x01000000u + i, 16).rightJustified(8, '0'));
    QByteArray tuning(1, 0x0E);
    for (int i = 0; i < 640; ++i)
        tuning += char(i % 256);
    link.send(store + tuning);

    const PedalModel& m = link.pedal.model();
    QCOMPARE(m.storedAssignable[0], 0x01000000u);
    QCOMPARE(m.storedAssignable[9], 0x01000009u);
    QCOMPARE(m.tuningData, tuning.mid(1));
    // The store is separate from the running values.
    QCOMPARE(m.values[PedalModel::InputLevel], 0x00800000u);
    QCOMPARE(link.queued(), 0u);
}

void TestVirtualPedal::effectImageIsCollectedWholeAndAnswered()
{
    LinkedPedal link;
    const QByteArray img = image(4256, 0x0200);
    link.send(img.left(1));
    link.send(img.mid(1, 2000));
    QCOMPARE(link.queued(), 0u);
    link.clock.advance(40);
    link.send(img.mid(2001) + QByteArray::fromHex("0200"));

    // The upload's short text first, then the status reply asked for after it.
    const QByteArray answer = link.readAll();
    const int textEnd = answer.indexOf("17\r\n");
    QCOMPARE(answer.left(textEnd), QByteArray("Upload OK"));
    const PedalModel& m = link.pedal.model();
    QCOMPARE(m.effectImage, img);
    QCOMPARE(m.addressTable[0], uint16_t(0x0200));
    QCOMPARE(m.addressTable[21], uint16_t(0x0215));
    // Not one of the embedded images: the algorithm number stays.
    QCOMPARE(LinkedPedal::numbers(answer.mid(textEnd)).mid(0, 3), (QList<int>{17, 0, 0x15}));

    // The new table is the one parameter writes go to.
    link.sendHex("01020000123456");
    QCOMPARE(link.pedal.model().values[PedalModel::Dry], 0x00123456u);
}

void TestVirtualPedal::malformedImageIsRejected()
{
    LinkedPedal link;
    const auto tableBefore = link.pedal.model().addressTable;
    link.send(image(20, 0x0300));
    QCOMPARE(link.readAll(), QByteArray("Upload Error"));
    QCOMPARE(link.pedal.model().addressTable, tableBefore);
    QCOMPARE(link.pedal.model().rejectedImages, 1);
    QCOMPARE(link.status().size(), 107); // and the next message is read as usual
}

void TestVirtualPedal::embeddedImageSetsTheAlgorithmVersion()
{
    bool ok = false;
    const QByteArray text = DataItems::bytes(QStringLiteral("QUARNEL_MK3_0014"), &ok);
    if (!ok)
        QSKIP("The embedded effect image QUARNEL_MK3_0014 is not built into this tree");
    LinkedPedal link;
    const QByteArray img = QByteArray::fromHex(text.trimmed());
    link.send(img);
    QCOMPARE(link.readAll(), QByteArray("Upload OK"));
    const QList<int> reply = link.status();
    QCOMPARE(reply.mid(0, 3), (QList<int>{17, 0x00, 0x14}));
    QCOMPARE(link.pedal.model().addressTable[0], uint16_t(uint8_t(img[3]) << 8 | uint8_t(img[4])));
}

void TestVirtualPedal::badInstrumentChecksumIsIgnoredAndCounted()
{
    LinkedPedal link;
    link.sendHex("0FBA0203040506B4");
    QCOMPARE(link.pedal.model().instrumentRange, uint8_t(0xFF));
    QCOMPARE(link.pedal.model().badInstrumentChecksums, 1);
    link.sendHex("0FBA0203040506B3");
    QCOMPARE(link.pedal.model().instrumentRange, uint8_t(0xBA));
    QCOMPARE(link.pedal.model().badInstrumentChecksums, 1);
}

void TestVirtualPedal::memoryEraseAndReadTakeTheirWireTime()
{
    LinkedPedal link;
    link.pedal.model().memory50[16383] = 0x00;
    link.pedal.model().memory51[0] = 0x12;

    link.sendHex("0C5000000000");
    QCOMPARE(link.queued(), 0u);
    // 16385 bytes of 10 bits at 115200 baud: 1422.3 ms.
    link.clock.advance(1422);
    QVERIFY(link.queued() < 16385u);
    QVERIFY(link.queued() > 16000u);
    link.clock.advance(1);
    const QByteArray dump = link.readAll();
    QCOMPARE(dump.size(), 16385);
    QCOMPARE(uint8_t(dump[0]), uint8_t(0xAB));
    QCOMPARE(dump.mid(1, 16383), QByteArray(16383, char(0xFF)));
    QCOMPARE(uint8_t(dump[16384]), uint8_t(0x00));

    link.sendHex("0B50000000");
    QCOMPARE(link.queued(), 0u);
    QCOMPARE(link.pedal.model().memory50, QByteArray(16384, char(0xFF)));
    QCOMPARE(uint8_t(link.pedal.model().memory51[0]), uint8_t(0x12)); // the other memory is untouched

    link.sendHex("0C5100000000");
    link.clock.advance(1500);
    QCOMPARE(link.readAll().mid(0, 2), QByteArray::fromHex("AB12"));
    link.sendHex("0C5200000000"); // no memory at bus address 52
    link.clock.advance(1500);
    QCOMPARE(link.queued(), 0u);
}

void TestVirtualPedal::strayBytesAndTruncatedMessagesDoNotWedgeTheParser()
{
    LinkedPedal link;
    link.sendHex("550D01");
    QCOMPARE(link.pedal.model().bypass, uint8_t(1));
    QCOMPARE(link.pedal.model().unknownBytes, 1);

    // A message cut short is dropped once its bytes stop coming.
    link.sendHex("010027");
    link.clock.advance(PedalFirmware::kMessageGapMs + 1);
    QCOMPARE(link.status().size(), 107);
    QCOMPARE(link.pedal.model().droppedPartialMessages, 1);

    // An image header that promises more than comes does not swallow what follows.
    link.send(image(4256, 0x0400).left(100));
    link.clock.advance(PedalFirmware::kMessageGapMs + 1);
    QCOMPARE(link.status().size(), 107);
    QCOMPARE(link.pedal.model().addressTable[0], LinkedPedal::kDry);
}

void TestVirtualPedal::bootloaderRequestIsRecordedButUnanswered()
{
    LinkedPedal link;
    link.sendHex("0500010203040506");
    link.clock.advance(1000);
    QCOMPARE(link.queued(), 0u);
    QCOMPARE(link.pedal.model().bootloaderEntryRequests, 1);
    QCOMPARE(link.pedal.mode(), VirtualPedal::Mode::Firmware);
    QCOMPARE(link.pedal.writes().constLast().bytes, QByteArray::fromHex("0500010203040506"));
}

void TestVirtualPedal::writesAreRecordedWithTheirTime()
{
    LinkedPedal link;
    const qint64 start = link.clock.nowMs();
    link.sendHex("0D01");
    link.clock.sleepMs(40);
    link.sendHex("0200");

    const QList<VirtualPedal::Write>& w = link.pedal.writes();
    QCOMPARE(w.size(), 2);
    QCOMPARE(w[0].ms, start);
    QCOMPARE(w[0].bytes, QByteArray::fromHex("0D01"));
    QCOMPARE(w[1].ms, start + 40);
    QVERIFY(w[0].understood && w[1].understood);
    QCOMPARE(link.pedal.writtenBytes(), QByteArray::fromHex("0D010200"));
}

void TestVirtualPedal::deviceCallsBehaveLikeD2xx()
{
    VirtualClock clock;
    VirtualPedal pedal(clock);
    FtdiDriver::Handle none = nullptr;
    uint8_t byte = 0;
    uint32_t n = 0;
    QCOMPARE(pedal.read(none, &byte, 1, n), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QCOMPARE(pedal.write(none, &byte, 1, n), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QCOMPARE(pedal.queueStatus(none, n), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QCOMPARE(pedal.purge(none, 3), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QCOMPARE(pedal.setBaudRate(none, 115200), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QCOMPARE(pedal.setDataCharacteristics(none, 8, 0, 0), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QCOMPARE(pedal.close(none), uint32_t(FtdiDriver::FT_INVALID_HANDLE));
    QVERIFY(pedal.writes().isEmpty());

    char area[64];
    QCOMPARE(pedal.listDeviceCount(n), 0u);
    QCOMPARE(n, 1u);
    QCOMPARE(pedal.listSerialNumber(0, area), 0u);
    QCOMPARE(QByteArray(area), QByteArray("QM3V0001"));
    QCOMPARE(pedal.listDescription(0, area), 0u);
    QCOMPARE(QByteArray(area), QByteArray("Quarnel MK3"));
    QCOMPARE(pedal.listSerialNumber(1, area), uint32_t(FtdiDriver::FT_DEVICE_NOT_FOUND));

    FtdiDriver::Handle h = nullptr;
    QCOMPARE(pedal.openBySerialNumber("QM3V0002", h), uint32_t(FtdiDriver::FT_DEVICE_NOT_FOUND));
    QCOMPARE(pedal.openBySerialNumber("QM3V0001", h), 0u);
    FtdiDriver::Handle second = nullptr;
    QCOMPARE(pedal.openBySerialNumber("QM3V0001", second), uint32_t(FtdiDriver::FT_DEVICE_NOT_OPENED));
    QCOMPARE(pedal.setBaudRate(h, 0), uint32_t(FtdiDriver::FT_INVALID_BAUD_RATE));
    QCOMPARE(pedal.setDataCharacteristics(h, 9, 0, 0), uint32_t(FtdiDriver::FT_INVALID_PARAMETER));
    QCOMPARE(pedal.setDataCharacteristics(h, 8, 0, 2), 0u);
    QCOMPARE(pedal.line().parity, uint8_t(2));
    QCOMPARE(pedal.close(h), 0u);
    QCOMPARE(pedal.close(h), uint32_t(FtdiDriver::FT_INVALID_HANDLE));

    pedal.setRefuseOpen(true);
    QCOMPARE(pedal.openBySerialNumber("QM3V0001", h), uint32_t(FtdiDriver::FT_DEVICE_NOT_OPENED));
}

void TestVirtualPedal::lineSettingsTheFirmwareCannotRead()
{
    // Straight after an open the line runs at FTDI's 9600 baud; so does a link that forgot its rate.
    VirtualClock clock;
    VirtualPedal pedal(clock);
    FtdiDriver::Handle h = nullptr;
    pedal.openBySerialNumber(VirtualPedal::kSerialNumber, h);
    const uint8_t request[] = {0x02, 0x00};
    uint32_t n = 0;
    QCOMPARE(pedal.write(h, request, 2, n), 0u);
    QCOMPARE(n, 2u);
    pedal.queueStatus(h, n);
    QCOMPARE(n, 0u);
    QVERIFY(!pedal.writes().constLast().understood);

    pedal.setBaudRate(h, 115200);
    pedal.setDataCharacteristics(h, 8, 0, 2); // the bootloader's even parity
    pedal.write(h, request, 2, n);
    pedal.queueStatus(h, n);
    QCOMPARE(n, 0u);

    pedal.setDataCharacteristics(h, 8, 0, 0);
    pedal.write(h, request, 2, n);
    pedal.queueStatus(h, n);
    QVERIFY(n > 0);
    QCOMPARE(pedal.model().unreadableBytes, 4);
}

void TestVirtualPedal::unplugFailsTheCallsUntilReopened()
{
    LinkedPedal link;
    link.sendHex("0200");
    link.pedal.unplug();

    uint8_t buffer[8];
    uint32_t n = 0;
    QCOMPARE(link.pedal.queueStatus(link.handle, n), uint32_t(FtdiDriver::FT_IO_ERROR));
    QCOMPARE(link.pedal.read(link.handle, buffer, 8, n), uint32_t(FtdiDriver::FT_IO_ERROR));
    QCOMPARE(link.pedal.write(link.handle, buffer, 2, n), uint32_t(FtdiDriver::FT_IO_ERROR));
    QCOMPARE(n, 0u);
    QCOMPARE(link.pedal.purge(link.handle, 1), uint32_t(FtdiDriver::FT_IO_ERROR));
    QCOMPARE(link.pedal.setBaudRate(link.handle, 115200), uint32_t(FtdiDriver::FT_IO_ERROR));
    QCOMPARE(link.pedal.listDeviceCount(n), 0u);
    QCOMPARE(n, 0u);
    char area[64];
    QCOMPARE(link.pedal.listSerialNumber(0, area), uint32_t(FtdiDriver::FT_DEVICE_NOT_FOUND));
    FtdiDriver::Handle h = nullptr;
    QCOMPARE(link.pedal.openBySerialNumber(VirtualPedal::kSerialNumber, h), uint32_t(FtdiDriver::FT_DEVICE_NOT_FOUND));

    // Plugged in again, the old handle stays dead; a new open works and the pedal answers.
    link.pedal.replug();
    QCOMPARE(link.pedal.queueStatus(link.handle, n), uint32_t(FtdiDriver::FT_IO_ERROR));
    QCOMPARE(link.pedal.close(link.handle), 0u);
    QCOMPARE(link.pedal.openBySerialNumber(VirtualPedal::kSerialNumber, h), 0u);
    QVERIFY(h != link.handle);
    link.handle = h;
    QCOMPARE(link.queued(), 0u); // what was on its way before the unplug is gone
    link.pedal.setBaudRate(h, 115200);
    QCOMPARE(link.status().size(), 107);
}

void TestVirtualPedal::answerFaults_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<int>("splitAt");
    QTest::addColumn<QList<int>>("times");  // ms after the request
    QTest::addColumn<QList<int>>("counts"); // bytes queued by then

    QTest::newRow("on time") << 0 << -1 << -1 << QList<int>{0} << QList<int>{-1};
    QTest::newRow("late") << 500 << -1 << -1 << QList<int>{0, 499, 500} << QList<int>{0, 0, -1};
    QTest::newRow("two parts") << 0 << 300 << 10 << QList<int>{0, 299, 300} << QList<int>{10, 10, -1};
    QTest::newRow("late, in two parts") << 100 << 50 << -1 << QList<int>{99, 100, 150} << QList<int>{0, -2, -1};
}

void TestVirtualPedal::answerFaults()
{
    QFETCH(int, delayMs);
    QFETCH(int, gapMs);
    QFETCH(int, splitAt);
    QFETCH(QList<int>, times);
    QFETCH(QList<int>, counts); // -1: the whole reply, -2: half of it

    LinkedPedal link;
    link.pedal.setReplyDelay(delayMs);
    link.pedal.setSplitReplies(gapMs, splitAt);
    const int whole = StatusReply::text(link.pedal.model(), -1, false).size();
    const qint64 start = link.clock.nowMs();
    link.sendHex("0200");
    for (int i = 0; i < times.size(); ++i) {
        link.clock.advance(start + times[i] - link.clock.nowMs());
        const int expected = counts[i] == -1 ? whole : counts[i] == -2 ? whole / 2 : counts[i];
        QCOMPARE(int(link.queued()), expected);
    }
    QCOMPARE(LinkedPedal::numbers(link.readAll()).size(), 107);
}

void TestVirtualPedal::silentPedalStillTakesMessages()
{
    LinkedPedal link;
    link.pedal.setSilent(true);
    link.sendHex("0D01");
    link.sendHex("0200");
    link.sendHex("0C5000000000");
    link.clock.advance(5000);
    QCOMPARE(link.queued(), 0u);
    QCOMPARE(link.pedal.model().bypass, uint8_t(1));
    link.pedal.setSilent(false);
    QCOMPARE(link.status().at(22), 1);
}

void TestVirtualPedal::shortAndGarbledReplies()
{
    LinkedPedal link;
    link.pedal.setShortReply(50);
    QCOMPARE(link.status().size(), 50);
    link.pedal.setShortReply(-1);
    link.pedal.setGarbledReply(true);
    link.sendHex("0200");
    const QByteArray text = link.readAll();
    QVERIFY(text.startsWith("1?\r\n0\r\n21\r"));
    QCOMPARE(text.count('\r'), 107);
}

void TestVirtualPedal::wireTimeModelAndPurge()
{
    LinkedPedal link;
    link.pedal.setWireTimeModel(true, 16);
    const int whole = StatusReply::text(link.pedal.model(), -1, false).size();
    const double perByte = 10 * 1000.0 / 115200;
    link.sendHex("0200"); // 2 bytes inbound, then the latency, then a byte every perByte
    link.clock.advance(16);
    QCOMPARE(link.queued(), 0u);
    link.clock.advance(10);
    const uint32_t partway = link.queued();
    QCOMPARE(int(partway), int((10 - 2 * perByte) / perByte));

    // A receive purge drops what has arrived; the rest is still on its way.
    QCOMPARE(link.pedal.purge(link.handle, FtdiDriver::FT_PURGE_RX), 0u);
    QCOMPARE(link.queued(), 0u);
    link.clock.advance(qint64(whole * perByte) + 1);
    QCOMPARE(int(link.queued()), whole - int(partway));
}

QTEST_GUILESS_MAIN(TestVirtualPedal)
#include "tst_virtualpedal.moc"
