// The bootloader client and the firmware image's blocks, without windows:
// the frames byte for byte and write for write on the virtual pedal, how
// replies are judged, and the cutting of an image into blocks.

#include "data/DataItems.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareWriter.h"
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "virtualpedal/VirtualPedal.h"

#include "RecordingLog.h"
#include "VirtualClock.h"
#include "WriteFaults.h"

#include <QtTest>

namespace {
QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A firmware image the pedal can start: stack at the top of RAM, reset
// handler behind the vector table with the Thumb bit.
QByteArray startableImage(int size)
{
    QByteArray img(size, '\x5A');
    const uint32_t words[] = {0x20005000u, 0x08000000u + 0x100u + 1u};
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 4; ++i)
            img[4 * w + i] = char(words[w] >> (8 * i));
    return img;
}

// The editor's link to a pedal powered up with SHIFT held, opened at 115200.
struct Link {
    VirtualClock clock;
    VirtualPedal pedal{clock};
    RecordingLog log;
    D2XXUnit d2xx{pedal, log};
    Transport transport{d2xx, clock, log};
    BootloaderClient client{d2xx, transport, log};

    explicit Link(bool inBootloader = true)
    {
        pedal.setShiftHeld(inBootloader);
        pedal.powerCycle();
        d2xx.Open_USB_Device_By_Serial_Number(QString::fromLatin1(VirtualPedal::kSerialNumber));
        d2xx.setBaudRate();
        d2xx.setDataCharacteristics();
        pedal.clearWrites();
    }
    QList<QByteArray> writes() const
    {
        QList<QByteArray> out;
        for (const auto& w : pedal.writes())
            out.append(w.bytes);
        return out;
    }
};
} // namespace

class TestBootloaderClient : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeCommandSendsAddressAndChecksum_data();
    void writeCommandSendsAddressAndChecksum();
    void blockIsLengthDataChecksumEachItsOwnWrite_data();
    void blockIsLengthDataChecksumEachItsOwnWrite();
    void stampIsTenOneByteWrites_data();
    void stampIsTenOneByteWrites();
    void repliesAreJudgedByTheirFirstByte_data();
    void repliesAreJudgedByTheirFirstByte();
    void eraseAllThenGoInFiveOneByteWrites();
    void handshake_data();
    void handshake();
    void chunks_data();
    void chunks();
    void firmware17IsCutAsTheUpgradeWritesIt();
    void imageCheck_data();
    void imageCheck();
    void versionFromEntry_data();
    void versionFromEntry();
    void writerStopsAtTheFirstRefusal_data();
    void writerStopsAtTheFirstRefusal();
    void readMemory_data();
    void readMemory();
    void writerReadsEveryBlockBackBeforeTheStamp();
    void writerStopsAtTheFirstDifference_data();
    void writerStopsAtTheFirstDifference();
    void startableOnlyWithStampAndVectorTable_data();
    void startableOnlyWithStampAndVectorTable();
    void versionFromFileName_data();
    void versionFromFileName();
};

void TestBootloaderClient::writeCommandSendsAddressAndChecksum_data()
{
    QTest::addColumn<uint32_t>("address");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("checksumLine");
    QTest::newRow("flash base") << 0x08000000u << hex("0800000008") << "address checksum: 08";
    QTest::newRow("second block") << 0x08000100u << hex("0800010009") << "address checksum: 09";
    QTest::newRow("version stamp") << 0x0801FC00u << hex("0801FC00F5") << "address checksum: F5";
}

void TestBootloaderClient::writeCommandSendsAddressAndChecksum()
{
    QFETCH(uint32_t, address);
    QFETCH(QByteArray, frame);
    QFETCH(QString, checksumLine);
    Link link;
    QVERIFY(link.client.handshake().ok);
    link.pedal.clearWrites();
    link.log.clear();

    QVERIFY(link.client.sendWriteCommand(address));
    QCOMPARE(link.writes(), (QList<QByteArray>{hex("31"), hex("CE"), frame}));
    const QStringList& lines = link.log.lines;
    QCOMPARE(lines.first(), QStringLiteral("SEND WRITE COMMAND"));
    const int at = static_cast<int>(lines.indexOf(QStringLiteral("SEND ADDRESS + CHECKSUM")));
    QVERIFY(at > 0);
    QCOMPARE(lines.at(at + 1), QStringLiteral("Address: ") + QString::fromLatin1(frame.left(4).toHex().toUpper()));
    QCOMPARE(lines.at(at + 2), checksumLine);
    QCOMPARE(link.log.directLines, (QStringList{"received: 79", "ACK", "received: 79", "ACK"}));
}

void TestBootloaderClient::blockIsLengthDataChecksumEachItsOwnWrite_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("n");
    QTest::addColumn<QByteArray>("checksum");
    QTest::newRow("256 zero bytes") << QByteArray(256, '\0') << hex("FF") << hex("FF");
    QByteArray last(96, '\0');
    last[0] = char(0x12);
    last[95] = char(0x34);
    QTest::newRow("last block of 96") << last << hex("5F") << QByteArray(1, char(0x5F ^ 0x12 ^ 0x34));
}

void TestBootloaderClient::blockIsLengthDataChecksumEachItsOwnWrite()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, n);
    QFETCH(QByteArray, checksum);
    Link link;
    QVERIFY(link.client.handshake().ok);
    QVERIFY(link.client.eraseAll());
    QVERIFY(link.client.sendWriteCommand(0x08000100u));
    link.pedal.clearWrites();
    link.log.clear();

    QVERIFY(link.client.sendBlock(data));
    QCOMPARE(link.writes(), (QList<QByteArray>{n, data, checksum}));
    QCOMPARE(link.pedal.flash().mid(0x100, data.size()), data);
    QCOMPARE(link.log.lines.mid(0, 4),
             (QStringList{"SEND N BYTE + DATA + CHECKSUM", "N_byte: " + QString::fromLatin1(n.toHex().toUpper()),
                          "chunk size: " + QString::number(data.size()),
                          "data checksum: " + QString::fromLatin1(checksum.toHex().toUpper())}));
}

void TestBootloaderClient::stampIsTenOneByteWrites_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QByteArray>("stamp");
    QTest::newRow("17") << 17 << hex("07000000000000001116");
    QTest::newRow("5") << 5 << hex("07000000000000000502");
}

void TestBootloaderClient::stampIsTenOneByteWrites()
{
    QFETCH(int, version);
    QFETCH(QByteArray, stamp);
    QCOMPARE(BootloaderClient::stampFrame(version), stamp);

    Link link;
    QVERIFY(link.client.handshake().ok);
    QVERIFY(link.client.eraseAll());
    QVERIFY(link.client.sendWriteCommand(0x0801FC00u));
    link.pedal.clearWrites();
    QVERIFY(link.client.sendStamp(version));
    QList<QByteArray> expected;
    for (const char b : stamp)
        expected.append(QByteArray(1, b));
    QCOMPARE(link.writes(), expected);
    QCOMPARE(PedalMicrocontroller::stampedVersion(link.pedal.flash()), version);
}

void TestBootloaderClient::repliesAreJudgedByTheirFirstByte_data()
{
    using Kind = BootloaderClient::Failure::Kind;
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ack");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("ACK") << hex("79") << true << int(Kind::None) << QStringList{"received: 79", "ACK"};
    QTest::newRow("ACK then NACK") << hex("791F") << true << int(Kind::None) << QStringList{"received: 79", "ACK"};
    QTest::newRow("NACK") << hex("1F") << false << int(Kind::Nack) << QStringList{"received: 1F", "NOT ACK"};
    QTest::newRow("something else") << hex("42") << false << int(Kind::Unexpected) << QStringList{"received: 42"};
    QTest::newRow("nothing") << QByteArray() << false << int(Kind::NoReply) << QStringList{"received: "};
}

void TestBootloaderClient::repliesAreJudgedByTheirFirstByte()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ack);
    QFETCH(int, kind);
    QFETCH(QStringList, lines);
    Link link(false);
    if (!reply.isEmpty())
        link.pedal.sendUnasked(reply);
    const qint64 before = link.clock.nowMs();
    QCOMPARE(link.client.waitForAcknowledge(QStringLiteral("the test")), ack);
    QCOMPARE(int(link.client.failure().kind), kind);
    QCOMPARE(link.log.directLines, lines);
    // Nothing waits for ever: no reply ends at the time limit.
    QVERIFY(link.clock.nowMs() - before <= BootloaderClient::kAckTimeoutMs + 10);
}

void TestBootloaderClient::eraseAllThenGoInFiveOneByteWrites()
{
    Link link;
    QVERIFY(link.client.handshake().ok);
    link.pedal.clearWrites();
    link.log.clear();
    QVERIFY(link.client.eraseAll());
    QCOMPARE(link.writes(), (QList<QByteArray>{hex("43BC"), hex("FF00")}));
    QCOMPARE(link.log.directLines.first(), QStringLiteral("Start Erase Command"));
    QCOMPARE(link.pedal.flash(), QByteArray(PedalModel::kFlashSize, char(0xFF)));

    // A program to start, then Go.
    const QByteArray image = startableImage(512);
    QVERIFY(link.client.sendWriteCommand(0x08000000u));
    QVERIFY(link.client.sendBlock(image.left(256)));
    QVERIFY(link.client.sendWriteCommand(0x08000100u));
    QVERIFY(link.client.sendBlock(image.mid(256)));
    link.pedal.clearWrites();
    link.log.clear();
    QVERIFY(link.client.go());
    QCOMPARE(link.writes(), (QList<QByteArray>{hex("21"), hex("DE"), hex("08"), hex("00"), hex("00"), hex("00"),
                                               hex("08")}));
    QCOMPARE(link.log.lines.mid(0, 2), (QStringList{QString(), "SEND GO COMMAND"}));
    QVERIFY(link.log.lines.contains(QStringLiteral("Address: 08000000")));
    QVERIFY(link.log.lines.contains(QStringLiteral("address checksum: 08")));
    QCOMPARE(link.pedal.mode(), VirtualPedal::Mode::Firmware);
}

void TestBootloaderClient::handshake_data()
{
    QTest::addColumn<bool>("shiftHeld");
    QTest::addColumn<bool>("syncedBefore");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("reply"); // what the console is shown
    QTest::newRow("fresh bootloader") << true << false << true << "79";
    // The second 0x7F completes a command 7F 7F, which the bootloader refuses.
    QTest::newRow("bootloader synchronised before") << true << true << true << "1F";
    QTest::newRow("firmware running, no bootloader") << false << false << false << "";
}

void TestBootloaderClient::handshake()
{
    QFETCH(bool, shiftHeld);
    QFETCH(bool, syncedBefore);
    QFETCH(bool, ok);
    QFETCH(QString, reply);
    Link link(shiftHeld);
    if (syncedBefore)
        QVERIFY(link.client.handshake().ok);
    const qint64 before = link.clock.nowMs();
    const BootloaderClient::Handshake h = link.client.handshake();
    QCOMPARE(h.ok, ok);
    QCOMPARE(h.reply, reply);
    QCOMPARE(link.client.handshakeFailed(), !ok);
    QCOMPARE(link.pedal.line().parity, uint8_t(2));
    QCOMPARE(link.pedal.line().baud, 115200u);
    QVERIFY(link.clock.nowMs() - before
            <= BootloaderClient::kHandshakeTimeoutMs + BootloaderClient::kResyncTimeoutMs + 20);
    if (ok) {
        // Whatever the way in, the bootloader takes a command next.
        QVERIFY(link.client.sendWriteCommand(0x08000000u));
    }
}

void TestBootloaderClient::chunks_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lastSize");
    QTest::addColumn<uint32_t>("lastAddress");
    QTest::newRow("256 bytes") << 256 << 1 << 256 << 0x08000000u;
    QTest::newRow("4 * 256 bytes") << 1024 << 4 << 256 << 0x08000300u;
    QTest::newRow("1000 bytes") << 1000 << 4 << 232 << 0x08000300u;
    // Flash takes whole words: the rest of a last block is erased flash.
    QTest::newRow("1001 bytes") << 1001 << 4 << 236 << 0x08000300u;
}

void TestBootloaderClient::chunks()
{
    QFETCH(int, size);
    QFETCH(int, count);
    QFETCH(int, lastSize);
    QFETCH(uint32_t, lastAddress);
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char(i * 7);
    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(image);
    QCOMPARE(chunks.size(), count);
    QCOMPARE(chunks.last().bytes.size(), lastSize);
    QCOMPARE(chunks.last().address, lastAddress);
    QByteArray joined;
    for (int i = 0; i < chunks.size(); ++i) {
        QCOMPARE(chunks.at(i).address, 0x08000000u + uint32_t(256 * i));
        joined += chunks.at(i).bytes;
    }
    QCOMPARE(joined.left(size), image);
    QCOMPARE(joined.mid(size), QByteArray(lastSize - (size - 256 * (count - 1)), char(0xFF)));
}

void TestBootloaderClient::firmware17IsCutAsTheUpgradeWritesIt()
{
    bool ok = false;
    const QByteArray image = DataItems::bytes(QStringLiteral("Firmware_17"), &ok);
    QVERIFY(ok);
    QCOMPARE(image.size(), 53856);
    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(image);
    QCOMPARE(chunks.size(), 211);
    QCOMPARE(chunks.last().bytes.size(), 96);
    QCOMPARE(chunks.last().address, 0x0800D200u);
    QCOMPARE(FirmwareImage::check(image), QString());

    RecordingLog log;
    FirmwareImage::logChunks(log, image, chunks);
    QCOMPARE(log.lines.mid(0, 2), (QStringList{"num of chunks: 210", "num of bytes last chunk: 96"}));
    QVERIFY(log.lines.contains(QStringLiteral("chunk 210 size: 96")));
    QCOMPARE(log.lines.count(QStringLiteral("num of bytes last chunk: 96")), 2);
}

void TestBootloaderClient::imageCheck_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("refusedFor");
    QTest::newRow("sound") << startableImage(1024) << QString();
    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("larger than the flash") << startableImage(131073) << "more than the pedal's flash";
    QTest::newRow("over the version stamp") << startableImage(131072) << "firmware version";
    QByteArray noStack = startableImage(1024);
    noStack[3] = char(0x08); // 0x08005000: flash, not RAM
    QTest::newRow("stack outside RAM") << noStack << "stack address";
    QByteArray arm = startableImage(1024);
    arm[4] = char(0x00); // reset address without the Thumb bit
    QTest::newRow("reset not Thumb") << arm << "start address";
    QTest::newRow("reset beyond the image") << startableImage(0x100) << "start address";
}

void TestBootloaderClient::imageCheck()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, refusedFor);
    const QString why = FirmwareImage::check(image);
    if (refusedFor.isEmpty())
        QCOMPARE(why, QString());
    else
        QVERIFY2(why.contains(refusedFor), qPrintable(why));
}

void TestBootloaderClient::versionFromEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("version");
    QTest::newRow("Firmware_17") << "Firmware_17" << 17;
    QTest::newRow("ten characters") << "Firmware_9" << 9;
    QTest::newRow("twelve characters") << "Firmware_123" << 123;
    QTest::newRow("too short keeps the previous") << "Firmware" << 4;
}

void TestBootloaderClient::versionFromEntry()
{
    QFETCH(QString, entry);
    QFETCH(int, version);
    QCOMPARE(FirmwareImage::versionFromEntry(entry, 4), version);
}

void TestBootloaderClient::writerStopsAtTheFirstRefusal_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("NACK") << "nack" << "at block 3 of 4 (address 0x08000200): the pedal refused the block";
    QTest::newRow("silence") << "silent" << "at block 3 of 4 (address 0x08000200): the pedal did not answer the block";
    QTest::newRow("unplugged") << "unplug" << "at block 3 of 4 (address 0x08000200): the link to the pedal was lost";
}

void TestBootloaderClient::writerStopsAtTheFirstRefusal()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    Link link;
    failWriteAt(link.pedal, fault, 2);
    QVERIFY(link.client.handshake().ok);
    FirmwareWriter writer(link.client, link.clock, link.log);
    QList<int> progress;
    const FirmwareWriter::Outcome outcome = writer.write(
        FirmwareImage::chunks(startableImage(1024)), 17,
        [&](FirmwareWriter::Phase, int block, int) { progress.append(block); });
    QVERIFY(!outcome.ok);
    QVERIFY(outcome.erased);
    QCOMPARE(outcome.block, 2);
    QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
    QCOMPARE(progress, (QList<int>{0, 1, 2}));
    // Nothing after the refused block: not the next block, not the stamp.
    QCOMPARE(link.pedal.writes().last().bytes.size(), 1);
    QVERIFY(!link.pedal.writtenBytes().contains(BootloaderClient::addressFrame(0x08000300u)));
}

void TestBootloaderClient::readMemory_data()
{
    QTest::addColumn<uint32_t>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::newRow("a whole block") << 0x08000000u << 256 << true
                                   << QList<QByteArray>{hex("11EE"), hex("0800000008"), hex("FF00")};
    QTest::newRow("the stamp") << 0x0801FC00u << 8 << true
                               << QList<QByteArray>{hex("11EE"), hex("0801FC00F5"), hex("07F8")};
    QTest::newRow("outside the flash: the address is refused")
        << 0x20000000u << 4 << false << QList<QByteArray>{hex("11EE"), hex("2000000020")};
}

void TestBootloaderClient::readMemory()
{
    QFETCH(uint32_t, address);
    QFETCH(int, count);
    QFETCH(bool, ok);
    QFETCH(QList<QByteArray>, writes);
    Link link;
    QVERIFY(link.client.handshake().ok);
    link.pedal.clearWrites();
    link.log.clear();
    QByteArray bytes;
    QCOMPARE(link.client.readMemory(address, count, bytes), ok);
    QCOMPARE(link.writes(), writes);
    if (ok) {
        QCOMPARE(bytes, link.pedal.flash().mid(int(address - 0x08000000u), count));
        QCOMPARE(link.log.directLines, (QStringList{"received: 79", "ACK", "received: 79", "ACK", "received: 79", "ACK"}));
        QVERIFY(link.log.lines.contains(QStringLiteral("num of bytes read back: %1").arg(count)));
    } else {
        QCOMPARE(int(link.client.failure().kind), int(BootloaderClient::Failure::Kind::Nack));
        QVERIFY(bytes.isEmpty());
    }
    // Whatever happened, the bootloader takes a command next.
    QVERIFY(link.client.sendWriteCommand(0x08000000u));
}

void TestBootloaderClient::writerReadsEveryBlockBackBeforeTheStamp()
{
    Link link;
    QVERIFY(link.client.handshake().ok);
    link.pedal.clearWrites();
    FirmwareWriter writer(link.client, link.clock, link.log);
    QStringList progress;
    const QByteArray image = startableImage(1000);
    const FirmwareWriter::Outcome outcome =
        writer.write(FirmwareImage::chunks(image), 16, [&](FirmwareWriter::Phase phase, int block, int count) {
            const char* name[] = {"write", "check", "stamp"};
            progress << QStringLiteral("%1 %2/%3").arg(QLatin1String(name[int(phase)])).arg(block).arg(count);
        });
    QVERIFY2(outcome.ok, qPrintable(outcome.message));
    QCOMPARE(progress, (QStringList{"write 0/4", "write 1/4", "write 2/4", "write 3/4", "check 0/4", "check 1/4",
                                    "check 2/4", "check 3/4", "stamp 4/4"}));
    // Every block is read back after the last is written, and the stamp after it is written.
    const QList<QByteArray> w = link.writes();
    const int lastBlock = static_cast<int>(w.indexOf(hex("080003000B")));
    const int firstRead = static_cast<int>(w.indexOf(hex("11EE")));
    const int stamp = static_cast<int>(w.indexOf(hex("0801FC00F5")));
    QVERIFY2(lastBlock >= 0 && lastBlock < firstRead && firstRead < stamp,
             qPrintable(QStringLiteral("%1 %2 %3").arg(lastBlock).arg(firstRead).arg(stamp)));
    QCOMPARE(w.count(hex("11EE")), 5);
    QCOMPARE(w.mid(stamp + 1).count(hex("11EE")), 1);
    QCOMPARE(w.last(), hex("07F8"));
    QCOMPARE(link.pedal.flash().left(1000), image);
    QCOMPARE(PedalMicrocontroller::stampedVersion(link.pedal.flash()), 16);
}

void TestBootloaderClient::writerStopsAtTheFirstDifference_data()
{
    QTest::addColumn<qint64>("worn");
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("message");
    QTest::newRow("byte 5 of block 3") << qint64(0x08000205) << 2
                                       << "while checking block 3 of 4 (address 0x08000205): the flash read back "
                                          "differs from what was written there";
    QTest::newRow("the stamp's version byte") << qint64(0x0801FC07) << -1
                                              << "while checking the version stamp (address 0x0801FC07): the flash "
                                                 "read back differs from what was written there";
}

void TestBootloaderClient::writerStopsAtTheFirstDifference()
{
    QFETCH(qint64, worn);
    QFETCH(int, block);
    QFETCH(QString, message);
    Link link;
    link.pedal.setCorruptAt(worn);
    QVERIFY(link.client.handshake().ok);
    link.pedal.clearWrites();
    FirmwareWriter writer(link.client, link.clock, link.log);
    const FirmwareWriter::Outcome outcome = writer.write(FirmwareImage::chunks(startableImage(1024)), 17, {});
    QVERIFY(!outcome.ok);
    QVERIFY(outcome.differs);
    QCOMPARE(outcome.block, block);
    QCOMPARE(qint64(outcome.address), worn);
    QVERIFY2(outcome.message.startsWith(QStringLiteral("The firmware upgrade failed ") + message),
             qPrintable(outcome.message));
    QVERIFY(outcome.message.contains(QStringLiteral("The pedal stays in its bootloader")));
    // A difference in a block stops the write before the stamp.
    QCOMPARE(link.writes().contains(hex("0801FC00F5")), block < 0);
    // Every block was read back whole before the stamp: only then is there a
    // program to start.
    QCOMPARE(writer.checkStartable().ok, block < 0);
}

void TestBootloaderClient::startableOnlyWithStampAndVectorTable_data()
{
    QTest::addColumn<QString>("flash");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("why");
    QTest::newRow("the factory's program and stamp") << "factory" << true << QString();
    QTest::newRow("erased") << "erased" << false << "no firmware version stamp";
    QTest::newRow("image written, no stamp") << "image" << false << "no firmware version stamp";
    QTest::newRow("stamp over an erased start") << "stamp" << false << "does not start like a firmware";
    QTest::newRow("stamp half written") << "half stamp" << false << "no firmware version stamp";
}

void TestBootloaderClient::startableOnlyWithStampAndVectorTable()
{
    QFETCH(QString, flash);
    QFETCH(bool, ok);
    QFETCH(QString, why);
    Link link;
    QByteArray& f = link.pedal.model().flash;
    const int stampAt = int(FirmwareImage::kStampAddress - FirmwareImage::kFlashBase);
    if (flash != QLatin1String("factory"))
        f.fill(char(0xFF));
    if (flash == QLatin1String("image"))
        f.replace(0, 1024, startableImage(1024));
    if (flash == QLatin1String("stamp"))
        PedalModel::stamp(f, 17);
    if (flash == QLatin1String("half stamp")) {
        f.replace(0, 1024, startableImage(1024));
        f.replace(stampAt, 4, QByteArray(4, '\0'));
    }
    QVERIFY(link.client.handshake().ok);
    FirmwareWriter writer(link.client, link.clock, link.log);
    const FirmwareWriter::Startable startable = writer.checkStartable();
    QCOMPARE(startable.ok, ok);
    QVERIFY2(startable.why.contains(why), qPrintable(startable.why));
}

void TestBootloaderClient::versionFromFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("version");
    QTest::newRow("as embedded") << "FIRMWARE_16" << 16;
    QTest::newRow("any case, an extension") << "firmware_9.bin" << 9;
    QTest::newRow("three digits") << "Firmware_123" << 123;
    QTest::newRow("no number") << "FIRMWARE_" << -1;
    QTest::newRow("more after the number") << "FIRMWARE_16_test.bin" << -1;
    QTest::newRow("other name") << "image.bin" << -1;
    QTest::newRow("not a stamp's version") << "FIRMWARE_255" << -1;
    QTest::newRow("zero") << "FIRMWARE_0" << -1;
}

void TestBootloaderClient::versionFromFileName()
{
    QFETCH(QString, name);
    QFETCH(int, version);
    QCOMPARE(FirmwareImage::versionFromFileName(name), version);
}

QTEST_GUILESS_MAIN(TestBootloaderClient)
#include "tst_bootloaderclient.moc"
