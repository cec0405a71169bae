// What the session's modes let the windows do, through the real windows on
// the virtual pedal: once the bootloader runs, nothing the user clicks sends
// the firmware's messages into it, and an unplugged pedal is noticed in the
// states where nothing else reads from it.

#include "BootloaderEntry.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/PrintConsole.h"
#include "editor/FXsettings.h"
#include "firmware/FirmwareUpgrade.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

using Gate = BootloaderEntry;

// Every menu item of the window that a user can reach, submenus' items included.
QList<QAction*> reachableItems(QWidget* window)
{
    QList<QAction*> items;
    for (QMenu* menu : window->findChildren<QMenu*>())
        for (QAction* a : menu->actions())
            if (!a->menu() && !a->isSeparator() && a->isVisible() && !items.contains(a))
                items.append(a);
    return items;
}

QStringList enabledOf(FormMain& main, const QStringList& names)
{
    QStringList on;
    for (const QString& n : names)
        if (main.isEnabledByName(n))
            on << n;
    return on;
}

// The controls the firmware's messages go out from: none can be clicked while
// the bootloader runs.
const QStringList kFirmwareControls = {
    QStringLiteral("btnRequest"),         QStringLiteral("btnUpload"),          QStringLiteral("btnAssign"),
    QStringLiteral("btnSaveParameters"),  QStringLiteral("btnSetFootswitchMode"), QStringLiteral("btnSetTuning"),
    QStringLiteral("lstEffects"),         QStringLiteral("menuLoadPreset"),     QStringLiteral("menuSavePreset"),
    QStringLiteral("menuLoadAlgorithmFromFile"), QStringLiteral("menuMIDI"),   QStringLiteral("menuBypassStatus"),
    QStringLiteral("menuInstrumentRange"), QStringLiteral("menuRangeLimit"),  QStringLiteral("menuEraseSettings"),
    QStringLiteral("menuUploadTuningsData"), QStringLiteral("menuSetAssignableParamsToDefault"),
    QStringLiteral("menuLoadFirstPresetAtStartup"),
};

} // namespace

class TestGate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyClickInTheBootloaderSendsNothingOfTheFirmware_data();
    void everyClickInTheBootloaderSendsNothingOfTheFirmware();
    void unlinkAndScanWaitForTheWrite();
    void anUnplugIsNoticedOnce_data();
    void anUnplugIsNoticedOnce();
};

void TestGate::everyClickInTheBootloaderSendsNothingOfTheFirmware_data()
{
    QTest::addColumn<bool>("powerUp");
    QTest::newRow("power-up entry") << true;
    QTest::newRow("Upgrade Mode") << false;
}

void TestGate::everyClickInTheBootloaderSendsNothingOfTheFirmware()
{
    QFETCH(bool, powerUp);
    Gate f;
    if (powerUp)
        f.enterByPowerUp();
    else
        f.enterByCommand();
    QVERIFY(f.window().isVisible());
    QCOMPARE(f.session().mode(), SessionMode::BootloaderIdle);
    QCOMPARE(enabledOf(f.main(), kFirmwareControls), QStringList());

    const int mark = f.writeMark();
    const int logMark = f.logMark();
    f.dialogs.setDefaultAnswer(true);
    // The main window: every item and button a user can reach, but the one
    // that lets go of the pedal; then the key of the assignable defaults.
    for (QAction* a : reachableItems(&f.main()))
        if (a->isEnabled() && a->objectName() != QLatin1String("menuDisconnect"))
            a->trigger();
    for (QAbstractButton* b : f.main().findChildren<QAbstractButton*>())
        if (!b->isHidden() && b->isEnabled())
            b->click();
    QTest::keyClick(&f.main(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    // The effect window has nothing to click; the console's tools that reach
    // the pedal are off, the others are clicked (but Clear, which would take
    // with it the log this test reads).
    for (QWidget* w : f.fx().findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    for (QAction* a : {f.fx().menuUndo, f.fx().menuRedo, f.fx().menuCompare})
        QVERIFY(!a->isEnabled());
    for (QAbstractButton* b : f.console().findChildren<QAbstractButton*>())
        if (!b->isHidden() && b->isEnabled() && b->objectName() != QLatin1String("btnClear"))
            b->click();

    // At most the bootloader's own greeting went out ("Upgrade Mode" clicked
    // while it runs); the firmware's messages were refused, and said so.
    for (const QByteArray& w : f.writesSince(mark))
        QCOMPARE(w, QByteArray(1, '\x7F'));
    QVERIFY(!f.logSince(logMark).filter(QStringLiteral("not sent while bootloader")).isEmpty());
    QCOMPARE(f.session().mode(), SessionMode::BootloaderIdle);

    // The bootloader heard no stray byte: the upgrade goes through.
    f.window().show();
    QTest::mouseClick(f.window().btnUpgradeFirmware(), Qt::LeftButton);
    QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Firmware Upgrade Complete, device will now restart"));
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
}

void TestGate::unlinkAndScanWaitForTheWrite()
{
    Gate f;
    f.enterByCommand();
    QStringList onDuringTheWrite;
    QTimer::singleShot(0, &f.main(), [&] {
        onDuringTheWrite = enabledOf(f.main(), {QStringLiteral("menuDisconnect"), QStringLiteral("menuScan"),
                                                QStringLiteral("menuFirmwareUpgradeMode")});
        if (f.session().mode() != SessionMode::BootloaderWriting)
            onDuringTheWrite << QStringLiteral("not writing");
    });
    QTest::mouseClick(f.window().btnUpgradeFirmware(), Qt::LeftButton);
    QCOMPARE(onDuringTheWrite, QStringList());
    QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Firmware Upgrade Complete, device will now restart"));
    QVERIFY(f.main().isEnabledByName(QStringLiteral("menuDisconnect")));
}

void TestGate::anUnplugIsNoticedOnce_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("after a firmware-too-old refusal") << "firmware too old";
    QTest::newRow("after a failed handshake") << "failed handshake";
    QTest::newRow("with the upgrade window idle") << "upgrade window";
}

void TestGate::anUnplugIsNoticedOnce()
{
    QFETCH(QString, state);
    Gate f;
    if (state == QLatin1String("firmware too old")) {
        f.pedal().setFirmwareVersion(16);
        f.startLinked();
        QCOMPARE(f.session().mode(), SessionMode::FirmwareTooOld);
    } else if (state == QLatin1String("failed handshake")) {
        // The power-up entry without SHIFT held: the pedal runs its firmware.
        f.pedal().setFirmwareVersion(8);
        f.start();
        f.upgradeMode()->trigger();
        f.comm().scanAndLink();
        QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Connection to bootloader failed"));
    } else {
        f.enterByCommand();
        QVERIFY(f.window().isVisible());
    }
    QVERIFY(f.session().isLinked());
    f.dialogs.clear();

    f.pedal().unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!f.session().isLinked(), 3 * PedalSession::kLinkWatchMs);
    QCOMPARE(f.dialogs.informationTexts(), QStringList{Communication::connectionLostText()});
    FormMain& main = f.main();
    QCOMPARE(main.ui->lblStatus->text(), QStringLiteral("Status: connection lost"));
    QCOMPARE(main.lblLinkState()->toolTip(), QStringLiteral("Not linked"));
    QVERIFY(!main.ui->lblDeviceName->text().contains(QStringLiteral("linked")));
    QVERIFY(main.isEnabledByName(QStringLiteral("menuScan")));
    QVERIFY(!main.isEnabledByName(QStringLiteral("menuDisconnect")));
    QVERIFY(!f.window().isVisible());
    // Once, however long it stays unplugged.
    QTest::qWait(2 * PedalSession::kLinkWatchMs);
    QCOMPARE(f.dialogs.informationTexts().size(), 1);
}

QTEST_MAIN(TestGate)
#include "tst_gate.moc"
