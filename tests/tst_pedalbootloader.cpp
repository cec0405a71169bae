// The virtual pedal's bootloader through the driver interface, as the editor's
// upgrade meets it: the STM32 USART bootloader's commands byte by byte, the
// flash behind them, the ways in and out of the bootloader, and the faults a
// test can inject into an upgrade.

#include "virtualpedal/VirtualPedal.h"

#include "VirtualClock.h"

#include <QtTest>

namespace {
QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

uint8_t xorOf(const QByteArray& bytes)
{
    uint8_t x = 0;
    for (const char c : bytes)
        x ^= uint8_t(c);
    return x;
}

// Address and its XOR, most significant byte first.
QByteArray addressFrame(uint32_t address)
{
    QByteArray a;
    for (int shift = 24; shift >= 0; shift -= 8)
        a += char(address >> shift);
    return a + char(xorOf(a));
}

// N (length - 1), the data and the XOR of both.
QByteArray blockFrame(const QByteArray& data)
{
    QByteArray b = char(data.size() - 1) + data;
    return b + char(xorOf(b));
}

QByteArray pattern(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 13);
    return b;
}

// A firmware image as the editor carries one: a vector table (stack at the top
// of RAM, reset handler behind the table, Thumb bit set), then program bytes.
QByteArray firmwareImage(int size)
{
    QByteArray img = pattern(size, 0x5A);
    const uint32_t words[] = {0x20005000u, 0x08000000u + 0x200u + 1u};
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 4; ++i)
            img[4 * w + i] = char(words[w] >> (8 * i));
    return img;
}

constexpr int kStampOffset = int(PedalModel::kStampAddress - PedalModel::kFlashBase);

// A pedal in its bootloader (powered up with SHIFT held) on a link set to the
// bootloader's 115200 baud, 8 data bits, even parity, one stop bit.
struct BootloaderLink {
    VirtualClock clock;
    VirtualPedal pedal{clock};
    FtdiDriver::Handle handle = nullptr;

    explicit BootloaderLink(bool synchronise = true)
    {
        pedal.setShiftHeld(true);
        pedal.powerCycle();
        pedal.openBySerialNumber(VirtualPedal::kSerialNumber, handle);
        pedal.setBaudRate(handle, 115200);
        setLine(8, 0, 2);
        if (synchronise && exchange(hex("7F")) != hex("79"))
            qWarning("the bootloader did not acknowledge the synchronisation");
    }

    uint32_t setLine(uint8_t word, uint8_t stop, uint8_t parity)
    {
        return pedal.setDataCharacteristics(handle, word, stop, parity);
    }
    uint32_t send(const QByteArray& bytes)
    {
        uint32_t written = 0;
        return pedal.write(handle, reinterpret_cast<const uint8_t*>(bytes.constData()), uint32_t(bytes.size()),
                           written);
    }
    // What the pedal has answered by now.
    QByteArray readAll()
    {
        uint32_t n = 0;
        pedal.queueStatus(handle, n);
        QByteArray out(int(n), '\0');
        uint32_t got = 0;
        pedal.read(handle, reinterpret_cast<uint8_t*>(out.data()), n, got);
        out.truncate(int(got));
        return out;
    }
    // Sends, gives the pedal time for the slowest flash operation, reads the answer.
    QByteArray exchange(const QByteArray& bytes, int waitMs = 100)
    {
        send(bytes);
        clock.advance(waitMs);
        return readAll();
    }
    // One exchange after another; the answers in that order.
    QByteArray exchanges(const QList<QByteArray>& steps)
    {
        QByteArray replies;
        for (const QByteArray& s : steps)
            replies += exchange(s);
        return replies;
    }
    QByteArray writeMemory(uint32_t address, const QByteArray& data)
    {
        return exchanges({hex("31CE"), addressFrame(address), blockFrame(data)});
    }
    QByteArray readMemory(uint32_t address, int count)
    {
        exchange(hex("11EE"));
        exchange(addressFrame(address));
        const QByteArray reply = exchange(QByteArray(1, char(count - 1)) + char(~(count - 1)));
        return reply.startsWith(char(0x79)) ? reply.mid(1) : QByteArray();
    }
    QByteArray eraseAll() { return exchanges({hex("43BC"), hex("FF00")}); }
    QByteArray go(uint32_t address) { return exchanges({hex("21DE"), addressFrame(address)}); }
    // The firmware's status request on the firmware's 8N1 line; -1 without an answer.
    int reportedFirmware()
    {
        setLine(8, 0, 0);
        const QByteArray reply = exchange(hex("0200"), 500);
        setLine(8, 0, 2);
        return reply.isEmpty() ? -1 : reply.left(reply.indexOf('\r')).toInt();
    }
};
} // namespace

class TestPedalBootloader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandsAnswerAsTheStm32Does_data();
    void commandsAnswerAsTheStm32Does();
    void writeMemoryFrames_data();
    void writeMemoryFrames();
    void eraseGlobalAndByPages_data();
    void eraseGlobalAndByPages();
    void upgradeAsTheEditorSendsIt();
    void goRunsOnlyASoundVectorTable_data();
    void goRunsOnlyASoundVectorTable();
    void powerUpStartsTheBootloaderOnlyWithShift_data();
    void powerUpStartsTheBootloaderOnlyWithShift();
    void bootloaderRequestNeedsShift_data();
    void bootloaderRequestNeedsShift();
    void lineSettingsTheBootloaderReads_data();
    void lineSettingsTheBootloaderReads();
    void writeFaults_data();
    void writeFaults();
    void lateAndSlowAnswersTakeTheirTime();
};

void TestPedalBootloader::commandsAnswerAsTheStm32Does_data()
{
    QTest::addColumn<QStringList>("sent");    // one exchange each, after the synchronisation
    QTest::addColumn<QStringList>("replies"); // the answer to each

    QTest::newRow("Get lists what it carries out") << QStringList{"00FF"} << QStringList{"79072200010211213143" "79"};
    QTest::newRow("Get Version") << QStringList{"01FE"} << QStringList{"7922000079"};
    QTest::newRow("Get ID: STM32F10x medium density") << QStringList{"02FD"} << QStringList{"7901041079"};
    QTest::newRow("complement wrong") << QStringList{"0000", "01FE"} << QStringList{"1F", "7922000079"};
    QTest::newRow("Extended Erase is not carried") << QStringList{"44BB"} << QStringList{"1F"};
    QTest::newRow("second 7F waits for a second byte, then NACK")
        << QStringList{"7F", "7F", "02FD"} << QStringList{"", "1F", "7901041079"};
    QTest::newRow("Read Memory, the factory program's stack pointer")
        << QStringList{"11EE", "0800000008", "03FC"} << QStringList{"79", "79", "7900500020"};
    QTest::newRow("Read Memory, length complement wrong")
        << QStringList{"11EE", "0800000008", "0300"} << QStringList{"79", "79", "1F"};
    QTest::newRow("Read Memory, address checksum wrong")
        << QStringList{"11EE", "0800000009"} << QStringList{"79", "1F"};
    QTest::newRow("Read Memory past the end of flash")
        << QStringList{"11EE", "0801FFFC0A", "07F8"} << QStringList{"79", "79", "1F"};
    QTest::newRow("Read Memory outside flash") << QStringList{"11EE", "2000000020"} << QStringList{"79", "1F"};
    QTest::newRow("Go outside flash") << QStringList{"21DE", "2000000020", "01FE"}
                                      << QStringList{"79", "1F", "7922000079"};
}

void TestPedalBootloader::commandsAnswerAsTheStm32Does()
{
    QFETCH(QStringList, sent);
    QFETCH(QStringList, replies);
    BootloaderLink link;
    for (int i = 0; i < sent.size(); ++i)
        QCOMPARE(link.exchange(QByteArray::fromHex(sent[i].toLatin1())).toHex().toUpper(), replies[i].toLatin1());
    QCOMPARE(link.pedal.mode(), VirtualPedal::Mode::Bootloader);
}

void TestPedalBootloader::writeMemoryFrames_data()
{
    QTest::addColumn<bool>("erased");
    QTest::addColumn<QByteArray>("address"); // as sent: four bytes and their XOR
    QTest::addColumn<QByteArray>("block");   // as sent: N, data, XOR
    QTest::addColumn<QByteArray>("replies"); // to the command, the address, the block
    QTest::addColumn<int>("written");        // offset in flash of the data, -1: flash unchanged

    const QByteArray zeros = QByteArray(1, char(0xFF)) + QByteArray(256, '\0') + char(0xFF);
    const QByteArray ninetySix = char(0x5F) + QByteArray(96, char(0x5A)) + char(0x5F);
    QTest::newRow("0x08000000, 256 zero bytes: N FF, checksum FF")
        << true << hex("0800000008") << zeros << hex("797979") << 0;
    QTest::newRow("0x08000100, 96 bytes: N 5F") << true << hex("0800010009") << ninetySix << hex("797979") << 0x100;
    QTest::newRow("0x0801FC00, the stamp of version 17")
        << true << hex("0801FC00F5") << hex("0700000000000000" "1116") << hex("797979") << kStampOffset;
    QTest::newRow("address checksum wrong") << true << hex("0800000009") << QByteArray() << hex("791F") << -1;
    QTest::newRow("data checksum wrong") << true << hex("0800000008") << zeros.chopped(1) + char(0xFE)
                                         << hex("79791F") << -1;
    QTest::newRow("over flash not erased") << false << hex("0800010009") << ninetySix << hex("79791F") << -1;
    QTest::newRow("outside flash") << true << hex("080200000A") << QByteArray() << hex("791F") << -1;
    QTest::newRow("address not on a word") << true << hex("080000020A") << QByteArray() << hex("791F") << -1;
    QTest::newRow("length not whole words") << true << hex("0800000008") << blockFrame(hex("010203"))
                                            << hex("79791F") << -1;
    QTest::newRow("running past the end of flash")
        << true << hex("0801FFFC0A") << blockFrame(QByteArray(8, '\0')) << hex("79791F") << -1;
}

void TestPedalBootloader::writeMemoryFrames()
{
    QFETCH(bool, erased);
    QFETCH(QByteArray, address);
    QFETCH(QByteArray, block);
    QFETCH(QByteArray, replies);
    QFETCH(int, written);
    BootloaderLink link;
    if (erased)
        QCOMPARE(link.eraseAll(), hex("7979"));
    const QByteArray before = link.pedal.flash();

    const QByteArray got = link.exchanges(block.isEmpty() ? QList<QByteArray>{hex("31CE"), address}
                                                          : QList<QByteArray>{hex("31CE"), address, block});
    QCOMPARE(got.toHex(), replies.toHex());

    if (written < 0) {
        QCOMPARE(link.pedal.flash(), before);
        // A refused command leaves the bootloader ready for the next.
        QCOMPARE(link.exchange(hex("01FE")), hex("7922000079"));
        return;
    }
    const QByteArray data = block.mid(1, block.size() - 2);
    QByteArray expected = before;
    expected.replace(written, data.size(), data);
    QCOMPARE(link.pedal.flash(), expected);
    QCOMPARE(link.readMemory(PedalModel::kFlashBase + uint32_t(written), data.size()), data);
}

void TestPedalBootloader::eraseGlobalAndByPages_data()
{
    QTest::addColumn<QByteArray>("list"); // what follows 43 BC
    QTest::addColumn<QList<int>>("pages"); // erased afterwards; empty: nothing erased
    QTest::addColumn<int>("ackAfterMs");   // the flash's time, -1: NACK at once

    QList<int> all;
    for (int p = 0; p < 128; ++p)
        all << p;
    QTest::newRow("global") << hex("FF00") << all << 40;
    QTest::newRow("global, checksum wrong") << hex("FF01") << QList<int>{} << -1;
    QTest::newRow("one page") << hex("000505") << QList<int>{5} << 20;
    QTest::newRow("first and last page") << hex("01007F7E") << QList<int>{0, 127} << 40;
    QTest::newRow("pages, checksum wrong") << hex("01007F7F") << QList<int>{} << -1;
    QTest::newRow("page beyond the flash") << hex("01008081") << QList<int>{} << -1;
}

void TestPedalBootloader::eraseGlobalAndByPages()
{
    QFETCH(QByteArray, list);
    QFETCH(QList<int>, pages);
    QFETCH(int, ackAfterMs);
    BootloaderLink link;
    link.pedal.model().flash.fill('\0');

    QCOMPARE(link.exchange(hex("43BC")), hex("79"));
    link.send(list);
    if (ackAfterMs < 0) {
        QCOMPARE(link.readAll(), hex("1F"));
    } else {
        link.clock.advance(ackAfterMs - 1);
        QCOMPARE(link.readAll(), QByteArray());
        link.clock.advance(1);
        QCOMPARE(link.readAll(), hex("79"));
    }
    const QByteArray& flash = link.pedal.flash();
    for (int p = 0; p < 128; ++p) {
        const char fill = pages.contains(p) ? char(0xFF) : '\0';
        QVERIFY2(flash.mid(p * 1024, 1024) == QByteArray(1024, fill), qPrintable(QString::number(p)));
    }
}

void TestPedalBootloader::upgradeAsTheEditorSendsIt()
{
    // The editor's upgrade, byte for byte and write for write, into a pedal
    // that came with firmware 9: erase, the image in chunks of 256 (the last
    // one 96 bytes at 0x0800D200), the stamp of version 17, Go.
    BootloaderLink link(false);
    link.pedal.setFirmwareVersion(9);
    link.pedal.setShiftHeld(false);
    const QByteArray image = firmwareImage(53856);
    auto ack = [&] {
        link.clock.advance(50);
        return link.readAll() == hex("79");
    };

    QVERIFY(link.exchange(hex("7F")) == hex("79"));
    link.send(hex("43BC"));
    QVERIFY(ack());
    link.send(hex("FF00"));
    QVERIFY(ack());
    uint32_t address = PedalModel::kFlashBase;
    for (int at = 0; at < image.size(); at += 256) {
        const QByteArray chunk = image.mid(at, 256);
        link.send(hex("31"));
        link.send(hex("CE"));
        QVERIFY(ack());
        link.send(addressFrame(address));
        QVERIFY(ack());
        link.send(QByteArray(1, char(chunk.size() - 1)));
        link.send(chunk);
        link.send(QByteArray(1, char(xorOf(chunk) ^ uint8_t(chunk.size() - 1))));
        QVERIFY2(ack(), qPrintable(QString::number(address, 16)));
        address += uint32_t(chunk.size());
    }
    QCOMPARE(address, 0x0800D260u);
    link.send(hex("31"));
    link.send(hex("CE"));
    QVERIFY(ack());
    link.send(hex("0801FC00F5"));
    QVERIFY(ack());
    for (const char b : hex("0700000000000000" "1116"))
        link.send(QByteArray(1, b));
    QVERIFY(ack());
    link.send(hex("21"));
    link.send(hex("DE"));
    QVERIFY(ack());
    for (const char b : hex("0800000008"))
        link.send(QByteArray(1, b));
    QVERIFY(ack());

    QCOMPARE(link.pedal.mode(), VirtualPedal::Mode::Firmware);
    QByteArray expected(PedalModel::kFlashSize, char(0xFF));
    expected.replace(0, image.size(), image);
    expected.replace(kStampOffset, 8, hex("0000000000000011"));
    QCOMPARE(link.pedal.flash(), expected);
    QCOMPARE(link.reportedFirmware(), 17);

    // Every write was read by the bootloader on its own line settings, up to the
    // status request, which went to the firmware on 8N1.
    const QList<VirtualPedal::Write>& writes = link.pedal.writes();
    for (int i = 0; i + 1 < writes.size(); ++i) {
        QVERIFY(writes[i].understood);
        QCOMPARE(writes[i].mode, VirtualPedal::Mode::Bootloader);
        QCOMPARE(writes[i].line.parity, uint8_t(2));
    }
    QCOMPARE(writes.constLast().bytes, hex("0200"));
    QCOMPARE(writes.constLast().mode, VirtualPedal::Mode::Firmware);
    QCOMPARE(writes.constLast().line.parity, uint8_t(0));
    QCOMPARE(link.pedal.model().bootloaderNacks, 0);
}

void TestPedalBootloader::goRunsOnlyASoundVectorTable_data()
{
    QTest::addColumn<quint32>("stack");
    QTest::addColumn<quint32>("reset");
    QTest::addColumn<bool>("stamped");
    QTest::addColumn<int>("reported"); // the status reply's firmware version, -1: silent

    QTest::newRow("sound table, stamp 16") << 0x20005000u << 0x08000201u << true << 16;
    QTest::newRow("sound table, no stamp") << 0x20005000u << 0x08000201u << false << 0;
    QTest::newRow("stack beyond RAM") << 0x20005004u << 0x08000201u << true << -1;
    QTest::newRow("stack at the bottom of RAM") << 0x20000000u << 0x08000201u << true << -1;
    QTest::newRow("stack in flash") << 0x08001000u << 0x08000201u << true << -1;
    QTest::newRow("reset without the Thumb bit") << 0x20005000u << 0x08000200u << true << -1;
    QTest::newRow("reset outside flash") << 0x20005000u << 0x1FFFF001u << true << -1;
    QTest::newRow("reset into erased flash") << 0x20005000u << 0x08010001u << true << -1;
    QTest::newRow("erased flash") << 0xFFFFFFFFu << 0xFFFFFFFFu << false << -1;
}

void TestPedalBootloader::goRunsOnlyASoundVectorTable()
{
    QFETCH(quint32, stack);
    QFETCH(quint32, reset);
    QFETCH(bool, stamped);
    QFETCH(int, reported);
    BootloaderLink link;
    link.eraseAll();
    QByteArray image = firmwareImage(1024);
    for (int i = 0; i < 4; ++i) {
        image[i] = char(stack >> (8 * i));
        image[4 + i] = char(reset >> (8 * i));
    }
    for (int at = 0; at < image.size(); at += 256)
        QCOMPARE(link.writeMemory(PedalModel::kFlashBase + uint32_t(at), image.mid(at, 256)), hex("797979"));
    if (stamped)
        QCOMPARE(link.writeMemory(PedalModel::kStampAddress, hex("0000000000000010")), hex("797979"));
    if (stack == 0xFFFFFFFFu)
        link.eraseAll();

    // Go is acknowledged whatever it finds; what runs then shows on the line.
    QCOMPARE(link.go(PedalModel::kFlashBase), hex("7979"));
    QCOMPARE(link.reportedFirmware(), reported);
    QCOMPARE(link.pedal.mode(), reported < 0 ? VirtualPedal::Mode::Halted : VirtualPedal::Mode::Firmware);
    if (reported >= 0)
        return;
    // Silent on either line, to the bootloader's greeting too, until the power goes.
    QCOMPARE(link.exchange(hex("7F")), QByteArray());
    link.pedal.setShiftHeld(false);
    link.pedal.powerCycle();
    QCOMPARE(link.pedal.mode(), VirtualPedal::Mode::Halted);
    QCOMPARE(link.reportedFirmware(), -1);
}

void TestPedalBootloader::powerUpStartsTheBootloaderOnlyWithShift_data()
{
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("flashErased");
    QTest::addColumn<int>("mode");     // VirtualPedal::Mode after the power-up
    QTest::addColumn<int>("reported"); // the firmware's version, -1: silent on 8N1

    QTest::newRow("SHIFT held: bootloader") << true << false << int(VirtualPedal::Mode::Bootloader) << -1;
    QTest::newRow("SHIFT held, nothing in flash: bootloader")
        << true << true << int(VirtualPedal::Mode::Bootloader) << -1;
    QTest::newRow("without SHIFT: the flashed firmware") << false << false << int(VirtualPedal::Mode::Firmware) << 8;
    QTest::newRow("without SHIFT, nothing in flash: silent")
        << false << true << int(VirtualPedal::Mode::Halted) << -1;
}

void TestPedalBootloader::powerUpStartsTheBootloaderOnlyWithShift()
{
    QFETCH(bool, shift);
    QFETCH(bool, flashErased);
    QFETCH(int, mode);
    QFETCH(int, reported);
    // Firmware older than 9 knows no bootloader request: SHIFT at power-up is the way in.
    BootloaderLink link(false);
    link.pedal.setFirmwareVersion(8);
    if (flashErased)
        link.pedal.model().flash.fill(char(0xFF));
    link.pedal.setShiftHeld(shift);
    link.pedal.powerCycle();

    QCOMPARE(int(link.pedal.mode()), mode);
    QCOMPARE(link.reportedFirmware(), reported);
    QCOMPARE(link.exchange(hex("7F")), shift ? hex("79") : QByteArray());

    // Unplugging and plugging in again is a power cycle as well, and SHIFT
    // counts as the cable goes back in.
    link.pedal.unplug();
    link.pedal.setShiftHeld(!shift);
    link.pedal.replug();
    QCOMPARE(link.pedal.mode() == VirtualPedal::Mode::Bootloader, !shift);
}

void TestPedalBootloader::bootloaderRequestNeedsShift_data()
{
    QTest::addColumn<bool>("shift");
    QTest::newRow("SHIFT held") << true;
    QTest::newRow("SHIFT not held") << false;
}

void TestPedalBootloader::bootloaderRequestNeedsShift()
{
    QFETCH(bool, shift);
    BootloaderLink link(false);
    link.pedal.setShiftHeld(false);
    link.pedal.powerCycle();
    link.pedal.setShiftHeld(shift);
    link.setLine(8, 0, 0);

    // The request and whatever follows it in the same write.
    link.exchange(hex("0500010203040506" "0D01"), 200);
    QCOMPARE(link.pedal.model().bootloaderEntryRequests, 1);
    QCOMPARE(link.pedal.mode(), shift ? VirtualPedal::Mode::Bootloader : VirtualPedal::Mode::Firmware);
    QCOMPARE(link.pedal.model().bypass, uint8_t(shift ? 0 : 1));

    link.setLine(8, 0, 2);
    QCOMPARE(link.exchange(hex("7F")), shift ? hex("79") : QByteArray());
    QCOMPARE(link.reportedFirmware(), shift ? -1 : 17);
}

void TestPedalBootloader::lineSettingsTheBootloaderReads_data()
{
    QTest::addColumn<uint32_t>("baud");
    QTest::addColumn<int>("wordLength");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<bool>("read");

    QTest::newRow("8E1 at 115200") << 115200u << 8 << 0 << 2 << true;
    QTest::newRow("8E1 at 9600") << 9600u << 8 << 0 << 2 << true;
    QTest::newRow("8N1, the firmware's") << 115200u << 8 << 0 << 0 << false;
    QTest::newRow("8O1") << 115200u << 8 << 0 << 1 << false;
    QTest::newRow("7E1") << 115200u << 7 << 0 << 2 << false;
    QTest::newRow("8E2") << 115200u << 8 << 2 << 2 << false;
    QTest::newRow("8E1 faster than the part can measure") << 230400u << 8 << 0 << 2 << false;
}

void TestPedalBootloader::lineSettingsTheBootloaderReads()
{
    QFETCH(uint32_t, baud);
    QFETCH(int, wordLength);
    QFETCH(int, stopBits);
    QFETCH(int, parity);
    QFETCH(bool, read);
    BootloaderLink link(false);
    link.pedal.setBaudRate(link.handle, baud);
    link.setLine(uint8_t(wordLength), uint8_t(stopBits), uint8_t(parity));

    QCOMPARE(link.exchange(hex("7F")), read ? hex("79") : QByteArray());
    const VirtualPedal::Write& w = link.pedal.writes().constLast();
    QCOMPARE(w.understood, read);
    QCOMPARE(w.line.baud, baud);
    QCOMPARE(int(w.line.parity), parity);
    QCOMPARE(link.pedal.model().unreadableBytes, read ? 0 : 1);
    if (!read)
        return;
    // The rate is measured on the 0x7F and kept: another rate is noise from then on.
    link.pedal.setBaudRate(link.handle, baud == 9600 ? 115200 : 9600);
    QCOMPARE(link.exchange(hex("01FE")), QByteArray());
    link.pedal.setBaudRate(link.handle, baud);
    QCOMPARE(link.exchange(hex("01FE")), hex("7922000079"));
}

void TestPedalBootloader::writeFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("replies"); // to the three blocks: 79 ACK, 1F NACK, 00 nothing
    QTest::addColumn<QList<bool>>("written");
    QTest::addColumn<bool>("answersAfter"); // Get Version after the blocks

    QTest::newRow("none") << "" << hex("797979") << QList<bool>{true, true, true} << true;
    QTest::newRow("NACK block 1") << "nack 1" << hex("791F79") << QList<bool>{true, false, true} << true;
    QTest::newRow("NACK the block at 0x08000200")
        << "nackAt 134218240" << hex("79791F") << QList<bool>{true, true, false} << true;
    QTest::newRow("silent from block 1") << "silent 1" << hex("790000") << QList<bool>{true, true, false} << false;
    QTest::newRow("unplugged at block 1") << "unplug 1" << hex("790000") << QList<bool>{true, false, false}
                                          << false;
    // 0x08000105: byte 5 of block 1, acknowledged but kept with a bit flipped.
    QTest::newRow("worn byte in block 1") << "corruptAt 134217989" << hex("797979") << QList<bool>{true, false, true}
                                          << true;
}

void TestPedalBootloader::writeFaults()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, replies);
    QFETCH(QList<bool>, written);
    QFETCH(bool, answersAfter);
    BootloaderLink link;
    link.eraseAll();
    const QString kind = fault.section(' ', 0, 0);
    const qint64 arg = fault.section(' ', 1, 1).toLongLong();
    if (kind == "nack")
        link.pedal.setNackWrite(int(arg));
    else if (kind == "nackAt")
        link.pedal.setNackWriteAt(uint32_t(arg));
    else if (kind == "silent")
        link.pedal.setSilentFromWrite(int(arg));
    else if (kind == "unplug")
        link.pedal.setUnplugAtWrite(int(arg));
    else if (kind == "corruptAt")
        link.pedal.setCorruptAt(arg);

    QByteArray got;
    for (int b = 0; b < 3; ++b) {
        const QByteArray data = pattern(256, b + 1);
        const QByteArray reply = link.writeMemory(PedalModel::kFlashBase + uint32_t(256 * b), data);
        // The command and the address are answered before the fault can strike.
        got += reply.size() == 3 ? reply.right(1) : QByteArray(1, '\0');
        const bool isWritten = link.pedal.flash().mid(256 * b, 256) == data;
        QVERIFY2(isWritten == written[b], qPrintable(QStringLiteral("block %1").arg(b)));
    }
    QCOMPARE(got.toHex(), replies.toHex());
    QCOMPARE(link.exchange(hex("01FE")).isEmpty(), !answersAfter);

    if (kind == "unplug") {
        // The block's first byte still left the host; every call after it fails.
        QVERIFY(!link.pedal.isPlugged());
        uint32_t n = 0;
        QCOMPARE(link.pedal.queueStatus(link.handle, n), uint32_t(FtdiDriver::FT_IO_ERROR));
        link.pedal.close(link.handle);
        link.pedal.replug(); // SHIFT still held: the bootloader again, and the flash as it was left
        QCOMPARE(link.pedal.openBySerialNumber(VirtualPedal::kSerialNumber, link.handle), 0u);
        link.pedal.setBaudRate(link.handle, 115200);
        link.setLine(8, 0, 2);
    } else if (kind == "silent") {
        link.pedal.powerCycle();
    } else {
        if (kind == "corruptAt") {
            // Read Memory shows the one byte as the flash kept it.
            const QByteArray block = pattern(256, 2);
            QByteArray kept = block;
            kept[5] = char(uint8_t(kept.at(5)) ^ 0x01);
            QCOMPARE(link.readMemory(PedalModel::kFlashBase + 256, 256), kept);
        }
        return;
    }
    QCOMPARE(link.exchange(hex("7F")), hex("79"));
    QCOMPARE(link.readMemory(PedalModel::kFlashBase, 4), pattern(4, 1));
}

void TestPedalBootloader::lateAndSlowAnswersTakeTheirTime()
{
    BootloaderLink link;
    link.eraseAll();
    link.pedal.setLateWrite(1, 500);
    // 256 bytes are 128 half-words at 50 us each.
    for (int b = 0; b < 2; ++b) {
        link.exchange(hex("31CE"));
        link.exchange(addressFrame(PedalModel::kFlashBase + uint32_t(256 * b)));
        link.send(blockFrame(QByteArray(256, char(b))));
        const int due = 7 + (b == 1 ? 500 : 0);
        link.clock.advance(due - 1);
        QCOMPARE(link.readAll(), QByteArray());
        link.clock.advance(1);
        QCOMPARE(link.readAll(), hex("79"));
    }
    // The pedal-wide answer delay holds for the bootloader too.
    link.pedal.setReplyDelay(300);
    link.send(hex("01FE"));
    link.clock.advance(299);
    QCOMPARE(link.readAll(), QByteArray());
    link.clock.advance(1);
    QCOMPARE(link.readAll(), hex("7922000079"));
}

QTEST_GUILESS_MAIN(TestPedalBootloader)
#include "tst_pedalbootloader.moc"
