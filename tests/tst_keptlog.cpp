// The run's kept log: packed blocks must give back exactly what went in, in
// order, and the bound must drop only the oldest lines.

#include "console/KeptLog.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Lines of every awkward kind, enough to fill several packed blocks.
QStringList sampleLines(int count)
{
    const QStringList odd = {QString(), QStringLiteral("answer\r\nin two lines"), QString(QChar(0)) + QStringLiteral("x"),
                             QStringLiteral("Größe \t\u00E9\U0001F3B8")};
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(i % 97 < int(odd.size()) ? odd.at(i % 97) : QStringLiteral("%1: sent 03 00 %2").arg(i).arg(i % 256, 2, 16));
    return lines;
}

QString crLfJoined(const QStringList& lines)
{
    QString s;
    for (const QString& l : lines)
        s += l + QLatin1String("\r\n");
    return s;
}
} // namespace

class TestKeptLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void givesBackWhatWentIn_data();
    void givesBackWhatWentIn();
    void lastLinesAcrossBlocks_data();
    void lastLinesAcrossBlocks();
    void boundDropsTheOldestWithOneMarker_data();
    void boundDropsTheOldestWithOneMarker();
    void clearStartsAfresh();
    void packedBlocksGoToTheTemporaryFile_data();
    void packedBlocksGoToTheTemporaryFile();
    void aSpoiledTemporaryFileCostsOnlyItsLines_data();
    void aSpoiledTemporaryFileCostsOnlyItsLines();
};

void TestKeptLog::givesBackWhatWentIn_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("none") << 0;
    QTest::newRow("a few, unpacked") << 5;
    QTest::newRow("several blocks and an open tail") << 20000;
}

void TestKeptLog::givesBackWhatWentIn()
{
    QFETCH(int, count);
    const QStringList in = sampleLines(count);
    KeptLog log;
    for (const QString& l : in)
        log.append(l);
    QCOMPARE(log.lines(), in);
    QCOMPARE(log.lineCount(), in.size());
    const QString text = crLfJoined(in);
    QCOMPARE(log.text(), text);
    QCOMPARE(log.chars(), text.size());
}

void TestKeptLog::lastLinesAcrossBlocks_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("reaching into the packed blocks") << 5000;
    QTest::newRow("all") << 20000;
    QTest::newRow("more than there are") << 30000;
}

void TestKeptLog::lastLinesAcrossBlocks()
{
    QFETCH(int, count);
    const QStringList in = sampleLines(20000);
    KeptLog log;
    for (const QString& l : in)
        log.append(l);
    QCOMPARE(log.lastLines(count), in.mid(in.size() - qMin(count, int(in.size()))));
}

void TestKeptLog::boundDropsTheOldestWithOneMarker_data()
{
    QTest::addColumn<qsizetype>("maxChars");
    QTest::newRow("below one block: single lines go") << qsizetype(1000);
    QTest::newRow("several blocks: whole blocks go") << qsizetype(300000);
}

void TestKeptLog::boundDropsTheOldestWithOneMarker()
{
    QFETCH(qsizetype, maxChars);
    const QStringList in = sampleLines(40000);
    QTemporaryDir folder;
    KeptLog log(maxChars, folder.path());
    for (const QString& l : in)
        log.append(l);
    QVERIFY(log.chars() <= maxChars);
    QCOMPARE(log.chars(), log.text().size());

    const QStringList kept = log.lines();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^\\[(\\d+) earlier lines dropped to bound memory\\]$")).match(kept.first());
    QVERIFY2(m.hasMatch(), qPrintable(kept.first()));
    const int dropped = m.captured(1).toInt();
    // The marker counts exactly the lines that went, and the rest is the
    // unbroken newest part.
    QCOMPARE(dropped + kept.size() - 1, in.size());
    QCOMPARE(kept.mid(1), in.mid(dropped));
    // Dropped blocks do not pile up in the temporary file.
    QVERIFY(QFileInfo(log.spillFileName()).size() <= log.spilledBytes() + qMax<qint64>(1 << 20, log.spilledBytes()));

    log.setMaxChars(maxChars / 2);
    QVERIFY(log.chars() <= maxChars / 2);
    QCOMPARE(log.lines().filter(QStringLiteral("earlier lines dropped")).size(), 1);
    QCOMPARE(log.lines().constLast(), in.constLast());
}

void TestKeptLog::clearStartsAfresh()
{
    KeptLog log(1000);
    for (const QString& l : sampleLines(500))
        log.append(l);
    log.clear();
    QCOMPARE(log.lines(), QStringList());
    QCOMPARE(log.chars(), 0);
    log.append(QStringLiteral("after"));
    QCOMPARE(log.lines(), QStringList{QStringLiteral("after")});
}

void TestKeptLog::packedBlocksGoToTheTemporaryFile_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("a folder to write in") << true;
    QTest::newRow("no such folder: kept in memory") << false;
}

void TestKeptLog::packedBlocksGoToTheTemporaryFile()
{
    QFETCH(bool, writable);
    QTemporaryDir folder;
    const QString where = writable ? folder.path() : folder.filePath(QStringLiteral("missing/deeper"));
    const QStringList in = sampleLines(20000);
    QString name;
    {
        KeptLog log(KeptLog::kDefaultMaxChars, where);
        for (const QString& l : in)
            log.append(l);
        QCOMPARE(log.lines(), in);
        QCOMPARE(log.text(), crLfJoined(in));
        QCOMPARE(log.spilledBytes() > 0, writable);
        name = log.spillFileName();
        QCOMPARE(name.startsWith(folder.path()), writable);
        if (writable)
            QCOMPARE(QFileInfo(name).size(), log.spilledBytes());
    }
    if (writable)
        QVERIFY(!QFileInfo::exists(name)); // gone with the log
}

void TestKeptLog::aSpoiledTemporaryFileCostsOnlyItsLines_data()
{
    QTest::addColumn<QByteArray>("spoil"); // empty: the file emptied
    QTest::newRow("emptied") << QByteArray();
    QTest::newRow("overwritten with other bytes") << QByteArray(1 << 20, '\xFF');
}

void TestKeptLog::aSpoiledTemporaryFileCostsOnlyItsLines()
{
    QFETCH(QByteArray, spoil);
    QTemporaryDir folder;
    const QStringList in = sampleLines(20000);
    KeptLog log(KeptLog::kDefaultMaxChars, folder.path());
    for (const QString& l : in)
        log.append(l);
    // As if a cleaner or another program had been at the temporary folder.
    if (spoil.isEmpty()) {
        QVERIFY(QFile::resize(log.spillFileName(), 0));
    } else {
        QFile file(log.spillFileName());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.write(spoil.left(file.size())) > 0);
    }

    const QStringList lines = log.lines();
    QVERIFY(!lines.isEmpty());
    QVERIFY2(lines.first().contains(QStringLiteral("could not be read back")), qPrintable(lines.first()));
    QCOMPARE(lines.constLast(), in.constLast()); // the unpacked newest lines are whole
    log.append(QStringLiteral("still logging"));
    QCOMPARE(log.lastLines(1), QStringList{QStringLiteral("still logging")});
}

QTEST_MAIN(TestKeptLog)
#include "tst_keptlog.moc"
