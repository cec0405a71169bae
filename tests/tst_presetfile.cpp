// The preset file's bytes, and which files are taken as presets: a file the
// editor wrote always loads, a damaged one is refused as a whole.

#include "presets/PresetFile.h"

#include <QtTest>

namespace {
PresetFile::Values sampleValues()
{
    PresetFile::Values v{};
    for (int k = 0; k < PresetFile::kValueCount; ++k)
        v[size_t(k)] = 0x01012345u * uint32_t(k);
    v[10] = 0x00800000;
    v[19] = 0x0000abcd;
    return v;
}

QByteArray lines(const QStringList& l, const QByteArray& separator)
{
    return l.join(QString::fromLatin1(separator)).toUtf8();
}

QStringList sampleLines()
{
    return PresetFile::valueTexts(sampleValues());
}
} // namespace

class TestPresetFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bytesAreTheWrittenLayout();
    void acceptedLayouts_data();
    void acceptedLayouts();
    void refusedFiles_data();
    void refusedFiles();
    void readingStopsAfterTheLargestPreset_data();
    void readingStopsAfterTheLargestPreset();
};

void TestPresetFile::bytesAreTheWrittenLayout()
{
    const QByteArray b = PresetFile::bytes(sampleValues());
    QCOMPARE(b.size(), 182);
    QCOMPARE(PresetFile::kFileSize, 182);
    QVERIFY(b.startsWith("\xEF\xBB\xBF"));
    QVERIFY(!b.contains('\n'));
    QVERIFY(!b.endsWith('\r'));
    QCOMPARE(b.count('\r'), 19);
    const QList<QByteArray> parts = b.mid(3).split('\r');
    QCOMPARE(parts.size(), 20);
    QCOMPARE(parts.at(0), QByteArray("00000000"));
    QCOMPARE(parts.at(10), QByteArray("00800000"));
    QCOMPARE(parts.at(19), QByteArray("0000ABCD")); // upper case, leading zeros kept
    QCOMPARE(PresetFile::logLabels().size(), 20);
    QCOMPARE(PresetFile::logLabels().at(1), QStringLiteral("SubMix: "));
    QCOMPARE(PresetFile::logLabels().at(11), QStringLiteral("Wave2_Pitch: "));
}

void TestPresetFile::acceptedLayouts_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray bom("\xEF\xBB\xBF");
    const QStringList l = sampleLines();
    QStringList lower;
    for (const QString& s : l)
        lower << s.toLower();
    QTest::newRow("as written") << PresetFile::bytes(sampleValues());
    QTest::newRow("LF") << bom + lines(l, "\n");
    QTest::newRow("CR LF") << bom + lines(l, "\r\n");
    QTest::newRow("no BOM") << lines(l, "\r");
    QTest::newRow("no BOM, LF, break at end") << lines(l, "\n") + "\n";
    QTest::newRow("CR LF at end") << bom + lines(l, "\r\n") + "\r\n";
    QTest::newRow("CR at end") << bom + lines(l, "\r") + "\r";
    QTest::newRow("lower-case digits") << lines(lower, "\r");
}

void TestPresetFile::acceptedLayouts()
{
    QFETCH(QByteArray, file);
    const PresetFile::Parsed p = PresetFile::parse(file);
    QVERIFY2(p.ok, qPrintable(p.error));
    QCOMPARE(p.values, sampleValues());
    QCOMPARE(p.lines.size(), 20);
}

void TestPresetFile::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reasonPart");
    const QStringList l = sampleLines();
    const auto with = [&l](int k, const QString& text) {
        QStringList c = l;
        c[k] = text;
        return lines(c, "\r");
    };
    QTest::newRow("empty") << QByteArray() << QStringLiteral("empty");
    QTest::newRow("only a BOM") << QByteArray("\xEF\xBB\xBF") << QStringLiteral("empty");
    QTest::newRow("short line") << with(4, QStringLiteral("0040000")) << QStringLiteral("line 5 has 7 characters");
    QTest::newRow("long line") << with(6, QStringLiteral("000000000")) << QStringLiteral("line 7 has 9 characters");
    QTest::newRow("non-hex last digit") << with(2, QStringLiteral("0000800g")) << QStringLiteral("line 3");
    QTest::newRow("non-hex first digit") << with(2, QStringLiteral("g0008000")) << QStringLiteral("line 3");
    QTest::newRow("0x prefix") << with(0, QStringLiteral("0x800000")) << QStringLiteral("line 1");
    QTest::newRow("blank in a value") << with(9, QStringLiteral("0080 000")) << QStringLiteral("line 10");
    QTest::newRow("19 values") << lines(l.mid(0, 19), "\r") << QStringLiteral("ends after line 19");
    QTest::newRow("21 values") << lines(l + QStringList{QStringLiteral("00000000")}, "\r")
                               << QStringLiteral("line 21");
    QTest::newRow("empty line inside") << lines(l.mid(0, 10) + QStringList{QString()} + l.mid(10, 9), "\r")
                                       << QStringLiteral("line 11 is empty");
    QTest::newRow("two breaks at end") << lines(l, "\r") + "\r\r" << QStringLiteral("line 21");
    QTest::newRow("not text") << QByteArray("\xFF\xFE\x00\x30", 4) << QStringLiteral("not a text file");
    QTest::newRow("two BOMs") << QByteArray("\xEF\xBB\xBF") + PresetFile::bytes(sampleValues())
                              << QStringLiteral("second byte-order mark");
}

void TestPresetFile::refusedFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, reasonPart);
    const PresetFile::Parsed p = PresetFile::parse(file);
    QVERIFY(!p.ok);
    QVERIFY2(p.error.contains(reasonPart), qPrintable(p.error));
}

void TestPresetFile::readingStopsAfterTheLargestPreset_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reasonPart"); // empty: the file is a preset
    const QByteArray largest = QByteArray("\xEF\xBB\xBF") + lines(sampleLines(), "\r\n") + "\r\n";
    QCOMPARE(largest.size(), PresetFile::kLargestFileSize);
    QTest::newRow("the largest preset") << largest << QString();
    QTest::newRow("one byte more") << largest + "\n" << QStringLiteral("holds 204 bytes");
}

void TestPresetFile::readingStopsAfterTheLargestPreset()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, reasonPart);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    const PresetFile::Parsed p = PresetFile::read(path);
    if (reasonPart.isEmpty()) {
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.values, sampleValues());
        return;
    }
    QVERIFY(!p.ok);
    QVERIFY2(p.error.contains(reasonPart), qPrintable(p.error));
}

QTEST_GUILESS_MAIN(TestPresetFile)
#include "tst_presetfile.moc"
