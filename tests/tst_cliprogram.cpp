// quarnel-cli as a script runs it: what it links, what it prints, how it
// ends, and the pedal on one serial port.

#include "ServedPedal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {
struct Ran {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Ran runCli(const QStringList& arguments, const QString& home)
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The backups and presets go to a Documents folder of the test's own.
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("QUARNEL_SERIAL_PORT"));
    // No FTDI library on the test machine's search path stands for a pedal.
    env.insert(QStringLiteral("QUARNEL_D2XX_LIBRARY"), home + QStringLiteral("/no-d2xx.so"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(QUARNEL_CLI_PROGRAM), arguments);
    Ran ran;
    if (!cli.waitForFinished(60000))
        return ran;
    ran.status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    ran.out = cli.readAllStandardOutput();
    ran.err = cli.readAllStandardError();
    return ran;
}
} // namespace

class TestCliProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linksNoWindowLibrary();
    void statusAsJson();
    void upgradeOnTheVirtualPedal();
    void exitStatuses_data();
    void exitStatuses();
    void onePortOnly();
    void ctrlCWhileWaitingEndsAtOnce();

private:
    QTemporaryDir home_;
};

void TestCliProgram::linksNoWindowLibrary()
{
    const QString ldd = QStandardPaths::findExecutable(QStringLiteral("ldd"));
    if (ldd.isEmpty())
        QSKIP("no ldd on this system");
    QProcess p;
    p.start(ldd, {QStringLiteral(QUARNEL_CLI_PROGRAM)});
    QVERIFY(p.waitForFinished(30000));
    const QString linked = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(linked.contains(QStringLiteral("libQt6Core")), qPrintable(linked));
    QVERIFY2(!linked.contains(QStringLiteral("libQt6Gui")), qPrintable(linked));
    QVERIFY2(!linked.contains(QStringLiteral("libQt6Widgets")), qPrintable(linked));
}

void TestCliProgram::statusAsJson()
{
    const Ran ran = runCli({QStringLiteral("--virtual-pedal"), QStringLiteral("status"), QStringLiteral("--json")},
                           home_.path());
    QCOMPARE(ran.status, 0);
    QCOMPARE(ran.err, QByteArray());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(ran.out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    const QJsonObject status = doc.object();
    QCOMPARE(status.value(QStringLiteral("firmwareVersion")).toInt(), 17);
    QCOMPARE(status.value(QStringLiteral("algorithmVersion")).toString(), QStringLiteral("0015"));
    const QJsonArray values = status.value(QStringLiteral("values")).toArray();
    QCOMPARE(values.size(), 20);
    QCOMPARE(values.first().toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Dry"));
    QCOMPARE(values.last().toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Attack"));
}

void TestCliProgram::upgradeOnTheVirtualPedal()
{
    // Its SHIFT is held, as in the editor's virtual pedal: the way in works.
    const Ran ran = runCli({QStringLiteral("upgrade"), QStringLiteral("FIRMWARE_17"), QStringLiteral("--virtual-pedal")},
                           home_.path());
    QCOMPARE(ran.status, 0);
    QCOMPARE(ran.err, QByteArray());
    QVERIFY2(ran.out.contains("Upgrading 100 %\n"), ran.out.constData());
}

void TestCliProgram::exitStatuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::newRow("unknown command") << QStringList{"--virtual-pedal", "bogus"} << 1;
    QTest::newRow("knob out of range") << QStringList{"--virtual-pedal", "set", "Dry", "11"} << 1;
    QTest::newRow("no port there") << QStringList{"--port", "/dev/no-such-port", "status"} << 2;
    QTest::newRow("not a serial port") << QStringList{"--port", "/dev/null", "status"} << 2;
    QTest::newRow("note cut without a tuning")
        << QStringList{"--virtual-pedal", "set", "High Notes Cut", "on"} << 4;
}

void TestCliProgram::exitStatuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    const Ran ran = runCli(arguments, home_.path());
    QCOMPARE(ran.status, status);
    QCOMPARE(ran.out, QByteArray());
    // One line on stderr, naming the program.
    QVERIFY2(ran.err.startsWith("quarnel-cli: ") && ran.err.count('\n') == 1, ran.err.constData());
}

void TestCliProgram::onePortOnly()
{
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty())
        QSKIP("socat is not installed: no pseudo-terminal to serve the pedal on");
    ServedPedal pedal(socat, QStringLiteral(QUARNEL_VIRTUAL_PEDAL_PROGRAM));
    QVERIFY2(pedal.start(), pedal.serverSaid().constData());

    const Ran listed = runCli({QStringLiteral("--port"), pedal.hostEnd(), QStringLiteral("list")}, home_.path());
    QCOMPARE(listed.status, 0);
    QCOMPARE(QString::fromLocal8Bit(listed.out),
             QStringLiteral("serial\t%1\tSerial port %1\n").arg(QFileInfo(pedal.hostEnd()).absoluteFilePath()));

    const Ran ran = runCli({QStringLiteral("--port"), pedal.hostEnd(), QStringLiteral("status")}, home_.path());
    QCOMPARE(ran.status, 0);
    QVERIFY2(ran.out.contains("Device Firmware:         17"), ran.out.constData());
}

void TestCliProgram::ctrlCWhileWaitingEndsAtOnce()
{
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty())
        QSKIP("socat is not installed: no pseudo-terminal to serve the pedal on");
    ServedPedal pedal(socat, QStringLiteral(QUARNEL_VIRTUAL_PEDAL_PROGRAM));
    // An answer that comes long after Ctrl+C.
    QVERIFY2(pedal.start({QStringLiteral("--delay"), QStringLiteral("20000")}), pedal.serverSaid().constData());

    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home_.path());
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(QUARNEL_CLI_PROGRAM), {QStringLiteral("--port"), pedal.hostEnd(), QStringLiteral("status")});
    QVERIFY(cli.waitForStarted(10000));
    QVERIFY(!cli.waitForFinished(1500)); // waiting for the pedal's answer
    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    QVERIFY(cli.waitForFinished(10000));
    // Its own ending, not the signal's: the exit status and the line.
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 5);
    QCOMPARE(cli.readAllStandardError(), QByteArray("quarnel-cli: interrupted (Ctrl+C)\n"));
}

QTEST_MAIN(TestCliProgram)
#include "tst_cliprogram.moc"
