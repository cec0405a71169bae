// The firmware upgrade end to end on the virtual pedal, through the real
// windows: both ways into the bootloader and a way in that fails, the whole
// upgrade with its read-back and the restart, the upgrade from a file, and
// what happens when the pedal refuses a block, goes silent, is unplugged in
// the middle or keeps a byte other than it was sent.

#include "EditorFixture.h"
#include "PedalBehindLine.h"
#include "WriteFaults.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/FirmwareHandler.h"
#include "data/DataItems.h"
#include "editor/FXsettings.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "virtualpedal/VirtualPedal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

namespace {
const QByteArray kGoCommand = QByteArray::fromHex("21");
const QByteArray kStatusRequest = QByteArray::fromHex("0200");

QByteArray firmware17()
{
    return DataItems::bytes(QStringLiteral("FIRMWARE_17"));
}

QByteArray startableImage(int size)
{
    QByteArray img(size, '\x5A');
    const uint32_t words[] = {0x20005000u, 0x08000000u + 0x100u + 1u};
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 4; ++i)
            img[4 * w + i] = char(words[w] >> (8 * i));
    return img;
}

// The Go: 21 and DE each on its own, then the address and its checksum byte by byte.
bool sentGo(const QList<QByteArray>& writes)
{
    for (int i = 0; i + 6 < writes.size(); ++i)
        if (writes.at(i) == kGoCommand && writes.at(i + 1) == QByteArray::fromHex("DE")
            && writes.mid(i + 2, 5)
                == QList<QByteArray>{QByteArray::fromHex("08"), QByteArray(1, '\0'), QByteArray(1, '\0'),
                                     QByteArray(1, '\0'), QByteArray::fromHex("08")})
            return true;
    return false;
}

struct Upgrade : EditorFixture {
    QAction* upgradeMode() { return main().item(QStringLiteral("menuFirmwareUpgradeMode")); }
    FirmwareUpgrade& window() { return *editor().formFirmwareUpgrade; }
    FirmwareHandler& unit() { return *editor().firmware; }

    // A pedal with firmware 16, linked; then "Upgrade Mode" with SHIFT held.
    void enterByCommand()
    {
        pedal().setFirmwareVersion(16);
        startLinked();
        pedal().setShiftHeld(true);
        upgradeMode()->trigger();
    }
    // An old pedal powered up with SHIFT held, "Upgrade Mode", then the link.
    void enterByPowerUp()
    {
        pedal().setFirmwareVersion(8);
        pedal().setShiftHeld(true);
        pedal().powerCycle();
        start();
        upgradeMode()->trigger();
        comm().scanAndLink();
    }
    void clickUpgrade() { QTest::mouseClick(window().btnUpgradeFirmware(), Qt::LeftButton); }
    // Ctrl+Shift+O as a user presses it: on whatever control has the focus
    // in the upgrade window (the list, when it has just opened).
    void pressOpenFile()
    {
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused && window().isAncestorOf(focused));
        QTest::keyClick(focused, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = documents.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};

// The pedal behind a line whose close fails once the device has gone, as
// some drivers' do.
class CloseFailsWhenGone final : public PedalBehindLine {
public:
    using PedalBehindLine::PedalBehindLine;
    uint32_t close(Handle h) override
    {
        const uint32_t status = pedal_.close(h);
        return pedal_.isPlugged() ? status : uint32_t(FT_IO_ERROR);
    }
};
} // namespace

class TestFirmwareUpgrade : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bothWaysInReachTheUpgradeWindow_data();
    void bothWaysInReachTheUpgradeWindow();
    void upgradeWritesTheImageAndRestarts();
    void closingWithoutUpgradeRestartsThePedal();
    void failureEndsTheUpgradeWithoutGo_data();
    void failureEndsTheUpgradeWithoutGo();
    void closingAfterAFailureLeavesThePedalInItsBootloader();
    void noGoAfterAFailedUpgradeAndARestartOfTheEditor();
    void lostLinkUnlinksAndWatchesForThePedal_data();
    void lostLinkUnlinksAndWatchesForThePedal();
    void upgradeFromAFileStampsItsVersion_data();
    void upgradeFromAFileStampsItsVersion();
    void filesThatCannotStartAreRefusedBeforeAnythingIsSent_data();
    void filesThatCannotStartAreRefusedBeforeAnythingIsSent();
    void oneUpgradeAtATime();
    void failedOrCancelledEntryLeavesThePedalAsItWas_data();
    void failedOrCancelledEntryLeavesThePedalAsItWas();
    void uncheckingRestoresTheLineOnlyAfterAFailedGreeting_data();
    void uncheckingRestoresTheLineOnlyAfterAFailedGreeting();
};

void TestFirmwareUpgrade::bothWaysInReachTheUpgradeWindow_data()
{
    QTest::addColumn<bool>("legacy");
    QTest::newRow("command entry (A)") << false;
    QTest::newRow("power-up entry (B)") << true;
}

void TestFirmwareUpgrade::bothWaysInReachTheUpgradeWindow()
{
    QFETCH(bool, legacy);
    Upgrade f;
    if (legacy)
        f.enterByPowerUp();
    else
        f.enterByCommand();

    QVERIFY(f.window().isVisible());
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Bootloader);
    QCOMPARE(f.pedal().line().parity, uint8_t(2));
    // Every acknowledge waits out the bridge's latency timer: the link shortens it.
    QCOMPARE(f.pedal().latencyTimerMs(), 1);
    QVERIFY(f.unit().upgradeModeOn());
    QVERIFY(f.main().isEnabledByName(QStringLiteral("menuStartFirmwareUpgrade")));
    QVERIFY(!f.main().btnRequest()->isEnabled());
    QVERIFY(!f.session().readTimer().isActive());
    QCOMPARE(f.window().cmbFirmwareChoose()->currentText(), QStringLiteral("Firmware_17"));
    QVERIFY(f.log().contains(QStringLiteral("Firmware Version(DEC): 17")));
    const QString success = legacy ? QStringLiteral("Connection to bootloader succeeded, ready for firmware upgrade")
                                   : QStringLiteral("Release SHIFT button and click OK.");
    QCOMPARE(f.dialogs.informationTexts().last(), success);
    QVERIFY(f.log().contains(legacy ? QStringLiteral("received Byte: 79")
                                    : QStringLiteral("received Byte from bootloader: 79")));
    QCOMPARE(f.unit().state(), FirmwareHandler::State::BootloaderIdle);
    if (legacy) {
        QVERIFY(!f.writes().contains(kStatusRequest)); // no status request with the legacy entry
    } else {
        QCOMPARE(f.dialogs.questions(), QStringList{"Keep SHIFT button on the pedal pressed and click YES."});
        const QList<QByteArray> w = f.writes();
        const int entry = static_cast<int>(w.indexOf(QByteArray::fromHex("0500010203040506")));
        QVERIFY(entry > 0);
        QCOMPARE(w.at(entry - 1), QByteArray::fromHex("0D01"));
        QCOMPARE(w.at(entry + 1), QByteArray::fromHex("7F"));
        QVERIFY(f.clock.pauseLengths().contains(200));
    }
}

void TestFirmwareUpgrade::upgradeWritesTheImageAndRestarts()
{
    Upgrade f;
    f.enterByCommand();
    const int mark = f.writeMark();
    const int logMark = f.logMark();
    f.clickUpgrade();

    const QByteArray image = firmware17();
    QCOMPARE(f.pedal().flash().left(image.size()), image);
    QCOMPARE(PedalMicrocontroller::stampedVersion(f.pedal().flash()), 17);
    QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Firmware Upgrade Complete, device will now restart"));

    const QList<QByteArray> w = f.writesSince(mark);
    QCOMPARE(w.at(0), QByteArray::fromHex("43BC"));
    QCOMPARE(w.at(1), QByteArray::fromHex("FF00"));
    QCOMPARE(w.count(QByteArray::fromHex("31")), 212); // 211 blocks and the stamp
    QVERIFY(w.contains(QByteArray::fromHex("0800D200DA")));
    // Every block and the stamp read back; then the stamp and the vector
    // table once more before the Go.
    QCOMPARE(w.count(QByteArray::fromHex("11EE")), 211 + 1 + 2);
    QVERIFY(w.indexOf(QByteArray::fromHex("11EE")) > w.indexOf(QByteArray::fromHex("0800D200DA")));
    QVERIFY(sentGo(w));
    QCOMPARE(w.last(), kStatusRequest);

    // Restarted into the new firmware, which the status request reports.
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
    QCOMPARE(f.pedal().line().parity, uint8_t(0));
    QCOMPARE(f.main().lblFirmwareVersion()->text(), QStringLiteral("Device Firmware: 17"));
    QVERIFY(!f.window().isVisible());
    QVERIFY(!f.upgradeMode()->isChecked());
    QVERIFY(!f.unit().upgradeModeOn());
    QVERIFY(!f.main().isEnabledByName(QStringLiteral("menuStartFirmwareUpgrade")));
    QVERIFY(f.session().readTimer().isActive());
    QCOMPARE(f.window().ProgressBar1()->value(), 0);
    QCOMPARE(f.window().ProgressBar1()->maximum(), 2 * 211); // written, then checked
    const QStringList log = f.logSince(logMark);
    QVERIFY(log.contains(QStringLiteral("********************FIRMWARE UPGRADE********************")));
    QVERIFY(log.contains(QStringLiteral("Firmware num of bytes: 53856")));
}

void TestFirmwareUpgrade::closingWithoutUpgradeRestartsThePedal()
{
    Upgrade f;
    f.enterByCommand();
    const int mark = f.writeMark();
    QVERIFY(f.window().close());

    const QList<QByteArray> w = f.writesSince(mark);
    QVERIFY(sentGo(w));
    QCOMPARE(w.last(), kStatusRequest);
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
    QCOMPARE(f.pedal().line().parity, uint8_t(0));
    QCOMPARE(f.main().lblFirmwareVersion()->text(), QStringLiteral("Device Firmware: 16"));
    QVERIFY(!f.unit().upgradeModeOn());
}

void TestFirmwareUpgrade::failureEndsTheUpgradeWithoutGo_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("shown"); // in the window's progress line
    const QString at = QStringLiteral("at block 101 of 211 (address 0x08006400): ");
    QTest::newRow("NACK") << "nack" << at + "the pedal refused the block" << "Upgrade failed at block 101 of 211";
    QTest::newRow("silence") << "silent" << at + "the pedal did not answer the block"
                             << "Upgrade failed at block 101 of 211";
    QTest::newRow("unplugged") << "unplug" << at + "the link to the pedal was lost" << QString();
    // Acknowledged, but the flash kept byte 5 of the block with a bit flipped.
    QTest::newRow("worn byte") << "worn"
                               << "while checking block 101 of 211 (address 0x08006405): the flash read back "
                                  "differs from what was written there"
                               << "Upgrade failed checking block 101 of 211";
}

void TestFirmwareUpgrade::failureEndsTheUpgradeWithoutGo()
{
    QFETCH(QString, fault);
    QFETCH(QString, why);
    QFETCH(QString, shown);
    Upgrade f;
    f.enterByCommand();
    failWriteAt(f.pedal(), fault, 100);
    const int mark = f.writeMark();
    f.clickUpgrade();

    const QString message = f.dialogs.informationTexts().last();
    QVERIFY2(message.startsWith(QStringLiteral("The firmware upgrade failed ") + why), qPrintable(message));
    QVERIFY(!f.dialogs.informationTexts().contains(QStringLiteral("Firmware Upgrade Complete, device will now restart")));
    QVERIFY(!sentGo(f.writesSince(mark)));
    // No stamp: the pedal would report a firmware it does not hold whole.
    QVERIFY(!f.writesSince(mark).contains(BootloaderClient::addressFrame(0x0801FC00u)));
    QCOMPARE(PedalMicrocontroller::stampedVersion(f.pedal().flash()), 0);
    if (fault != QLatin1String("worn"))
        QVERIFY(!f.writesSince(mark).contains(BootloaderClient::addressFrame(0x08006500u)));

    if (fault == QLatin1String("unplug")) {
        QVERIFY(message.contains(QStringLiteral("hold SHIFT while connecting it")));
        QVERIFY(!f.session().isLinked());
        QVERIFY(!f.window().isVisible());
        // Brought back as the message says: SHIFT held while connecting,
        // "Upgrade Mode", then the link; the upgrade then goes through.
        failWriteAt(f.pedal(), fault, -1);
        f.pedal().replug();
        f.upgradeMode()->trigger();
        f.comm().scanAndLink();
        QVERIFY(f.window().isVisible());
    } else {
        QVERIFY(message.contains(QStringLiteral("The pedal stays in its bootloader")));
        QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Bootloader);
        QVERIFY(f.window().isVisible());
        QVERIFY(f.window().btnUpgradeFirmware()->isEnabled());
        QCOMPARE(f.window().lblProgress()->text(), shown);
        failWriteAt(f.pedal(), fault, -1);
        if (fault == QLatin1String("silent"))
            f.pedal().powerCycle(); // this pedal stays mute until it is powered again (SHIFT still held)
    }

    // The upgrade again, from the erase on.
    const int again = f.writeMark();
    f.clickUpgrade();
    QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Firmware Upgrade Complete, device will now restart"));
    QVERIFY(f.writesSince(again).contains(QByteArray::fromHex("FF00")));
    QCOMPARE(f.pedal().flash().left(firmware17().size()), firmware17());
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
    QCOMPARE(f.main().lblFirmwareVersion()->text(), QStringLiteral("Device Firmware: 17"));
}

void TestFirmwareUpgrade::closingAfterAFailureLeavesThePedalInItsBootloader()
{
    Upgrade f;
    f.enterByCommand();
    f.pedal().setNackWrite(3);
    f.clickUpgrade();
    f.pedal().setNackWrite(-1);
    const int mark = f.writeMark();
    QVERIFY(f.window().close());

    QVERIFY(!sentGo(f.writesSince(mark)));
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Bootloader);
    QVERIFY(f.dialogs.informationTexts().last().contains(QStringLiteral("stays in its bootloader until an upgrade completes")));
    // Nothing that would go to the bootloader as a command can be clicked,
    // and the status line says why.
    QVERIFY(!f.main().btnRequest()->isEnabled());
    QVERIFY(!f.main().btnUpload()->isEnabled());
    QVERIFY(f.main().lblStatus()->text().contains(QStringLiteral("bootloader")));

    // "Upgrade Mode" finds the bootloader still listening and opens the
    // window, with nothing said of SHIFT, which nobody asked for.
    const int entry = f.writeMark();
    const int logMark = f.logMark();
    const int shownMark = static_cast<int>(f.dialogs.shown().size());
    f.upgradeMode()->trigger();
    QVERIFY(f.window().isVisible());
    QVERIFY(!f.writesSince(entry).contains(QByteArray::fromHex("0500010203040506")));
    QVERIFY(f.dialogs.shown().mid(shownMark).isEmpty());
    // Synchronised before, it refused the second 0x7F: the console shows the byte that came.
    QVERIFY(f.logSince(logMark).contains(QStringLiteral("received Byte from bootloader: 1F")));
    f.clickUpgrade();
    QCOMPARE(f.main().lblFirmwareVersion()->text(), QStringLiteral("Device Firmware: 17"));
    QVERIFY(f.main().btnRequest()->isEnabled());
}

void TestFirmwareUpgrade::upgradeFromAFileStampsItsVersion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer"); // to the version question; 0: cancel, -1: not asked
    QTest::addColumn<int>("stamped"); // 0: nothing sent
    QTest::newRow("named after its version") << "FIRMWARE_16" << -1 << 16;
    QTest::newRow("named after its version, with an extension") << "firmware_12.bin" << -1 << 12;
    QTest::newRow("any other name: the version asked for") << "image.bin" << 15 << 15;
    QTest::newRow("any other name, the question cancelled") << "image.bin" << 0 << 0;
}

void TestFirmwareUpgrade::upgradeFromAFileStampsItsVersion()
{
    QFETCH(QString, name);
    QFETCH(int, answer);
    QFETCH(int, stamped);
    Upgrade f;
    f.enterByCommand();
    const QByteArray image = startableImage(1000);
    const QString path = f.writeFile(name, image);
    f.dialogs.chooseFile(path);
    if (answer > 0)
        f.dialogs.answerNumber(answer);
    else if (answer == 0)
        f.dialogs.cancelNumber();
    const QByteArray flash = f.pedal().flash();
    const int mark = f.writeMark();
    f.pressOpenFile();

    QVERIFY(f.log().contains(QStringLiteral("Opening: ") + path));
    QVERIFY(f.log().contains(QStringLiteral("num of bytes read: 1000")));
    QCOMPARE(f.unit().openDialog.initialFolder, f.documents.path());
    if (answer < 0) {
        QVERIFY(f.dialogs.numberQuestions().isEmpty());
    } else {
        // Offered the list's choice, before anything is erased.
        QCOMPARE(f.dialogs.numberQuestions().size(), 1);
        QVERIFY(f.dialogs.numberQuestions().first().contains(name));
        for (const ScriptedDialogs::Shown& shown : f.dialogs.shown())
            if (shown.kind == ScriptedDialogs::Kind::Number)
                QCOMPARE(shown.folder, QStringLiteral("17"));
    }
    if (stamped == 0) {
        QVERIFY(f.writesSince(mark).isEmpty());
        QCOMPARE(f.pedal().flash(), flash);
        QVERIFY(f.window().isVisible());
        return;
    }
    QCOMPARE(f.pedal().flash().left(1000), image);
    QCOMPARE(PedalMicrocontroller::stampedVersion(f.pedal().flash()), stamped);
    QList<int> dataWrites;
    for (const QByteArray& w : f.writesSince(mark))
        if (w.size() >= 200)
            dataWrites.append(static_cast<int>(w.size()));
    QCOMPARE(dataWrites, (QList<int>{256, 256, 256, 232}));
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
    QCOMPARE(f.main().lblFirmwareVersion()->text(), QStringLiteral("Device Firmware: %1").arg(stamped));
}

void TestFirmwareUpgrade::filesThatCannotStartAreRefusedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("why");
    QTest::newRow("larger than the flash") << startableImage(131073) << "larger than the pedal's flash";
    QByteArray noTable(4096, '\xFF');
    QTest::newRow("no vector table") << noTable << "does not start like a firmware";
    QTest::newRow("empty") << QByteArray() << "empty";
}

void TestFirmwareUpgrade::filesThatCannotStartAreRefusedBeforeAnythingIsSent()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, why);
    Upgrade f;
    f.enterByCommand();
    f.dialogs.chooseFile(f.writeFile(QStringLiteral("bad.bin"), content));
    const int mark = f.writeMark();
    const QByteArray flash = f.pedal().flash();
    f.pressOpenFile();

    QVERIFY2(f.dialogs.informationTexts().last().contains(why), qPrintable(f.dialogs.informationTexts().last()));
    QVERIFY(f.writesSince(mark).isEmpty());
    QCOMPARE(f.pedal().flash(), flash);
    QVERIFY(f.window().isVisible());
}

void TestFirmwareUpgrade::oneUpgradeAtATime()
{
    Upgrade f;
    f.enterByCommand();
    // Inside the first wait of the upgrade: the close box, a second click,
    // Ctrl+Shift+O and closing the main window (which would end the program)
    // are refused.
    bool wasVisible = false;
    bool mainClosed = true;
    QTimer::singleShot(0, [&] {
        f.window().close();
        wasVisible = f.window().isVisible();
        f.unit().btnUpgradeFirmwareClick();
        f.unit().upgradeFromFile();
        mainClosed = f.editor().formMain->close();
    });
    // The window keeps being served while it writes, and says how far it is.
    QStringList progress;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QString text = f.window().lblProgress()->text();
        if (progress.isEmpty() || progress.last() != text)
            progress.append(text);
    });
    watch.start(0);
    const int mark = f.writeMark();
    f.clickUpgrade();
    watch.stop();

    QVERIFY(progress.contains(QStringLiteral("Writing block 1 of 211")));
    const QRegularExpression timeLeft(QStringLiteral("^Writing block 2\\d\\d of 211, about \\d+ s left$"));
    QVERIFY2(!progress.filter(timeLeft).isEmpty(), qPrintable(progress.join(QLatin1Char('|'))));
    // The read-back is part of the way, with its own line and time left.
    const QRegularExpression checking(QStringLiteral("^Checking block 2\\d\\d of 211, about \\d+ s left$"));
    QVERIFY2(!progress.filter(checking).isEmpty(), qPrintable(progress.join(QLatin1Char('|'))));
    QVERIFY(wasVisible);
    QVERIFY(!mainClosed);
    QCOMPARE(f.dialogs.informationTexts().count(QString::fromLatin1(FirmwareHandler::kWaitText)), 4);
    QCOMPARE(f.writesSince(mark).count(QByteArray::fromHex("43BC")), 1);
    QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Firmware Upgrade Complete, device will now restart"));
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
}

void TestFirmwareUpgrade::noGoAfterAFailedUpgradeAndARestartOfTheEditor()
{
    Upgrade f;
    f.pedal().setFirmwareVersion(16);
    f.startWith(std::make_unique<PedalBehindLine>(f.pedal()));
    f.comm().scanAndLink();
    f.pedal().setShiftHeld(true);
    f.upgradeMode()->trigger();
    f.pedal().setNackWrite(100);
    f.clickUpgrade();
    QVERIFY(f.dialogs.informationTexts().last().contains(QStringLiteral("The pedal stays in its bootloader")));

    // The editor is closed while the window is open (say it crashed), and a
    // new one reaches the pedal the way its help tells for a pedal that does
    // not answer: "Upgrade Mode", then the link.
    f.pedal().setNackWrite(-1);
    f.restartEditor(std::make_unique<PedalBehindLine>(f.pedal()));
    f.upgradeMode()->trigger();
    f.comm().scanAndLink();
    QVERIFY(f.window().isVisible());
    const int mark = f.writeMark();
    QVERIFY(f.window().close());

    // Its flash holds blocks but no stamp: the stamp and the vector table are
    // read back, and no Go goes into it.
    QVERIFY(!sentGo(f.writesSince(mark)));
    QVERIFY(f.writesSince(mark).contains(BootloaderClient::addressFrame(0x0801FC00u)));
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Bootloader);
    const QString said = f.dialogs.informationTexts().last();
    QVERIFY2(said.contains(QStringLiteral("no firmware version stamp"))
                 && said.contains(QStringLiteral("stays in its bootloader until an upgrade completes")),
             qPrintable(said));
    QVERIFY(f.log().contains(QStringLiteral("no Go: its flash holds no firmware version stamp, so no upgrade finished")));
}

void TestFirmwareUpgrade::lostLinkUnlinksAndWatchesForThePedal_data()
{
    QTest::addColumn<bool>("closeFails");
    QTest::newRow("the lost device closes") << false;
    QTest::newRow("closing the lost device fails") << true;
}

void TestFirmwareUpgrade::lostLinkUnlinksAndWatchesForThePedal()
{
    QFETCH(bool, closeFails);
    Upgrade f;
    f.pedal().setFirmwareVersion(16);
    if (closeFails)
        f.startWith(std::make_unique<CloseFailsWhenGone>(f.pedal()));
    else
        f.startWith(std::make_unique<PedalBehindLine>(f.pedal()));
    f.comm().scanAndLink();
    f.pedal().setShiftHeld(true);
    f.upgradeMode()->trigger();
    f.session().deviceWatch().setInterval(10);
    f.pedal().setUnplugAtWrite(100);
    f.clickUpgrade();

    QVERIFY(f.dialogs.informationTexts().last().contains(QStringLiteral("hold SHIFT while connecting it")));
    // Unlinked whatever the close said: the step the message asks for can be taken.
    QVERIFY(!f.session().isLinked());
    QVERIFY(f.main().isEnabledByName(QStringLiteral("menuScan")));
    QVERIFY(!f.main().isEnabledByName(QStringLiteral("menuDisconnect")));
    QCOMPARE(f.main().lblStatus()->text(), QStringLiteral("Status: connection lost"));

    // Back, and offered for linking as after any lost link.
    f.pedal().setUnplugAtWrite(-1);
    f.pedal().replug();
    QTRY_COMPARE(f.main().lblStatus()->text(), Communication::deviceBackText());
    f.upgradeMode()->trigger();
    f.comm().scanAndLink();
    QVERIFY(f.window().isVisible());
}

void TestFirmwareUpgrade::failedOrCancelledEntryLeavesThePedalAsItWas_data()
{
    QTest::addColumn<bool>("answerNo");
    QTest::addColumn<bool>("bypassOn");
    QTest::newRow("SHIFT not held") << false << false;
    QTest::newRow("SHIFT not held, the pedal bypassed before") << false << true;
    QTest::newRow("No to the question") << true << false;
}

void TestFirmwareUpgrade::failedOrCancelledEntryLeavesThePedalAsItWas()
{
    QFETCH(bool, answerNo);
    QFETCH(bool, bypassOn);
    Upgrade f;
    f.pedal().setFirmwareVersion(17);
    f.pedal().model().bypass = bypassOn ? 1 : 0;
    f.startLinked();
    QCOMPARE(f.fx().isBypassOn(), bypassOn);
    QVERIFY(f.session().readTimer().isActive());
    if (answerNo)
        f.dialogs.answerNo();
    else // a second click while the handshake waits changes nothing under it
        QTimer::singleShot(0, [&] { f.upgradeMode()->trigger(); });
    f.upgradeMode()->trigger(); // SHIFT not held: the pedal stays in its firmware

    QCOMPARE(f.writes().count(QByteArray::fromHex("7F")), answerNo ? 0 : 2); // the handshake and its one retry
    QVERIFY(!f.window().isVisible());
    // Back to the pedal's firmware: 8N1, unticked, polled, and bypassed as before.
    QVERIFY(!f.upgradeMode()->isChecked());
    QVERIFY(!f.unit().upgradeModeOn());
    QCOMPARE(f.pedal().line().parity, uint8_t(0));
    QVERIFY(f.session().readTimer().isActive());
    QCOMPARE(f.pedal().model().bypass, uint8_t(bypassOn ? 1 : 0));
    QCOMPARE(f.fx().isBypassOn(), bypassOn);
    if (answerNo) {
        QCOMPARE(f.dialogs.informationTexts().count(), 0);
    } else {
        const QString said = f.dialogs.informationTexts().last();
        QVERIFY2(said.startsWith(QStringLiteral("Connection to bootloader failed"))
                     && said.contains(QStringLiteral("did not answer"))
                     && said.contains(QStringLiteral("keep SHIFT on the pedal pressed while you click Yes")),
                 qPrintable(said));
    }
    // The link works: the pedal answers the next request.
    const int mark = f.logMark();
    QCOMPARE(f.comm().requestStatus(), Outcome::Done);
    QVERIFY(f.pedal().writes().last().understood);
    QVERIFY(f.logSince(mark).contains(QStringLiteral("Firmware Version: 17")));
}

void TestFirmwareUpgrade::uncheckingRestoresTheLineOnlyAfterAFailedGreeting_data()
{
    QTest::addColumn<bool>("bootloaderAnswers");
    QTest::newRow("the greeting of the link got no answer") << false;
    QTest::newRow("the bootloader answers, its window open") << true;
}

void TestFirmwareUpgrade::uncheckingRestoresTheLineOnlyAfterAFailedGreeting()
{
    QFETCH(bool, bootloaderAnswers);
    Upgrade f;
    if (bootloaderAnswers) {
        f.enterByCommand();
    } else {
        // The power-up entry without SHIFT held: the pedal runs its firmware.
        f.pedal().setFirmwareVersion(8);
        f.start();
        f.upgradeMode()->trigger();
        f.comm().scanAndLink();
        QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Connection to bootloader failed"));
    }
    QCOMPARE(f.pedal().line().parity, uint8_t(2));
    QVERIFY(f.upgradeMode()->isChecked());

    f.upgradeMode()->trigger();
    QVERIFY(!f.upgradeMode()->isChecked());
    QVERIFY(!f.unit().upgradeModeOn());
    QCOMPARE(f.pedal().line().parity, uint8_t(bootloaderAnswers ? 2 : 0));
    if (bootloaderAnswers) {
        // The bootloader still hears its own line: the upgrade goes through.
        f.clickUpgrade();
        QCOMPARE(f.dialogs.informationTexts().last(),
                 QStringLiteral("Firmware Upgrade Complete, device will now restart"));
        QCOMPARE(f.main().lblFirmwareVersion()->text(), QStringLiteral("Device Firmware: 17"));
    } else {
        const int mark = f.logMark();
        f.comm().requestStatus();
        QVERIFY(f.pedal().writes().last().understood);
        QVERIFY(f.logSince(mark).contains(QStringLiteral("Firmware Version: 8")));
    }
}

QTEST_MAIN(TestFirmwareUpgrade)
#include "tst_firmwareupgrade.moc"
