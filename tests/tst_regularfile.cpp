// Reading and replacing the editor's small files where a name may not be a
// file at all: anything but a regular file is refused unopened, and a read
// never takes more than one byte beyond what the caller can use.

#include "NamedPipe.h"

#include "files/RegularFile.h"
#include "files/TextFiles.h"

#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using RegularFile::Failure;

namespace {
// A path of the kind a row asks for, made in dir.
QString make(const QTemporaryDir& dir, const QString& kind, const QByteArray& content,
             std::unique_ptr<NamedPipe>& pipe)
{
    if (kind.startsWith(QLatin1Char('/')))
        return kind; // a path of the system's own
    const QString path = dir.filePath(kind);
    if (kind == QLatin1String("folder")) {
        QDir().mkpath(path);
    } else if (kind == QLatin1String("pipe")) {
        pipe = std::make_unique<NamedPipe>(path);
    } else if (kind == QLatin1String("file") || kind == QLatin1String("link")) {
        QFile f(dir.filePath(QStringLiteral("file")));
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        if (kind == QLatin1String("link"))
            QFile::link(dir.filePath(QStringLiteral("file")), path);
    }
    return path; // "missing": nothing made
}
} // namespace

class TestRegularFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reads_data();
    void reads();
    void writesRefuseWhatIsNotAFile_data();
    void writesRefuseWhatIsNotAFile();
    void aFailedWriteLeavesTheOldFile();
};

void TestRegularFile::reads_data()
{
    QTest::addColumn<QString>("kind"); // file, folder, pipe, missing, or a path of the system
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("largest");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<qint64>("size");
    QTest::newRow("file") << "file" << QByteArray("hello") << 5 << Failure::None << qint64(-1);
    QTest::newRow("empty file") << "file" << QByteArray() << 5 << Failure::None << qint64(-1);
    QTest::newRow("one byte too many") << "file" << QByteArray("hello!") << 5 << Failure::TooLarge << qint64(6);
    QTest::newRow("missing") << "missing" << QByteArray() << 5 << Failure::CannotOpen << qint64(-1);
    QTest::newRow("folder") << "folder" << QByteArray() << 5 << Failure::NotRegular << qint64(-1);
    QTest::newRow("named pipe") << "pipe" << QByteArray() << 5 << Failure::NotRegular << qint64(-1);
    QTest::newRow("endless device") << "/dev/zero" << QByteArray() << 5 << Failure::NotRegular << qint64(-1);
    // A regular file that says it is empty and is not: only the read finds out.
    QTest::newRow("size 0, more to read") << "/proc/self/status" << QByteArray() << 5 << Failure::TooLarge
                                          << qint64(-1);
}

void TestRegularFile::reads()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(int, largest);
    QFETCH(Failure, failure);
    QFETCH(qint64, size);
    QTemporaryDir dir;
    std::unique_ptr<NamedPipe> pipe;
    const QString path = make(dir, kind, content, pipe);
    if ((pipe && !pipe->made()) || (kind.startsWith(QLatin1Char('/')) && !QFileInfo::exists(path)))
        QSKIP("not on this system");

    const RegularFile::Read r = RegularFile::read(path, largest);
    QCOMPARE(r.failure, failure);
    QCOMPARE(r.ok(), failure == Failure::None);
    QCOMPARE(r.bytes, failure == Failure::None ? content : QByteArray());
    if (failure == Failure::TooLarge)
        QCOMPARE(r.size, size);
    if (failure == Failure::CannotOpen)
        QVERIFY(!r.error.isEmpty());

    // The text reading of the settings files goes the same way.
    bool ok = true;
    const QString text = TextFiles::read(path, largest, &ok);
    QCOMPARE(ok, failure == Failure::None);
    QCOMPARE(text, QString::fromUtf8(r.bytes));
}

void TestRegularFile::writesRefuseWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // empty: written
    QTest::newRow("new file") << "missing" << QString();
    QTest::newRow("file") << "file" << QString();
    QTest::newRow("link to a file: the file is written") << "link" << QString();
    QTest::newRow("folder") << "folder" << "is a folder, not a file";
    QTest::newRow("named pipe") << "pipe" << "is not a regular file (it is a device, a pipe or a socket)";
}

void TestRegularFile::writesRefuseWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    std::unique_ptr<NamedPipe> pipe;
    const QString path = make(dir, kind, QByteArray("old"), pipe);
    if (pipe && !pipe->made())
        QSKIP("no named pipes here");

    QString writeError;
    QString textError;
    QString appendError;
    const bool written = RegularFile::write(path, QByteArray("new"), &writeError);
    const bool textWritten = TextFiles::write(path, QStringLiteral("text"), &textError);
    const bool appended = TextFiles::append(path, QStringLiteral("+"), &appendError);
    if (reason.isEmpty()) {
        QVERIFY(written && textWritten && appended);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("text+"));
        QCOMPARE(QFileInfo(path).isSymLink(), kind == QLatin1String("link"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), kind == QLatin1String("link") ? 2 : 1);
        return;
    }
    QVERIFY(!written && !textWritten && !appended);
    QCOMPARE(writeError, path + QLatin1Char(' ') + reason);
    QCOMPARE(textError, writeError);
    QCOMPARE(appendError, writeError);
}

void TestRegularFile::aFailedWriteLeavesTheOldFile()
{
#ifdef Q_OS_UNIX
    // A disk that fills half way through the write: the process may write no
    // file larger than 100 bytes (and is told so by an error, not a signal).
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Preset.txt"));
    const QByteArray old(60, 'o');
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = RegularFile::write(path, QByteArray(203, 'n'), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QVERIFY(!written);
    QVERIFY2(error.contains(QStringLiteral("203")), qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Preset.txt")});
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
