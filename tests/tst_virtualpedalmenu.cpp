// The "Virtual Pedal" menu, through the real main window: what a person does
// to a real pedal (hold SHIFT, pull and plug in the cable, switch it off and
// on), and the editor's answers to it, as a newcomer without a pedal meets them.

#include "EditorFixture.h"
#include "PedalBehindLine.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "firmware/FirmwareUpgrade.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

namespace {
const QString kShiftQuestion = QStringLiteral("Keep SHIFT button on the pedal pressed and click YES.");

struct Rig : EditorFixture {
    // The editor as --virtual-pedal starts it.
    void startWithMenu()
    {
        start();
        main().addVirtualPedalMenu();
    }
    QMenu* menu() { return main().findChild<QMenu*>(QStringLiteral("menuVirtualPedal")); }
    QAction* menuItem(const char* name) { return main().item(QString::fromLatin1(name)); }
    QAction* holdShift() { return menuItem("menuHoldShift"); }
    QAction* plug() { return menuItem("menuPlug"); }
    QAction* powerCycle() { return menuItem("menuPowerCycle"); }
    QAction* upgradeMode() { return menuItem("menuFirmwareUpgradeMode"); }
    // The menu's first line, as the user sees it on opening the menu.
    QString state()
    {
        Q_EMIT menu()->aboutToShow();
        return menuItem("menuVirtualPedalState")->text();
    }
    bool upgradeWindowShown() { return editor().formFirmwareUpgrade->isVisible(); }
};
} // namespace

class TestVirtualPedalMenu : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuOnlyOnTheVirtualPedal();
    void upgradeModeNeedsShiftHeld_data();
    void upgradeModeNeedsShiftHeld();
    void unplugIsNoticedAndPlugInLinksAgain_data();
    void unplugIsNoticedAndPlugInLinksAgain();
    void powerCycleFollowsShift_data();
    void powerCycleFollowsShift();
};

void TestVirtualPedalMenu::menuOnlyOnTheVirtualPedal()
{
    {
        Rig f;
        f.startWithMenu();
        QVERIFY(f.menu());
        QCOMPARE(f.main().ui->menuConnection->actions().last(), f.menu()->menuAction());
        QCOMPARE(f.menu()->title(), QStringLiteral("Virtual Pedal"));
        QStringList texts;
        for (QAction* a : f.menu()->actions())
            if (!a->isSeparator() && a->isEnabled())
                texts << a->text();
        QCOMPARE(texts, (QStringList{"Hold SHIFT", "Unplug", "Power Cycle"}));
        QVERIFY(f.holdShift()->isCheckable());
        QVERIFY(f.holdShift()->isChecked());
        QVERIFY(f.pedal().model().shiftHeld);
        // Ticked SHIFT does nothing to a pedal that is running.
        QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
        QCOMPARE(f.state(), QStringLiteral("Pedal: running its firmware"));

        f.holdShift()->trigger();
        QVERIFY(!f.pedal().model().shiftHeld);
        f.main().addVirtualPedalMenu(); // once
        QCOMPARE(f.main().findChildren<QMenu*>(QStringLiteral("menuVirtualPedal")).size(), 1);
    }
    {
        // A pedal on a real driver: no such menu, and its SHIFT is its own.
        Rig f;
        f.startWith(std::make_unique<PedalBehindLine>(f.pedal()));
        f.main().addVirtualPedalMenu();
        QVERIFY(!f.menu());
        for (QAction* a : f.main().ui->menuConnection->actions())
            QVERIFY(a->text() != QLatin1String("Virtual Pedal"));
        QVERIFY(!f.pedal().model().shiftHeld);
    }
}

void TestVirtualPedalMenu::upgradeModeNeedsShiftHeld_data()
{
    QTest::addColumn<bool>("shift");
    QTest::newRow("SHIFT held, as by default") << true;
    QTest::newRow("SHIFT released") << false;
}

void TestVirtualPedalMenu::upgradeModeNeedsShiftHeld()
{
    QFETCH(bool, shift);
    Rig f;
    f.pedal().setFirmwareVersion(16);
    f.startWithMenu();
    f.comm().scanAndLink();
    QVERIFY(f.session().isLinked());
    if (!shift)
        f.holdShift()->trigger();
    f.dialogs.clear();

    f.upgradeMode()->trigger(); // and Yes, the default answer

    QCOMPARE(f.dialogs.questions(), QStringList{kShiftQuestion});
    QCOMPARE(f.upgradeWindowShown(), shift);
    QCOMPARE(f.pedal().mode(), shift ? VirtualPedal::Mode::Bootloader : VirtualPedal::Mode::Firmware);
    const QStringList shown = f.dialogs.informationTexts();
    if (shift) {
        QVERIFY2(!shown.join('\n').contains(QStringLiteral("failed")), qPrintable(shown.join('\n')));
        QCOMPARE(f.state(), QStringLiteral("Pedal: in its bootloader"));
    } else {
        QVERIFY2(shown.join('\n').contains(QStringLiteral("Connection to bootloader failed")),
                 qPrintable(shown.join('\n')));
        QCOMPARE(f.state(), QStringLiteral("Pedal: running its firmware"));
    }
}

void TestVirtualPedalMenu::unplugIsNoticedAndPlugInLinksAgain_data()
{
    QTest::addColumn<bool>("shiftAtPlugIn");
    QTest::newRow("SHIFT released") << false;
    // As the real pedal: plugged in with SHIFT held, it starts its bootloader,
    // which is the way back after an upgrade that was cut short.
    QTest::newRow("SHIFT held") << true;
}

void TestVirtualPedalMenu::unplugIsNoticedAndPlugInLinksAgain()
{
    QFETCH(bool, shiftAtPlugIn);
    Rig f;
    f.startWithMenu();
    f.comm().scanAndLink();
    QVERIFY(f.session().isLinked());
    f.dialogs.clear();

    f.plug()->trigger();

    QVERIFY(!f.pedal().isPlugged());
    QTRY_VERIFY(!f.session().isLinked());
    QCOMPARE(f.dialogs.informationTexts(), QStringList{Communication::connectionLostText()});
    QCOMPARE(f.plug()->text(), QStringLiteral("Plug In"));
    QVERIFY(!f.powerCycle()->isEnabled());
    QCOMPARE(f.state(), QStringLiteral("Pedal: unplugged"));

    f.holdShift()->setChecked(shiftAtPlugIn);
    f.plug()->trigger();

    QVERIFY(f.pedal().isPlugged());
    QCOMPARE(f.plug()->text(), QStringLiteral("Unplug"));
    QVERIFY(f.powerCycle()->isEnabled());
    if (shiftAtPlugIn) {
        QCOMPARE(f.state(), QStringLiteral("Pedal: in its bootloader"));
        return;
    }
    QCOMPARE(f.state(), QStringLiteral("Pedal: running its firmware"));
    f.dialogs.clear();
    f.main().menuScanClick();
    QVERIFY(f.session().isLinked());
    QCOMPARE(f.comm().linkState(), Communication::LinkState::Answering);
    QCOMPARE(f.dialogs.informationTexts(), QStringList());
}

void TestVirtualPedalMenu::powerCycleFollowsShift_data()
{
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("flashErased");
    QTest::addColumn<QString>("state");
    QTest::newRow("SHIFT held") << true << false << "Pedal: in its bootloader";
    QTest::newRow("SHIFT released") << false << false << "Pedal: running its firmware";
    QTest::newRow("SHIFT released, nothing in flash")
        << false << true << "Pedal: silent (its flash holds no program that starts)";
}

void TestVirtualPedalMenu::powerCycleFollowsShift()
{
    QFETCH(bool, shift);
    QFETCH(bool, flashErased);
    QFETCH(QString, state);
    Rig f;
    f.pedal().setFirmwareVersion(8); // too old for the bootloader request
    if (flashErased)
        f.pedal().model().flash.fill(char(0xFF));
    f.startWithMenu();
    f.holdShift()->setChecked(shift);

    f.powerCycle()->trigger();
    QCOMPARE(f.state(), state);

    if (shift) {
        // The way in for old firmware: "Upgrade Mode", then Scan And Link.
        f.upgradeMode()->trigger();
        QVERIFY(f.dialogs.questions().isEmpty());
        f.main().menuScanClick();
        QVERIFY(f.upgradeWindowShown());
        QCOMPARE(f.dialogs.informationTexts(),
                 QStringList{QStringLiteral("Connection to bootloader succeeded, ready for firmware upgrade")});
        return;
    }
    f.main().menuScanClick();
    QVERIFY(f.session().isLinked());
    QCOMPARE(f.comm().linkState(),
             flashErased ? Communication::LinkState::Silent : Communication::LinkState::Answering);
    QVERIFY(!f.upgradeWindowShown());
}

QTEST_MAIN(TestVirtualPedalMenu)
#include "tst_virtualpedalmenu.moc"
