// quarnel-cli's command line: what to do, or one line saying what is wrong,
// before any pedal is looked for.

#include "cli/CommandLine.h"

#include <QtTest>

using Cli::Command;
using Cli::CommandLine;

Q_DECLARE_METATYPE(Cli::Command)

namespace {
CommandLine parse(const QStringList& args)
{
    return Cli::parseCommandLine(QStringList{QStringLiteral("quarnel-cli")} + args);
}
} // namespace

class TestCliCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void commands_data();
    void commands();
    void usageErrors_data();
    void usageErrors();
    void helpListsCommandsAndExitStatuses_data();
    void helpListsCommandsAndExitStatuses();
    void version();
};

void TestCliCommandLine::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("quarnel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.24"));
}

void TestCliCommandLine::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<Command>("command");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("virtualPedal");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("json");

    const QStringList none;
    QTest::newRow("list") << QStringList{"list"} << Command::List << none << false << "" << "" << false;
    QTest::newRow("status --json on the virtual pedal")
        << QStringList{"--virtual-pedal", "status", "--json"} << Command::Status << none << true << "" << "" << true;
    // Options may follow the command and its arguments.
    QTest::newRow("upgrade, option last") << QStringList{"upgrade", "FIRMWARE_17", "--virtual-pedal"}
                                          << Command::Upgrade << QStringList{"FIRMWARE_17"} << true << "" << ""
                                          << false;
    QTest::newRow("save on a port") << QStringList{"--port", "/dev/ttyUSB0", "save", "my sound.txt"} << Command::Save
                                    << QStringList{"my sound.txt"} << false << "/dev/ttyUSB0" << "" << false;
    QTest::newRow("load by serial number") << QStringList{"load", "--serial=FT5XK2", "a.txt"} << Command::Load
                                           << QStringList{"a.txt"} << false << "" << "FT5XK2" << false;
    QTest::newRow("upload a file") << QStringList{"upload", "/tmp/effect.dat"} << Command::Upload
                                   << QStringList{"/tmp/effect.dat"} << false << "" << "" << false;
    QTest::newRow("set") << QStringList{"set", "Dry", "7.5"} << Command::Set << QStringList{"Dry", "7.5"} << false
                         << "" << "" << false;
    // A dash and a digit is a value, not an option: no "--" needed.
    QTest::newRow("set a name that begins with a dash")
        << QStringList{"set", "-1 Oct", "5"} << Command::Set << QStringList{"-1 Oct", "5"} << false << "" << ""
        << false;
    QTest::newRow("set a negative value") << QStringList{"--virtual-pedal", "set", "1st Harmonic Pitch", "-5"}
                                          << Command::Set << QStringList{"1st Harmonic Pitch", "-5"} << true << ""
                                          << "" << false;
    QTest::newRow("after --, anything is an argument")
        << QStringList{"set", "--", "-2 Oct", "0"} << Command::Set << QStringList{"-2 Oct", "0"} << false << "" << ""
        << false;
    QTest::newRow("a serial number may begin with a dash and a digit")
        << QStringList{"--serial", "-42", "status"} << Command::Status << none << false << "" << "-42" << false;
}

void TestCliCommandLine::commands()
{
    QFETCH(QStringList, args);
    QFETCH(Command, command);
    QFETCH(QStringList, arguments);
    QFETCH(bool, virtualPedal);
    QFETCH(QString, port);
    QFETCH(QString, serial);
    QFETCH(bool, json);

    const CommandLine r = parse(args);
    QVERIFY2(r.outcome == CommandLine::Outcome::Run, qPrintable(r.text));
    QCOMPARE(r.exitStatus(), Cli::ExitStatus::Success);
    QCOMPARE(r.invocation.command, command);
    QCOMPARE(r.invocation.arguments, arguments);
    QCOMPARE(r.invocation.pedal.virtualPedal, virtualPedal);
    QCOMPARE(r.invocation.pedal.port, port);
    QCOMPARE(r.invocation.pedal.serialNumber, serial);
    QCOMPARE(r.invocation.json, json);
    // set carries its value already read, as the window would send it.
    QCOMPARE(r.invocation.setting.has_value(), command == Command::Set);
}

void TestCliCommandLine::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing") << QStringList{} << "quarnel-cli: a command is needed: list, status, save, load, set, "
                                                 "upload, upgrade (see --help)";
    QTest::newRow("options only") << QStringList{"--virtual-pedal"} << "quarnel-cli: a command is needed";
    QTest::newRow("unknown command") << QStringList{"backup"} << "quarnel-cli: unknown command \"backup\"; the commands "
                                                                 "are list, status, save, load, set, upload, upgrade";
    QTest::newRow("commands are lower case") << QStringList{"Status"} << "quarnel-cli: unknown command \"Status\"";
    QTest::newRow("save without a file") << QStringList{"save"} << "quarnel-cli: save takes one argument: save FILE";
    QTest::newRow("status with an argument") << QStringList{"status", "all"}
                                             << "quarnel-cli: status takes no arguments: status [--json]";
    QTest::newRow("set without a value") << QStringList{"set", "Dry"}
                                         << "quarnel-cli: set takes two arguments: set NAME VALUE";
    QTest::newRow("upload with two") << QStringList{"upload", "a", "b"} << "quarnel-cli: upload takes one argument";
    QTest::newRow("an empty file name") << QStringList{"load", ""} << "quarnel-cli: load takes no empty argument";
    QTest::newRow("--json with save") << QStringList{"save", "a.txt", "--json"}
                                      << "quarnel-cli: --json goes with status only";
    QTest::newRow("unknown option") << QStringList{"--verbose", "status"} << "quarnel-cli: Unknown option 'verbose'.";
    QTest::newRow("--port without a path") << QStringList{"status", "--port"}
                                           << "quarnel-cli: Missing value after '--port'.";
    QTest::newRow("--port empty") << QStringList{"--port=", "status"} << "quarnel-cli: --port needs the path";
    QTest::newRow("--serial empty") << QStringList{"--serial=", "status"} << "quarnel-cli: --serial needs a serial";
    QTest::newRow("two ports") << QStringList{"--port", "/dev/a", "--port", "/dev/b", "status"}
                               << "quarnel-cli: --port is given more than once";
    QTest::newRow("a port and the virtual pedal") << QStringList{"--virtual-pedal", "--port", "/dev/a", "list"}
                                                  << "quarnel-cli: --port and --virtual-pedal cannot go together";
    // A wrong value is found before the pedal is touched.
    QTest::newRow("set out of range") << QStringList{"set", "Dry", "11"}
                                      << "quarnel-cli: Dry takes a position from 0 to 10";
    QTest::newRow("set an unknown name") << QStringList{"set", "-3 Oct", "5"}
                                         << "quarnel-cli: unknown parameter \"-3 Oct\"";
}

void TestCliCommandLine::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    const CommandLine r = parse(args);
    QCOMPARE(r.outcome, CommandLine::Outcome::UsageError);
    QCOMPARE(Cli::code(r.exitStatus()), 1);
    QVERIFY2(r.text.startsWith(error), qPrintable(r.text));
    QVERIFY(!r.text.contains(QLatin1Char('\n')));
}

void TestCliCommandLine::helpListsCommandsAndExitStatuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("--help") << QStringList{"--help"};
    QTest::newRow("-h") << QStringList{"-h"};
    QTest::newRow("after a command") << QStringList{"status", "--help"};
    QTest::newRow("with a wrong command") << QStringList{"backup", "--help"};
}

void TestCliCommandLine::helpListsCommandsAndExitStatuses()
{
    QFETCH(QStringList, args);
    const CommandLine r = parse(args);
    QCOMPARE(r.outcome, CommandLine::Outcome::Help);
    QCOMPARE(r.exitStatus(), Cli::ExitStatus::Success);
    for (const char* syntax : {"list", "status [--json]", "save FILE", "load FILE", "set NAME VALUE",
                               "upload NAME|FILE", "upgrade NAME|FILE", "--port <PATH>", "--virtual-pedal",
                               "--serial <NUMBER>", "--json", "--version"})
        QVERIFY2(r.text.contains(QLatin1String(syntax)), syntax);
    // The statuses scripts rely on, numbered as documented.
    QVERIFY(r.text.contains(QLatin1String("Exit status:\n")));
    const QStringList statuses = {"  0  success", "  1  usage", "  2  no pedal", "  3  the pedal did not answer",
                                  "  4  refused", "  5  failed while writing"};
    for (const QString& s : statuses)
        QVERIFY2(r.text.contains(QLatin1Char('\n') + s), qPrintable(s));
}

void TestCliCommandLine::version()
{
    for (const char* option : {"--version", "-v"}) {
        const CommandLine r = parse({QLatin1String(option)});
        QCOMPARE(r.outcome, CommandLine::Outcome::Version);
        QCOMPARE(r.text, QStringLiteral("quarnel-cli 1.24\n"));
    }
}

QTEST_GUILESS_MAIN(TestCliCommandLine)
#include "tst_clicommandline.moc"
