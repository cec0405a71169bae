// The automatic copies of the pedal's values: dated names, never over an
// existing file, the newest hundred kept, the user's own files left alone.

#include "presets/BackupFiles.h"
#include "presets/PresetFile.h"

#include <QtTest>

namespace {
PresetFile::Values valuesStartingAt(uint32_t first)
{
    PresetFile::Values v{};
    for (size_t k = 0; k < v.size(); ++k)
        v[k] = first + uint32_t(k);
    return v;
}

const QDateTime kWhen(QDate(2026, 12, 10), QTime(5, 40, 45));
} // namespace

class TestBackupFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
    void sameSecondNeverOverwrites();
    void keepsTheNewestHundred();
    void theCopyJustWrittenStaysWhenOthersAreDatedLater();
    void unwritableFolderIsAnError();
};

void TestBackupFiles::names_data()
{
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QString>("name");
    QTest::newRow("first of its second") << 1 << QStringLiteral("Backup 2026-12-10 05-40-45.txt");
    QTest::newRow("second of its second") << 2 << QStringLiteral("Backup 2026-12-10 05-40-45 2.txt");
    QTest::newRow("twelfth sorts after the second") << 12 << QStringLiteral("Backup 2026-12-10 05-40-45 12.txt");
}

void TestBackupFiles::names()
{
    QFETCH(int, sequence);
    QFETCH(QString, name);
    QCOMPARE(BackupFiles::fileName(kWhen, sequence), name);
}

void TestBackupFiles::sameSecondNeverOverwrites()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Quarnel MK3/Backups")); // made on the way
    const BackupFiles::Saved first = BackupFiles::save(folder, valuesStartingAt(0x100), kWhen);
    const BackupFiles::Saved second = BackupFiles::save(folder, valuesStartingAt(0x200), kWhen);
    QVERIFY2(first.ok && second.ok, qPrintable(first.error + second.error));
    QCOMPARE(QFileInfo(first.path).fileName(), BackupFiles::fileName(kWhen, 1));
    QCOMPARE(QFileInfo(second.path).fileName(), BackupFiles::fileName(kWhen, 2));

    // Each is a preset file like any other, with its own values.
    const PresetFile::Parsed a = PresetFile::read(first.path);
    const PresetFile::Parsed b = PresetFile::read(second.path);
    QVERIFY(a.ok && b.ok);
    QCOMPARE(a.values, valuesStartingAt(0x100));
    QCOMPARE(b.values, valuesStartingAt(0x200));
    QCOMPARE(BackupFiles::copies(folder), (QStringList{first.path, second.path}));
}

void TestBackupFiles::keepsTheNewestHundred()
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    // The user's own files, one of them named almost like a copy.
    for (const QString& name : {QStringLiteral("mine.txt"), QStringLiteral("Backup notes.txt")}) {
        QFile f(QDir(folder).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QString oldest;
    QString secondOldest;
    for (int i = 0; i < BackupFiles::kKept + 1; ++i) {
        // Two copies in one second on the way: they count like any others.
        const QDateTime when = kWhen.addSecs(i == 1 ? 0 : i);
        const BackupFiles::Saved saved = BackupFiles::save(folder, valuesStartingAt(uint32_t(i)), when);
        QVERIFY(saved.ok);
        QCOMPARE(saved.removed, i == BackupFiles::kKept ? 1 : 0);
        if (i == 0)
            oldest = saved.path;
        if (i == 1)
            secondOldest = saved.path;
    }
    const QStringList kept = BackupFiles::copies(folder);
    QCOMPARE(kept.size(), BackupFiles::kKept);
    QVERIFY(!QFileInfo::exists(oldest));
    QCOMPARE(kept.first(), secondOldest); // the " 2" of the first second is the oldest left
    QVERIFY(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("mine.txt"))));
    QVERIFY(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Backup notes.txt"))));
}

void TestBackupFiles::theCopyJustWrittenStaysWhenOthersAreDatedLater()
{
    // The clock was set back (or the copies came from another time zone):
    // every copy in the folder is dated after the one written now.
    QTemporaryDir dir;
    const QString folder = dir.path();
    for (int i = 0; i < BackupFiles::kKept; ++i)
        QVERIFY(BackupFiles::save(folder, valuesStartingAt(uint32_t(i)), kWhen.addDays(1).addSecs(i)).ok);
    const QString oldestOfThem = BackupFiles::copies(folder).first();

    const BackupFiles::Saved saved = BackupFiles::save(folder, valuesStartingAt(0x777), kWhen);
    QVERIFY(saved.ok);
    QCOMPARE(saved.removed, 1);
    QVERIFY(QFileInfo::exists(saved.path));
    QCOMPARE(PresetFile::read(saved.path).values, valuesStartingAt(0x777));
    QVERIFY(!QFileInfo::exists(oldestOfThem));
    const QStringList kept = BackupFiles::copies(folder);
    QCOMPARE(kept.size(), BackupFiles::kKept);
    QCOMPARE(kept.first(), saved.path);
}

void TestBackupFiles::unwritableFolderIsAnError()
{
    QTemporaryDir dir;
    // A file where the folder should be.
    const QString folder = dir.filePath(QStringLiteral("Backups"));
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const BackupFiles::Saved saved = BackupFiles::save(folder, valuesStartingAt(1), kWhen);
    QVERIFY(!saved.ok);
    QVERIFY(saved.path.isEmpty());
    QVERIFY(!saved.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestBackupFiles)
#include "tst_backupfiles.moc"
