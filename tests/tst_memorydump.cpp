// Collecting the pedal's memory dump across reads and judging it only whole.

#include "RecordingLog.h"

#include "console/MemoryDump.h"

#include <QtTest>

namespace {
QByteArray erased(int n = MemoryDump::kMemorySize)
{
    return QByteArray(n, char(0xFF));
}

MemoryDump::Progress feed(MemoryDump& dump, const QByteArray& bytes, qint64 ms)
{
    return dump.feed(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<uint32_t>(bytes.size()), ms);
}
} // namespace

class TestMemoryDump : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void piecesMakeOneDump_data();
    void piecesMakeOneDump();
    void bytesWithoutAStartAreNoDump();
    void aQuietDumpTimesOut();
    void bytesBeyondTheDumpAreDropped();
    void anABAfterAGapStartsANewDump_data();
    void anABAfterAGapStartsANewDump();
    void erasedMeansEveryByteOfAWholeMemory_data();
    void erasedMeansEveryByteOfAWholeMemory();
    void memoryIsLoggedOneLinePerByte();
};

void TestMemoryDump::piecesMakeOneDump_data()
{
    QTest::addColumn<QList<int>>("cuts"); // sizes of the reads, AB included in the first
    QTest::newRow("one read") << QList<int>{16385};
    QTest::newRow("three reads") << QList<int>{1, 8000, 8384};
    QTest::newRow("AB alone, then the rest in small pieces") << QList<int>{1, 4096, 4096, 4096, 4096};
    QTest::newRow("read of 62 like an FTDI packet") << QList<int>{62, 62, 16261};
}

void TestMemoryDump::piecesMakeOneDump()
{
    QFETCH(QList<int>, cuts);
    QByteArray memory(MemoryDump::kMemorySize, '\0');
    for (int i = 0; i < memory.size(); ++i)
        memory[i] = char(i * 7);
    memory[0] = char(0xAB); // a memory byte AB in the middle of a dump is just data
    const QByteArray wire = QByteArray(1, char(0xAB)) + memory;

    MemoryDump dump;
    int at = 0;
    qint64 ms = 0;
    for (int k = 0; k < cuts.size(); ++k) {
        const MemoryDump::Progress p = feed(dump, wire.mid(at, cuts[k]), ms += 50);
        at += cuts[k];
        QCOMPARE(p, k + 1 < cuts.size() ? MemoryDump::Progress::Collecting : MemoryDump::Progress::Whole);
    }
    QVERIFY(dump.isWhole());
    QCOMPARE(dump.take(), memory);
    QVERIFY(!dump.collecting());
}

void TestMemoryDump::bytesWithoutAStartAreNoDump()
{
    MemoryDump dump;
    QCOMPARE(feed(dump, QByteArray("hello"), 0), MemoryDump::Progress::NotADump);
    QCOMPARE(feed(dump, QByteArray("\x00\xAB", 2), 0), MemoryDump::Progress::NotADump);
    QVERIFY(!dump.collecting());
    QVERIFY(!dump.timedOut(1'000'000));
}

void TestMemoryDump::aQuietDumpTimesOut()
{
    MemoryDump dump;
    QCOMPARE(feed(dump, QByteArray(1, char(0xAB)) + erased(1000), 100), MemoryDump::Progress::Collecting);
    QCOMPARE(feed(dump, erased(500), 400), MemoryDump::Progress::Collecting);
    // Measured from the last piece, not the first.
    QVERIFY(!dump.timedOut(400 + MemoryDump::kQuietLimitMs));
    QVERIFY(dump.timedOut(400 + MemoryDump::kQuietLimitMs + 1));
    QCOMPARE(dump.received(), 1500);
    QVERIFY(!MemoryDump::isErased(dump.take()));

    // A whole dump never times out, however long it waits to be judged.
    QCOMPARE(feed(dump, QByteArray(1, char(0xAB)) + erased(), 0), MemoryDump::Progress::Whole);
    QVERIFY(!dump.timedOut(1'000'000));
}

void TestMemoryDump::bytesBeyondTheDumpAreDropped()
{
    MemoryDump dump;
    feed(dump, QByteArray(1, char(0xAB)) + erased(16000), 0);
    QCOMPARE(feed(dump, erased(384) + QByteArray("tail"), 50), MemoryDump::Progress::Whole);
    QCOMPARE(dump.received(), MemoryDump::kMemorySize);
    QVERIFY(MemoryDump::isErased(dump.memory()));
}

void TestMemoryDump::anABAfterAGapStartsANewDump_data()
{
    QTest::addColumn<int>("quietMs"); // since the dump's last bytes
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<bool>("newDump");
    const QByteArray ab(1, char(0xAB));
    QTest::newRow("AB after the gap") << MemoryDump::kNewDumpGapMs + 1 << ab + erased(100) << true;
    QTest::newRow("AB alone after the gap") << MemoryDump::kQuietLimitMs << ab << true;
    QTest::newRow("AB at the next tick is a memory byte") << 50 << ab + erased(100) << false;
    QTest::newRow("AB right at the gap is a memory byte") << MemoryDump::kNewDumpGapMs << ab << false;
    QTest::newRow("other bytes after a long gap") << 1400 << erased(100) << false;
    QTest::newRow("AB later in the read") << 1400 << erased(1) + ab << false;
    QTest::newRow("nothing") << 1400 << QByteArray() << false;
}

void TestMemoryDump::anABAfterAGapStartsANewDump()
{
    QFETCH(int, quietMs);
    QFETCH(QByteArray, read);
    QFETCH(bool, newDump);
    const auto data = reinterpret_cast<const uint8_t*>(read.constData());
    const auto count = static_cast<uint32_t>(read.size());
    MemoryDump dump;
    QVERIFY(!dump.startsNewDump(data, count, 0)); // nothing collected: any AB is simply a start
    feed(dump, QByteArray(1, char(0xAB)) + erased(1000), 100);
    QCOMPARE(dump.startsNewDump(data, count, 100 + quietMs), newDump);
}

void TestMemoryDump::erasedMeansEveryByteOfAWholeMemory_data()
{
    QTest::addColumn<QByteArray>("memory");
    QTest::addColumn<bool>("isErased");
    QByteArray lastNotFF = erased();
    lastNotFF[MemoryDump::kMemorySize - 1] = char(0xFE);
    QByteArray firstNotFF = erased();
    firstNotFF[0] = '\0';
    QTest::newRow("all FF") << erased() << true;
    QTest::newRow("last byte FE") << lastNotFF << false;
    QTest::newRow("first byte 00") << firstNotFF << false;
    QTest::newRow("FF but short") << erased(MemoryDump::kMemorySize - 1) << false;
    QTest::newRow("nothing") << QByteArray() << false;
}

void TestMemoryDump::erasedMeansEveryByteOfAWholeMemory()
{
    QFETCH(QByteArray, memory);
    QFETCH(bool, isErased);
    QCOMPARE(MemoryDump::isErased(memory), isErased);
}

void TestMemoryDump::memoryIsLoggedOneLinePerByte()
{
    QCOMPARE(MemoryDump::line(0, 0xFF), QStringLiteral("0: FF"));
    QCOMPARE(MemoryDump::line(16383, 0x0A), QStringLiteral("16383: 0A"));
    RecordingLog log;
    MemoryDump::logMemory(log, QByteArray("\x00\xAB\x7F", 3));
    QCOMPARE(log.lines, (QStringList{QStringLiteral("0: 00"), QStringLiteral("1: AB"), QStringLiteral("2: 7F")}));
}

QTEST_GUILESS_MAIN(TestMemoryDump)
#include "tst_memorydump.moc"
