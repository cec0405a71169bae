// The firmware procedure without a window, as a client on a terminal runs
// it: both ways into the bootloader, the whole upgrade with its progress and
// the restart, a failed way in that puts the bypass back from what the session
// knows, and an upgrade asked to stop in the middle.

#include "HandlerRig.h"

#include "data/DataItems.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "virtualpedal/PedalMicrocontroller.h"

#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(Outcome)

namespace {
const QByteArray kGoCommand = QByteArray::fromHex("21");

QByteArray firmware17()
{
    return DataItems::bytes(QStringLiteral("FIRMWARE_17"));
}

// A pedal on firmware 16 in the bootloader, reached one way or the other.
void enter(HandlerRig& rig, bool powerUp)
{
    rig.pedal.setFirmwareVersion(16);
    rig.pedal.setShiftHeld(true);
    if (powerUp)
        rig.pedal.powerCycle();
    rig.start();
    if (powerUp) {
        // Armed while nothing is linked; the link greets the bootloader.
        QCOMPARE(rig.firmware.setUpgradeMode(true), Outcome::Done);
        QCOMPARE(rig.firmware.state(), FirmwareHandler::State::Armed);
        QCOMPARE(rig.comm.scanAndLink(), Outcome::Done);
    } else {
        // Firmware 16 is older than this editor serves: the way out is the upgrade.
        QCOMPARE(rig.comm.scanAndLink(), Outcome::Refused);
        QCOMPARE(rig.session.mode(), SessionMode::FirmwareTooOld);
        QCOMPARE(rig.firmware.setUpgradeMode(true), Outcome::Done);
        QCOMPARE(rig.dialogs.questions(), QStringList{"Keep SHIFT button on the pedal pressed and click YES."});
    }
    QCOMPARE(rig.firmware.state(), FirmwareHandler::State::BootloaderIdle);
    QCOMPARE(rig.session.mode(), SessionMode::BootloaderIdle);
    QCOMPARE(rig.pedal.mode(), VirtualPedal::Mode::Bootloader);
}
} // namespace

class TestFirmwareHandler : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeUpgradeWithoutAWindow_data();
    void wholeUpgradeWithoutAWindow();
    void failedEntryPutsBackTheBypassTheSessionKnows();
    void stopEndsTheUpgradeAtTheNextBlock();
};

void TestFirmwareHandler::wholeUpgradeWithoutAWindow_data()
{
    QTest::addColumn<bool>("powerUp");
    QTest::newRow("Upgrade Mode from the linked pedal") << false;
    QTest::newRow("power-up entry through the link") << true;
}

void TestFirmwareHandler::wholeUpgradeWithoutAWindow()
{
    QFETCH(bool, powerUp);
    HandlerRig rig;
    enter(rig, powerUp);
    if (QTest::currentTestFailed())
        return;
    QSignalSpy progress(&rig.firmware, &FirmwareHandler::progress);
    QSignalSpy finished(&rig.firmware, &FirmwareHandler::upgradeFinished);
    const int mark = rig.writeMark();

    const QByteArray image = firmware17();
    QCOMPARE(rig.firmware.upgrade(image, 17, QStringLiteral("Firmware_17")), Outcome::Done);

    QCOMPARE(rig.pedal.flash().left(image.size()), image);
    QCOMPARE(PedalMicrocontroller::stampedVersion(rig.pedal.flash()), 17);
    QVERIFY(rig.writesSince(mark).contains(kGoCommand));
    QCOMPARE(rig.writesSince(mark).last(), QByteArray::fromHex("0200")); // the new firmware's status
    QCOMPARE(rig.pedal.mode(), VirtualPedal::Mode::Firmware);
    QCOMPARE(rig.pedal.line().parity, uint8_t(0));
    QCOMPARE(rig.session.mode(), SessionMode::Linked);
    QCOMPARE(rig.comm.firmwareVersion(), QStringLiteral("17"));
    QCOMPARE(rig.firmware.state(), FirmwareHandler::State::Normal);
    QVERIFY(!rig.firmware.upgradeModeOn());

    // Every block written, then every block checked, then the stamp.
    const int blocks = static_cast<int>(FirmwareImage::chunks(image).size());
    QCOMPARE(progress.size(), 2 * blocks + 1);
    QCOMPARE(progress.at(0).at(2).toString(), QStringLiteral("Writing block 1 of %1").arg(blocks));
    QVERIFY(progress.at(blocks).at(2).toString().startsWith(QStringLiteral("Checking block 1 of ")));
    QCOMPARE(progress.last().at(0).toInt(), 2 * blocks);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).value<Outcome>(), Outcome::Done);

    // A later link asks the pedal's status as any link does.
    QCOMPARE(rig.comm.Disconnect(), Outcome::Done);
    const int relink = rig.writeMark();
    QCOMPARE(rig.comm.scanAndLink(), Outcome::Done);
    QCOMPARE(rig.writesSince(relink), QList<QByteArray>{QByteArray::fromHex("0200")});
}

void TestFirmwareHandler::failedEntryPutsBackTheBypassTheSessionKnows()
{
    HandlerRig rig;
    rig.pedal.setFirmwareVersion(17);
    rig.pedal.model().bypass = 1;
    rig.start();
    QCOMPARE(rig.comm.scanAndLink(), Outcome::Done);
    QVERIFY(rig.session.bypassOn());

    // SHIFT not held: the bootloader never answers.
    QCOMPARE(rig.firmware.setUpgradeMode(true), Outcome::NoAnswer);
    QCOMPARE(rig.firmware.state(), FirmwareHandler::State::Normal);
    QVERIFY(!rig.firmware.upgradeModeOn());
    QCOMPARE(rig.pedal.line().parity, uint8_t(0));
    QCOMPARE(rig.pedal.model().bypass, uint8_t(1));
    QVERIFY(rig.dialogs.informationTexts().last().startsWith(QStringLiteral("Connection to bootloader failed")));
    QCOMPARE(rig.comm.requestStatus(), Outcome::Done);
}

void TestFirmwareHandler::stopEndsTheUpgradeAtTheNextBlock()
{
    HandlerRig rig;
    enter(rig, false);
    if (QTest::currentTestFailed())
        return;
    const QByteArray image = firmware17();
    const int blocks = static_cast<int>(FirmwareImage::chunks(image).size());
    // Asked while block 6 is written: block 7 is the next boundary.
    const QMetaObject::Connection stopper =
        connect(&rig.firmware, &FirmwareHandler::progress, &rig.firmware, [&](int step) {
            if (step == 5)
                rig.firmware.requestStop();
        });
    const int mark = rig.writeMark();
    QCOMPARE(rig.firmware.upgrade(image, 17, QStringLiteral("Firmware_17")), Outcome::Cancelled);

    disconnect(stopper);

    const QList<QByteArray> sent = rig.writesSince(mark);
    QCOMPARE(sent.count(QByteArray::fromHex("31")), 6);
    QVERIFY(!sent.contains(BootloaderClient::addressFrame(FirmwareImage::kStampAddress)));
    QVERIFY(!sent.contains(kGoCommand));
    QCOMPARE(PedalMicrocontroller::stampedVersion(rig.pedal.flash()), 0);
    QCOMPARE(rig.pedal.mode(), VirtualPedal::Mode::Bootloader);
    QCOMPARE(rig.firmware.state(), FirmwareHandler::State::BootloaderIdle);
    const QString said = rig.dialogs.informationTexts().last();
    QVERIFY2(said.contains(QStringLiteral("stopped at block 7 of %1").arg(blocks))
                 && said.contains(QStringLiteral("The pedal stays in its bootloader")),
             qPrintable(said));

    // Leaving it now finds no stamp: no Go, the pedal waits in its bootloader.
    const int restart = rig.writeMark();
    QCOMPARE(rig.firmware.restart(), Outcome::Refused);
    QVERIFY(!rig.writesSince(restart).contains(kGoCommand));
    QCOMPARE(rig.pedal.mode(), VirtualPedal::Mode::Bootloader);

    // Back in through "Upgrade Mode", the upgrade goes through from the erase.
    QCOMPARE(rig.firmware.setUpgradeMode(true), Outcome::Done);
    QCOMPARE(rig.firmware.upgrade(image, 17, QStringLiteral("Firmware_17")), Outcome::Done);
    QCOMPARE(rig.pedal.mode(), VirtualPedal::Mode::Firmware);
    QCOMPARE(PedalMicrocontroller::stampedVersion(rig.pedal.flash()), 17);
}

QTEST_GUILESS_MAIN(TestFirmwareHandler)
#include "tst_firmwarehandler.moc"
