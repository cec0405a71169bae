// quarnel-cli's commands on the virtual pedal: the bytes they send are the
// windows' own for the same operation, a saved preset loads back, and every
// way a command can end gives its exit status and one line on stderr.

#include "EditorFixture.h"
#include "PedalStates.h"
#include "RecordingLog.h"
#include "VirtualClock.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/Interrupt.h"
#include "cli/ParameterText.h"
#include "data/DataItems.h"
#include "editor/DialMath.h"
#include "editor/FXsettings.h"
#include "firmware/FirmwareHandler.h"
#include "firmware/FirmwareUpgrade.h"
#include "seams/Places.h"
#include "session/PedalSession.h"
#include "virtualpedal/VirtualPedal.h"
#include "ui_FXsettings.h"
#include "ui_FormMain.h"

#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>

using PedalStates::Values;
using Cli::ExitStatus;

Q_DECLARE_METATYPE(Cli::ExitStatus)

namespace {

// One run of quarnel-cli on a virtual pedal that outlives it, as a pedal
// outlives the program.
struct CliRig {
    QTemporaryDir documents;
    VirtualClock clock;
    RecordingLog log;
    FixedPlaces places{documents.path()};
    VirtualPedal pedal{clock};
    QString out;
    QString err;
    // Called on the assembled session before the command runs.
    std::function<void(Cli::CliSession&)> before;

    ExitStatus run(const QStringList& arguments)
    {
        const Cli::CommandLine line = Cli::parseCommandLine(QStringList{QStringLiteral("quarnel-cli")} + arguments);
        if (line.outcome != Cli::CommandLine::Outcome::Run)
            return line.exitStatus();
        out.clear();
        err.clear();
        QTextStream o(&out);
        QTextStream e(&err);
        Cli::CliSession cli(pedal, clock, places, log);
        if (before)
            before(cli);
        return cli.run(line.invocation, o, e, false);
    }
};

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// The angle at which the window's dial sends a level: clockwise from the
// minimum, over 180 degrees, to the maximum.
int angleForLevel(int level)
{
    for (int travel = 0; travel <= 270; ++travel)
        if (DialMath::dialToLevel(DialMath::kMinimumAngle - travel) == level)
            return DialMath::normalizeAngle(DialMath::kMinimumAngle - travel);
    return DialMath::kMinimumAngle;
}

// The effect image the program carries, as an effect file holds it.
QByteArray embeddedImage()
{
    QByteArray text = DataItems::bytes(QStringLiteral("QUARNEL_MK3_0015"));
    text.truncate(text.indexOf('\n') < 0 ? text.size() : text.indexOf('\n'));
    return QByteArray::fromHex(text.trimmed());
}

enum class Operation {
    Status, Load, LoadWithoutTuning, UploadCatalogue, UploadFile, SetDry, SetAttack, SetBypass, Upgrade
};

const QByteArray kGo = QByteArray::fromHex("21");

bool sent(const VirtualPedal& pedal, const QByteArray& bytes)
{
    for (const auto& w : pedal.writes())
        if (w.bytes == bytes)
            return true;
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Operation)

class TestCliSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sameBytesAsTheWindows_data();
    void sameBytesAsTheWindows();
    void saveThenLoadRoundTrips();
    void endings_data();
    void endings();
    void ctrlCDuringAnUploadEndsItAsFailed();
    void upgrades_data();
    void upgrades();
};

void TestCliSession::sameBytesAsTheWindows_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QStringList>("arguments"); // FILE stands for the prepared file
    QTest::newRow("status") << Operation::Status << QStringList{"status"};
    QTest::newRow("load") << Operation::Load << QStringList{"load", "FILE"};
    QTest::newRow("load, no tuning") << Operation::LoadWithoutTuning << QStringList{"load", "FILE"};
    QTest::newRow("upload by name") << Operation::UploadCatalogue << QStringList{"upload", "quarnel_mk3_0015"};
    QTest::newRow("upload a file") << Operation::UploadFile << QStringList{"upload", "FILE"};
    QTest::newRow("set Dry") << Operation::SetDry << QStringList{"set", "Dry", "7.5"};
    QTest::newRow("set Attack") << Operation::SetAttack << QStringList{"set", "attack", "slow"};
    QTest::newRow("set Bypass") << Operation::SetBypass << QStringList{"set", "Bypass", "on"};
    QTest::newRow("upgrade") << Operation::Upgrade << QStringList{"upgrade", "FIRMWARE_17"};
}

void TestCliSession::sameBytesAsTheWindows()
{
    QFETCH(Operation, operation);
    QFETCH(QStringList, arguments);

    const auto prepare = [&](VirtualPedal& pedal) {
        pedal.model().values = PedalStates::stateB();
        pedal.model().tuning = operation == Operation::LoadWithoutTuning ? 0 : 1;
        if (operation == Operation::UploadCatalogue || operation == Operation::UploadFile)
            pedal.setAlgorithmVersion(14); // the upload an old algorithm asks for
        if (operation == Operation::Upgrade) {
            pedal.setFirmwareVersion(16);
            pedal.setShiftHeld(true);
        }
    };
    QTemporaryDir files;
    QString file;
    if (operation == Operation::Load || operation == Operation::LoadWithoutTuning)
        file = writeFile(files, QStringLiteral("a.txt"), PedalStates::fileBytes(PedalStates::stateA()));
    if (operation == Operation::UploadFile)
        file = writeFile(files, QStringLiteral("effect.dat"), embeddedImage());
    arguments.replaceInStrings(QStringLiteral("FILE"), file);

    // The windows.
    EditorFixture fx;
    prepare(fx.pedal());
    fx.startLinked();
    FormMain& main = fx.main();
    Ui::formFXsettings& effect = *fx.fx().ui;
    switch (operation) {
    case Operation::Status: break;
    case Operation::Load:
    case Operation::LoadWithoutTuning:
        fx.dialogs.chooseFile(file);
        main.ui->menuLoadPreset->trigger();
        break;
    case Operation::UploadCatalogue: main.ui->btnUpload->click(); break;
    case Operation::UploadFile:
        fx.dialogs.chooseFile(file);
        main.ui->menuLoadAlgorithmFromFile->trigger();
        break;
    case Operation::SetDry:
        effect.dialDry->setAngle(angleForLevel(Cli::knobLevel(7.5)));
        QTRY_VERIFY(!fx.session().pacedWriter().pending());
        break;
    case Operation::SetAttack: effect.swtAttack->setOn(true); break;
    case Operation::SetBypass: effect.swtBypass->setOn(true); break;
    case Operation::Upgrade:
        main.item(QStringLiteral("menuFirmwareUpgradeMode"))->trigger();
        QTest::mouseClick(fx.editor().formFirmwareUpgrade->btnUpgradeFirmware(), Qt::LeftButton);
        QCOMPARE(fx.pedal().mode(), VirtualPedal::Mode::Firmware);
        break;
    }
    const QStringList windows = fx.pedal().wireTrace();

    // The command line.
    CliRig cli;
    prepare(cli.pedal);
    QCOMPARE(cli.run(arguments), ExitStatus::Success);
    QCOMPARE(cli.err, QString());
    QCOMPARE(cli.pedal.wireTrace(), windows);
    QCOMPARE(cli.pedal.model().values, fx.pedal().model().values);
    QVERIFY(!cli.pedal.isOpen()); // closed at the end
}

void TestCliSession::saveThenLoadRoundTrips()
{
    CliRig cli;
    cli.pedal.model().values = PedalStates::stateA();
    cli.pedal.model().tuning = 1;
    const QString path = QDir(cli.documents.path()).filePath(QStringLiteral("mine.preset"));
    QCOMPARE(cli.run({QStringLiteral("save"), path}), ExitStatus::Success);
    QVERIFY2(cli.out.contains(QStringLiteral("File saved successfully")), qPrintable(cli.out));
    QVERIFY(QFileInfo::exists(path)); // under the name given, no suffix added

    cli.pedal.model().values = PedalStates::stateB();
    QCOMPARE(cli.run({QStringLiteral("load"), path}), ExitStatus::Success);
    QCOMPARE(cli.pedal.model().values, PedalStates::stateA());

    // The backup before the load kept what the pedal had.
    const QString backups = cli.documents.filePath(QStringLiteral("TERVO/Quarnel MK3/Backups"));
    const QFileInfoList kept = QDir(backups).entryInfoList(QDir::Files);
    QCOMPARE(kept.size(), 1);
    QFile backup(kept.first().filePath());
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), PedalStates::fileBytes(PedalStates::stateB()));
}

void TestCliSession::endings_data()
{
    using Setup = std::function<void(VirtualPedal&)>;
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<ExitStatus>("status");
    QTest::addColumn<QString>("line"); // the start of the one line on stderr
    QTest::addColumn<bool>("sentBeyondStatus");

    const Setup none = [](VirtualPedal&) {};
    QTest::newRow("unplugged") << Setup([](VirtualPedal& p) { p.unplug(); }) << QStringList{"status"}
                               << ExitStatus::NoPedal << "no pedal found" << false;
    QTest::newRow("another serial number") << none << QStringList{"--serial", "X1", "status"}
                                           << ExitStatus::NoPedal << "no pedal with serial number X1" << false;
    QTest::newRow("refuses the open") << Setup([](VirtualPedal& p) { p.setRefuseOpen(true); })
                                      << QStringList{"status"} << ExitStatus::NoPedal
                                      << "The pedal could not be opened" << false;
    QTest::newRow("silent") << Setup([](VirtualPedal& p) { p.setSilent(true); }) << QStringList{"status"}
                            << ExitStatus::NoAnswer << "The pedal did not answer." << false;
    QTest::newRow("short reply") << Setup([](VirtualPedal& p) { p.setShortReply(50); }) << QStringList{"status"}
                                 << ExitStatus::NoAnswer << "The pedal's answer was incomplete." << false;
    QTest::newRow("old firmware") << Setup([](VirtualPedal& p) { p.setFirmwareVersion(16); })
                                  << QStringList{"status"} << ExitStatus::Refused
                                  << "A firmware upgrade is required. Upgrade to Firmware 17" << false;
    QTest::newRow("old algorithm, set") << Setup([](VirtualPedal& p) { p.setAlgorithmVersion(14); })
                                        << QStringList{"set", "Dry", "5"} << ExitStatus::Refused
                                        << "Upload the latest version of Quarnel MK3 algorithm: Upload Quarnel MK3 0015"
                                        << false;
    QTest::newRow("note cut without a tuning") << none << QStringList{"set", "Dominant Notes Cut", "on"}
                                               << ExitStatus::Refused << "Set a tuning before using this parameter"
                                               << false;
    QTest::newRow("malformed preset") << none << QStringList{"load", "BAD"} << ExitStatus::Refused
                                      << "Error loading file:" << false;
    QTest::newRow("missing effect file") << none << QStringList{"upload", "/no/such/effect.dat"}
                                         << ExitStatus::Refused << "Cannot read the effect file" << false;
    QTest::newRow("no answer to the image") << Setup([](VirtualPedal& p) { p.setSilent(true); })
                                            << QStringList{"upload", "Quarnel MK3 0015"} << ExitStatus::NoAnswer
                                            << "Upload failed! Disconnect the pedal from USB and try again." << true;
}

void TestCliSession::endings()
{
    QFETCH(std::function<void(VirtualPedal&)>, setup);
    QFETCH(QStringList, arguments);
    QFETCH(ExitStatus, status);
    QFETCH(QString, line);
    QFETCH(bool, sentBeyondStatus);

    CliRig cli;
    // The fault comes with the effect image where the row's command uploads one.
    const bool uploads = arguments.first() == QLatin1String("upload");
    if (!uploads)
        setup(cli.pedal);
    cli.before = [&](Cli::CliSession& session) {
        QObject::connect(&session.session(), &PedalSession::modeChanged, [&](SessionMode mode) {
            if (uploads && mode == SessionMode::Uploading)
                setup(cli.pedal);
        });
    };
    const QString bad = writeFile(cli.documents, QStringLiteral("bad.txt"), "0000000G\r00000000");
    arguments.replaceInStrings(QStringLiteral("BAD"), bad);
    QCOMPARE(cli.run(arguments), status);
    QVERIFY2(cli.err.startsWith(QStringLiteral("quarnel-cli: ") + line), qPrintable(cli.err));
    QCOMPARE(cli.err.count(QLatin1Char('\n')), 1);
    // Nothing but the status request reached the pedal, unless the command got that far.
    QList<QByteArray> sent;
    for (const auto& w : cli.pedal.writes())
        if (w.bytes != QByteArray::fromHex("0200"))
            sent.append(w.bytes);
    QCOMPARE(!sent.isEmpty(), sentBeyondStatus);
}

void TestCliSession::ctrlCDuringAnUploadEndsItAsFailed()
{
    // The real handler: were Ctrl+C not left to the upload, it would end this
    // test program here.
    Cli::Interrupt::install();
    Cli::Interrupt::clear();
    CliRig cli;
    cli.before = [&](Cli::CliSession& session) {
        QObject::connect(&session.session(), &PedalSession::modeChanged, [&](SessionMode mode) {
            if (mode == SessionMode::Uploading)
                std::raise(SIGINT);
        });
    };
    QCOMPARE(cli.run({QStringLiteral("upload"), QStringLiteral("Quarnel MK3 0015")}), ExitStatus::WriteFailed);
    QVERIFY(Cli::Interrupt::requested());
    Cli::Interrupt::clear();
    // The image went whole, in its one write, and the line says so.
    QCOMPARE(cli.pedal.model().effectImage.size(), 4256);
    QCOMPARE(cli.err, QStringLiteral("quarnel-cli: interrupted (Ctrl+C) after the effect image had gone to the pedal "
                                     "whole\n"));
}

void TestCliSession::upgrades_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<bool>("poweredUpInBootloader");
    QTest::addColumn<bool>("shiftHeld");
    QTest::addColumn<int>("nackBlock");     // -1: none
    QTest::addColumn<int>("ctrlCAtStep");   // -1: none
    QTest::addColumn<QString>("file");      // "": the embedded FIRMWARE_17
    QTest::addColumn<ExitStatus>("status");
    QTest::addColumn<QString>("line");

    QTest::newRow("from firmware 16") << 16 << false << true << -1 << -1 << "" << ExitStatus::Success << "";
    QTest::newRow("powered up in the bootloader") << 8 << true << true << -1 << -1 << "" << ExitStatus::Success << "";
    QTest::newRow("SHIFT not held") << 16 << false << false << -1 << -1 << "" << ExitStatus::NoAnswer
                                    << "Connection to bootloader failed";
    QTest::newRow("NACK at block 100") << 16 << false << true << 100 << -1 << "" << ExitStatus::WriteFailed << "";
    QTest::newRow("Ctrl+C at block 6") << 16 << false << true << -1 << 5 << "" << ExitStatus::WriteFailed
                                       << "";
    QTest::newRow("a file that cannot start") << 16 << false << true << -1 << -1 << "FIRMWARE_17.bin"
                                              << ExitStatus::Refused << "";
}

void TestCliSession::upgrades()
{
    QFETCH(int, firmware);
    QFETCH(bool, poweredUpInBootloader);
    QFETCH(bool, shiftHeld);
    QFETCH(int, nackBlock);
    QFETCH(int, ctrlCAtStep);
    QFETCH(QString, file);
    QFETCH(ExitStatus, status);
    QFETCH(QString, line);

    CliRig cli;
    cli.pedal.setFirmwareVersion(firmware);
    cli.pedal.setShiftHeld(shiftHeld);
    if (poweredUpInBootloader)
        cli.pedal.powerCycle();
    if (nackBlock >= 0)
        cli.pedal.setNackWrite(nackBlock);
    Cli::Interrupt::clear();
    cli.before = [&](Cli::CliSession& session) {
        QObject::connect(&session.firmware(), &FirmwareHandler::progress, [&](int step) {
            if (step == ctrlCAtStep)
                Cli::Interrupt::request();
        });
    };
    QString what = QStringLiteral("FIRMWARE_17");
    if (!file.isEmpty())
        what = writeFile(cli.documents, file, QByteArray(4096, '\x5A'));
    const ExitStatus ended = cli.run({QStringLiteral("upgrade"), what});
    const bool interrupted = Cli::Interrupt::requested();
    Cli::Interrupt::clear();
    QCOMPARE(ended, status);
    QCOMPARE(interrupted, ctrlCAtStep >= 0);
    if (status == ExitStatus::Success) {
        QCOMPARE(cli.err, QString());
        QVERIFY(sent(cli.pedal, kGo));
        QCOMPARE(cli.run({QStringLiteral("status")}), ExitStatus::Success);
        QVERIFY2(cli.out.contains(QStringLiteral("Device Firmware:         17")), qPrintable(cli.out));
        return;
    }
    QVERIFY2(cli.err.startsWith(QStringLiteral("quarnel-cli: ") + line), qPrintable(cli.err));
    QCOMPARE(cli.err.count(QLatin1Char('\n')), 1);
    QVERIFY(!sent(cli.pedal, kGo));
    if (status != ExitStatus::WriteFailed)
        return;
    // Left in its bootloader, and said so; the next upgrade finds it there
    // and goes through.
    QVERIFY2(cli.err.contains(QStringLiteral("bootloader")), qPrintable(cli.err));
    QCOMPARE(cli.pedal.mode(), VirtualPedal::Mode::Bootloader);
    cli.pedal.setNackWrite(-1);
    ctrlCAtStep = -1;
    QCOMPARE(cli.run({QStringLiteral("upgrade"), QStringLiteral("FIRMWARE_17")}), ExitStatus::Success);
    QCOMPARE(cli.run({QStringLiteral("status")}), ExitStatus::Success);
    QVERIFY2(cli.out.contains(QStringLiteral("Device Firmware:         17")), qPrintable(cli.out));
}

QTEST_MAIN(TestCliSession)
#include "tst_clisession.moc"
