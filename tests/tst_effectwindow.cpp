// The effect settings window on the virtual pedal, through the real windows:
// opening it, showing the pedal's state, the live parameter messages and their
// pacing, the tuning gates, assignments, footswitch mode, tuning and defaults.

#include "EditorFixture.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/PrintConsole.h"
#include "editor/Dial.h"
#include "editor/DialMath.h"
#include "editor/FXsettings.h"
#include "editor/Switch.h"
#include "effects/CatalogueHandler.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "ui_FXsettings.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

namespace {

// Addresses of the newest embedded image.
constexpr uint16_t kDry = 0x0027;
constexpr uint16_t kAttack = 0x00AE;
constexpr uint16_t kWaveClip = 0x00E7;

QByteArray bytes(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray parameterWrite(uint16_t address, uint32_t value)
{
    QByteArray m(1, '\x01');
    m.append(char(address >> 8)).append(char(address));
    for (int shift = 24; shift >= 0; shift -= 8)
        m.append(char(value >> shift));
    return m;
}

QList<QByteArray> writesTo(const QList<QByteArray>& writes, uint16_t address)
{
    QList<QByteArray> out;
    for (const QByteArray& w : writes)
        if (w.size() == 7 && w.at(0) == 0x01 && uint8_t(w.at(1)) == (address >> 8) && uint8_t(w.at(2)) == (address & 0xFF))
            out.append(w);
    return out;
}

int countStartingWith(const QStringList& lines, const QString& prefix)
{
    int n = 0;
    for (const QString& l : lines)
        n += l.startsWith(prefix) ? 1 : 0;
    return n;
}

void pump()
{
    QCoreApplication::processEvents();
}

} // namespace

class TestEffectWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowAsDesigned_data();
    void windowAsDesigned();
    void initialStateAndHints();
    void linkOpensTheWindowBesideTheMainWindow();
    void showsThePedalsState();
    void sharedAddressesSelectTheLastMatch();
    void nothingIsSentDuringARequest();
    void turningDryPacesItsMessages();
    void deadZoneSnapsToTheNearerEnd_data();
    void deadZoneSnapsToTheNearerEnd();
    void pitchListAndSwitchesSendAtOnce();
    void attackSendsThreeTimesAndRelabels();
    void noteCutNeedsATuning();
    void assigningNoteCutNeedsATuning();
    void assignAsksFirst();
    void footswitchModeIsSentAtOnce();
    void setTuningAsksPurgesAndPauses();
    void replyTuningIsSentBackUnchanged();
    void replyBytesWithoutAListEntry();
    void outOfRangeReplyFieldsLeaveTheControls();
    void defaultsSendInTheirOrder();
    void defaultsFromTheMenuSayHowToKeepThem();
    void presetValuesSendAtOnce();
    void enableAllParametersToggles();
    void keysAndRightClick();
    void unlinkedClickOpensADisabledWindow();
    void linkedClickChecksTheAlgorithm_data();
    void linkedClickChecksTheAlgorithm();
    void arrowsMoveTheSelectionOnly();
    void unknownEffectNumberOpensNothing_data();
    void unknownEffectNumberOpensNothing();
    void malformedAddressTable_data();
    void malformedAddressTable();
    void malformedTableBeforeAnyOtherSendsNothing_data();
    void malformedTableBeforeAnyOtherSendsNothing();
};

void TestEffectWindow::windowAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry"); // width or height 0: not fixed
    const QString window = QStringLiteral("formFXsettings");
    QTest::newRow("dialDry") << QStringLiteral("dialDry") << window << QRect(15, 8, 40, 40);
    QTest::newRow("dialMinus1Oct") << QStringLiteral("dialMinus1Oct") << window << QRect(75, 8, 40, 40);
    QTest::newRow("dialSubMix") << QStringLiteral("dialSubMix") << window << QRect(15, 72, 40, 40);
    QTest::newRow("dialMinus2Oct") << QStringLiteral("dialMinus2Oct") << window << QRect(75, 72, 40, 40);
    QTest::newRow("dialLowPass") << QStringLiteral("dialLowPass") << window << QRect(15, 136, 40, 40);
    QTest::newRow("dialHighPass") << QStringLiteral("dialHighPass") << window << QRect(75, 136, 40, 40);
    QTest::newRow("dialRange") << QStringLiteral("dialRange") << window << QRect(15, 200, 40, 40);
    QTest::newRow("dialDryHPF") << QStringLiteral("dialDryHPF") << window << QRect(75, 200, 40, 40);
    QTest::newRow("swtWave") << QStringLiteral("swtWave") << window << QRect(136, 18, 0, 0);
    QTest::newRow("swtSplit") << QStringLiteral("swtSplit") << window << QRect(136, 61, 0, 0);
    QTest::newRow("swtBypass") << QStringLiteral("swtBypass") << window << QRect(136, 108, 0, 0);
    QTest::newRow("swtLimitRange") << QStringLiteral("swtLimitRange") << window << QRect(136, 154, 0, 0);
    QTest::newRow("swtAttack") << QStringLiteral("swtAttack") << window << QRect(136, 197, 0, 0);
    QTest::newRow("dialInputLevel") << QStringLiteral("dialInputLevel") << window << QRect(203, 8, 40, 40);
    QTest::newRow("dialClipWave") << QStringLiteral("dialClipWave") << window << QRect(203, 72, 40, 40);
    QTest::newRow("Rectangle1") << QStringLiteral("Rectangle1") << window << QRect(279, 8, 153, 67);
    QTest::newRow("dial1stHarmonic") << QStringLiteral("dial1stHarmonic") << QStringLiteral("Rectangle1") << QRect(15, 8, 35, 35);
    QTest::newRow("cmbVariableWavePitch") << QStringLiteral("cmbVariableWavePitch") << QStringLiteral("Rectangle1") << QRect(68, 18, 0, 0);
    QTest::newRow("Rectangle2") << QStringLiteral("Rectangle2") << window << QRect(279, 83, 153, 119);
    QTest::newRow("lblTrackingFunctions") << QStringLiteral("lblTrackingFunctions") << QStringLiteral("Rectangle2") << QRect(8, 4, 0, 0);
    QTest::newRow("cmbSemitonesVariation") << QStringLiteral("cmbSemitonesVariation") << QStringLiteral("Rectangle2") << QRect(8, 52, 0, 0);
    QTest::newRow("Rectangle3") << QStringLiteral("Rectangle3") << window << QRect(279, 206, 153, 76);
    QTest::newRow("swtNoiseGateStatus") << QStringLiteral("swtNoiseGateStatus") << QStringLiteral("Rectangle3") << QRect(19, 26, 0, 0);
    QTest::newRow("dialNoiseGateThreshold") << QStringLiteral("dialNoiseGateThreshold") << QStringLiteral("Rectangle3") << QRect(89, 7, 50, 50);
    QTest::newRow("lblAssignControls") << QStringLiteral("lblAssignControls") << window << QRect(12, 288, 0, 0);
    QTest::newRow("chkChangePresetLongPress") << QStringLiteral("chkChangePresetLongPress") << window << QRect(298, 320, 0, 0);
    QTest::newRow("chkBypassLongPress") << QStringLiteral("chkBypassLongPress") << window << QRect(298, 337, 0, 0);
    QTest::newRow("chkBypassShortPress") << QStringLiteral("chkBypassShortPress") << window << QRect(298, 390, 0, 0);
    QTest::newRow("chkChangePresetShortPress") << QStringLiteral("chkChangePresetShortPress") << window << QRect(298, 407, 0, 0);
}

void TestEffectWindow::windowAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    EditorFixture f;
    f.start();
    // The form's area under the Edit menu's bar.
    QCOMPARE(f.fx().formArea->size(), QSize(440, 448));
    auto* w = f.fx().findChild<QWidget*>(name);
    QVERIFY(w);
    // The form's own controls stand in its area under the menu bar, every one
    // of them: one left on the window itself would be hidden behind the area.
    const QWidget* holder = w->parentWidget();
    if (parent == f.fx().objectName())
        QCOMPARE(holder, f.fx().formArea);
    else
        QCOMPARE(holder->objectName(), parent);
    QCOMPARE(w->pos(), geometry.topLeft());
    if (geometry.width() > 0)
        QCOMPARE(w->size(), geometry.size());
    QCOMPARE(w->font().family(), QStringLiteral("Arial"));
}

void TestEffectWindow::initialStateAndHints()
{
    EditorFixture f;
    f.start();
    FXsettings& fx = f.fx();
    Ui::formFXsettings& ui = *fx.ui;
    QCOMPARE(ui.dialDry->angle(), -135);
    QCOMPARE(ui.dialLowPass->angle(), -138);
    QCOMPARE(ui.dialHighPass->angle(), -128);
    QCOMPARE(ui.dialRange->angle(), -126);
    QCOMPARE(ui.dialDryHPF->angle(), -126);
    QVERIFY(!ui.swtWave->isEnabled() && !ui.swtSplit->isEnabled() && !ui.dial1stHarmonic->isEnabled());
    QVERIFY(!ui.swtAttack->isOn());
    QCOMPARE(ui.lblAttack->text(), QStringLiteral("Attack: Fast"));
    QCOMPARE(ui.cmbVariableWavePitch->currentIndex(), -1);
    QCOMPARE(ui.cmbVariableWavePitch->count(), 25);
    QCOMPARE(ui.cmbVariableWavePitch->maxVisibleItems(), 12);
    QCOMPARE(ui.cmbGuitarTuning->currentText(), QStringLiteral("No Tuning Selected"));
    QCOMPARE(ui.cmbGuitarTuning->itemText(4), QStringLiteral("open D (DADF#AD)"));
    QCOMPARE(ui.cmbSemitonesVariation->currentText(), QStringLiteral("0"));
    QCOMPARE(ui.cmbSemitonesVariation->currentIndex(), 5);
    for (QComboBox* list : {ui.cmbAssignCtrlUNO, ui.cmbAssignCtrlDUE, ui.cmbAssignCtrlTRE, ui.cmbAssignCtrlQUATTRO,
                            ui.cmbAssignRemote})
        QCOMPARE(list->currentText(), QStringLiteral("Not Assigned"));
    QCOMPARE(ui.cmbAssignCtrlDUE->itemText(5), QStringLiteral("Noise Gate Threshold"));
    QCOMPARE(ui.cmbAssignCtrlQUATTRO->itemText(5), QStringLiteral("Attack"));
    QCOMPARE(ui.cmbAssignRemote->count(), 3);
    QVERIFY(ui.chkChangePresetLongPress->isChecked() && ui.chkBypassShortPress->isChecked());
    QVERIFY(!f.session().pacedWriter().Timer1.isActive());
    QVERIFY(ui.lblNoiseGate->font().bold() && ui.lblFootswitchShortPress->font().bold());
    QVERIFY(!ui.lblSemitones->font().bold());
    QVERIFY(ui.lblSemitones->font().pointSizeF() > ui.lblThreshold->font().pointSizeF());

    QCOMPARE(ui.chkDominantNoteCut->toolTip(),
             QStringLiteral("Improves tracking on lowest chord (E-open chord in standard tuning) when RANGE is set "
                            "high.\r\nMake sure to choose the right tuning for your instrument before applying this "
                            "parameter."));
    QCOMPARE(ui.swtAttack->toolTip(), QStringLiteral("Set Sub Attack speed"));
    QCOMPARE(ui.cmbSemitonesVariation->toolTip(), QStringLiteral("Select the pitch variation in semitones from -5 to +3"));
    QVERIFY(ui.cmbGuitarTuning->toolTip().endsWith(QStringLiteral("capo on 3rd fret select standard tuning and +3 Pitch.")));
    QVERIFY(ui.dialDry->toolTip().isEmpty());
}

void TestEffectWindow::linkOpensTheWindowBesideTheMainWindow()
{
    EditorFixture f;
    f.start();
    f.main().show();
    QVERIFY(!f.fx().isVisible());
    QCOMPARE(f.fx().windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(f.editor().catalogue->catalogueVersion(), 15);
    // Before an effect is chosen no address is known.
    QCOMPARE(f.session().parameters().attack.address, uint16_t(0xFFFF));
    QCOMPARE(f.session().parameters().dry.address, uint16_t(0x0000));

    f.comm().scanAndLink();
    FXsettings& fx = f.fx();
    QVERIFY(fx.isVisible());
    QCOMPARE(fx.windowTitle(), QStringLiteral("Quarnel MK3 0015"));
    QCOMPARE(fx.formArea->size(), QSize(440, 448));
    QCOMPARE(fx.size(), QSize(440, 448 + fx.editMenuBar->height()));
    const QRect main = f.main().frameGeometry();
    QCOMPARE(fx.frameGeometry().topLeft(), QPoint(main.x() + main.width(), main.y()));
    QCOMPARE(f.session().parameters().dry.address, kDry);
    QCOMPARE(f.session().parameters().attack.address, kAttack);
    QCOMPARE(f.session().parameters().range.address, uint16_t(0x0000));
    for (QWidget* w : {static_cast<QWidget*>(fx.ui->dialDry), static_cast<QWidget*>(fx.ui->swtWave),
                       static_cast<QWidget*>(fx.ui->dial1stHarmonic), static_cast<QWidget*>(fx.ui->lblAttack),
                       static_cast<QWidget*>(fx.ui->cmbAssignRemote)})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    for (QWidget* w : {static_cast<QWidget*>(fx.ui->Rectangle1), static_cast<QWidget*>(fx.ui->Line2)})
        QCOMPARE(w->property("outlineColor").value<QColor>(), QColor::fromRgba(0xFFF8F8FF));

    const QStringList log = f.log();
    QVERIFY(log.contains(QStringLiteral("efx index :0")));
    QVERIFY(log.contains(QStringLiteral("selected effect name: Quarnel MK3 0015")));
    // Read once, when the effect was chosen, not again when the window shows.
    QCOMPARE(countStartingWith(log, QStringLiteral("resource name: Quarnel_MK3_0015")), 1);
    QCOMPARE(countStartingWith(log, QStringLiteral("filecontent (first 128 bytes): 0010A0")), 1);
    const QString content = log.at(log.lastIndexOf(QRegularExpression(QStringLiteral("filecontent.*"))));
    QCOMPARE(content.size(), int(QStringLiteral("filecontent (first 128 bytes): ").size()) + 256);

    // Unlinking disables every control of the window, labels and lists included.
    f.comm().Disconnect();
    QVERIFY(!fx.ui->dialDry->isEnabled());
    QVERIFY(!fx.ui->lblAttack->isEnabled());
    QVERIFY(!fx.ui->cmbGuitarTuning->isEnabled());
}

void TestEffectWindow::showsThePedalsState()
{
    EditorFixture f;
    PedalModel& p = f.pedal().model();
    p.values[PedalModel::Dry] = 512u << 13;
    p.values[PedalModel::LowPass] = 24;
    p.values[PedalModel::HighPass] = 16;
    p.values[PedalModel::HarmonicPitch] = 0x00800000;
    p.values[PedalModel::DominantNotesCut] = 1;
    p.values[PedalModel::Attack] = 0x00000800;
    p.footswitchMode = 3;
    p.tuning = 2;
    p.semitones = 0xFC;
    p.assignedFlags = {1, 0, 1, 0, 1};
    p.assignedAddresses = {kWaveClip, 0x1234, kAttack, 0xFFFF, 0xFFFD};
    p.bypass = 1;
    f.startLinked();

    Ui::formFXsettings& ui = *f.fx().ui;
    QCOMPARE(ui.dialDry->angle(), 89);
    QCOMPARE(ui.dialLowPass->angle(), -45);
    QCOMPARE(ui.dialHighPass->angle(), -45);
    QCOMPARE(ui.dialInputLevel->angle(), -45);
    QCOMPARE(ui.cmbVariableWavePitch->currentText(), QStringLiteral("+12"));
    QVERIFY(ui.chkDominantNoteCut->isChecked());
    QVERIFY(ui.swtAttack->isOn());
    QCOMPARE(ui.lblAttack->text(), QStringLiteral("Attack: Slow"));
    QVERIFY(ui.chkChangePresetShortPress->isChecked());
    QVERIFY(ui.chkBypassLongPress->isChecked());
    QCOMPARE(ui.cmbGuitarTuning->currentText(), QStringLiteral("Drop D (DADGBE)"));
    QCOMPARE(ui.cmbSemitonesVariation->currentText(), QStringLiteral("-4"));
    QCOMPARE(int(f.session().parameters().semitoneVariation), -4);
    QCOMPARE(ui.cmbAssignCtrlUNO->currentText(), QStringLiteral("Wave Clip"));
    QCOMPARE(ui.cmbAssignCtrlDUE->currentText(), QStringLiteral("Not Assigned"));
    QCOMPARE(ui.cmbAssignCtrlTRE->currentText(), QStringLiteral("Attack"));
    QCOMPARE(ui.cmbAssignRemote->currentText(), QStringLiteral("Preset"));
    QCOMPARE(f.session().parameters().controlAssigned, (std::array<bool, 5>{true, false, true, false, true}));
    QVERIFY(f.session().parameters().waveClip.is_assigned);
    QVERIFY(!f.session().parameters().inputLevel.is_assigned);
    QVERIFY(ui.swtBypass->isOn());
    // The step numbers are stored as they come.
    QCOMPARE(f.session().parameters().lowPass.value, 24u);

    const QStringList log = f.log();
    const QStringList expectedInOrder = {
        QStringLiteral("Footswitch Mode: Preset Short, Bypass Long"),
        QStringLiteral("Current Tuning: 2"),
        QStringLiteral("Semitones variation: FC"),
        QStringLiteral("CTRL I assignment: Clipping"),
        QStringLiteral("CTRL III assignment: Attack"),
        QStringLiteral("Remote assigned to Preset Change"),
        QStringLiteral("Dry: \t00400000"),
        QStringLiteral("Sub Mix: 00000000"),
        QStringLiteral("LPF: \t00000018"),
        QStringLiteral("Input Lvl: \t00800000"),
        QStringLiteral("Harmonic pitch: \t00800000"),
        QStringLiteral("Noise Gate Status: \t00000000"),
        QStringLiteral("Attack: \t00000800"),
    };
    int at = -1;
    for (const QString& line : expectedInOrder) {
        const int found = static_cast<int>(log.indexOf(line, at + 1));
        QVERIFY2(found > at, qPrintable(QStringLiteral("missing or out of order: ") + line));
        at = found;
    }
    QCOMPARE(countStartingWith(log, QStringLiteral("CTRL II assignment")), 0);
    QVERIFY(f.dialogs.informationTexts().isEmpty());
}

void TestEffectWindow::sharedAddressesSelectTheLastMatch()
{
    // An older algorithm carries 0x0000 for Limit Range UP, the noise gate and Attack.
    EditorFixture f;
    f.start();
    f.comm().scanAndLink();
    ParameterModel& m = f.session().parameters();
    m.limitRangeUp.address = 0x0000;
    m.noiseGateStatus.address = 0x0000;
    m.attack.address = 0x0000;
    f.pedal().model().assignedFlags = {0, 0, 1, 0, 0};
    f.pedal().model().assignedAddresses = {0xFFFF, 0xFFFF, 0x0000, 0xFFFF, 0xFFFF};
    // Keep the window open so the request does not read the image again.
    const int mark = f.logMark();
    f.comm().requestStatus();
    const QStringList log = f.logSince(mark);
    QCOMPARE(countStartingWith(log, QStringLiteral("CTRL III assignment: ")), 3);
    QVERIFY(log.contains(QStringLiteral("CTRL III assignment: Limit Range UP")));
    QCOMPARE(f.fx().ui->cmbAssignCtrlTRE->currentText(), QStringLiteral("Attack"));
}

void TestEffectWindow::nothingIsSentDuringARequest()
{
    // Wave and Split follow the reply onto their controls and would send the
    // pedal's own values back to it, in the middle of the request: the
    // session lets nothing through while the reply is on its way.
    EditorFixture f;
    PedalModel& p = f.pedal().model();
    p.values[PedalModel::Wave] = 0x00400000;
    p.values[PedalModel::Split] = 1;
    p.values[PedalModel::Dry] = 300u << 13;
    p.values[PedalModel::LimitRangeUp] = 1;
    p.values[PedalModel::NoiseGateStatus] = 1;
    p.values[PedalModel::Attack] = 0x00000800;
    p.values[PedalModel::HighNotesCut] = 1;
    p.bypass = 1;
    f.startLinked();
    QCOMPARE(f.writes(), QList<QByteArray>{bytes("0200")});
    const ParameterModel& m = f.session().parameters();
    const QStringList log = f.log();
    QVERIFY(log.contains(QStringLiteral("Send Wave string (standard par): 01") + QString::number(m.wave.address, 16).rightJustified(4, QLatin1Char('0')).toUpper() + QStringLiteral("00400000")));
    QCOMPARE(log.filter(QStringLiteral("not sent while requesting: parameter write")).size(), 2);
    // No knob message waits behind the request either.
    QTest::qWait(150);
    QCOMPARE(f.writes().size(), 1);
}

void TestEffectWindow::turningDryPacesItsMessages()
{
    EditorFixture f;
    f.startLinked();
    Dial* dial = f.fx().ui->dialDry;
    const int writeMark = f.writeMark();
    const int logMark = f.logMark();
    QElapsedTimer elapsed;
    elapsed.start();
    int events = 0;
    int angle = -135;
    while (elapsed.elapsed() < 1000) {
        angle -= 2;
        dial->setAngle(angle);
        ++events;
        QTest::qWait(15);
    }
    const int finalLevel = DialMath::dialToLevel(dial->angle());
    QTRY_VERIFY(!f.session().pacedWriter().Timer1.isActive());
    const QList<QByteArray> sent = writesTo(f.writesSince(writeMark), kDry);
    QCOMPARE(sent.size(), f.writesSince(writeMark).size());
    // About ten in the second; never more than one per 100 ms, however late a
    // loaded machine fires the timer, and a busy machine may well send fewer.
    const qint64 took = elapsed.elapsed();
    QVERIFY2(sent.size() >= 4 && sent.size() <= took / 100 + 1,
             qPrintable(QStringLiteral("%1 messages in %2 ms").arg(sent.size()).arg(took)));
    QCOMPARE(sent.last(), parameterWrite(kDry, uint32_t(finalLevel) << 13));
    QCOMPARE(countStartingWith(f.logSince(logMark), QStringLiteral("Send Dry string (standard par): 010027")), events);
    QCOMPARE(f.session().parameters().dry.value, uint32_t(finalLevel) << 13);
    QCOMPARE(f.pedal().model().values[PedalModel::Dry], uint32_t(finalLevel) << 13);
}

void TestEffectWindow::deadZoneSnapsToTheNearerEnd_data()
{
    QTest::addColumn<int>("released");
    QTest::addColumn<int>("shown");
    QTest::addColumn<uint>("value");
    QTest::newRow("-100 goes to the minimum") << -100 << -135 << 0u;
    QTest::newRow("-90 goes to the minimum") << -90 << -135 << 0u;
    QTest::newRow("-80 goes to the maximum") << -80 << -45 << 0x007FE000u;
}

void TestEffectWindow::deadZoneSnapsToTheNearerEnd()
{
    QFETCH(int, released);
    QFETCH(int, shown);
    QFETCH(uint, value);
    EditorFixture f;
    f.startLinked();
    Dial* dial = f.fx().ui->dialDry;
    dial->setAngle(0); // start away from both ends
    QTRY_VERIFY(!f.session().pacedWriter().Timer1.isActive());
    const int mark = f.writeMark();
    const int logMark = f.logMark();
    dial->setAngle(released);
    QCOMPARE(dial->angle(), shown);
    QTRY_COMPARE(f.writesSince(mark).size(), 1);
    QCOMPARE(f.writesSince(mark).first(), parameterWrite(kDry, value));
    QCOMPARE(countStartingWith(f.logSince(logMark), QStringLiteral("Send Dry")), 1);
}

void TestEffectWindow::pitchListAndSwitchesSendAtOnce()
{
    EditorFixture f;
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    const ParameterModel& m = f.session().parameters();
    int mark = f.writeMark();
    ui.cmbVariableWavePitch->setCurrentIndex(24);
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{parameterWrite(m.harmonicPitch.address, 0x00800000)});
    QVERIFY(f.log().contains(QStringLiteral("Send Harmonic Pitch string: 01") + QString::number(m.harmonicPitch.address, 16).rightJustified(4, QLatin1Char('0')).toUpper() + QStringLiteral("00800000")));
    QCOMPARE(m.harmonicPitch.value, 0x00800000u);

    mark = f.writeMark();
    ui.swtBypass->setOn(true);
    ui.swtNoiseGateStatus->setOn(true);
    ui.swtLimitRange->setOn(true);
    ui.swtWave->setOn(true);
    QCOMPARE(f.writesSince(mark), (QList<QByteArray>{bytes("0D01"), parameterWrite(m.noiseGateStatus.address, 1),
                                                     parameterWrite(m.limitRangeUp.address, 1),
                                                     parameterWrite(m.wave.address, 0x00400000)}));
    QVERIFY(f.log().contains(QStringLiteral("Send Noise Gate Status string (assignable par): 01")
                             + QString::number(m.noiseGateStatus.address, 16).rightJustified(4, QLatin1Char('0')).toUpper()
                             + QStringLiteral("00000001")));
    QCOMPARE(f.pedal().model().bypass, uint8_t(1));
    // The switches keep what they sent, so a later showing of the values
    // (the defaults, undo) starts from what the pedal plays.
    QCOMPARE(m.limitRangeUp.value, 1u);
    QCOMPARE(m.wave.value, 0x00400000u);
}

void TestEffectWindow::attackSendsThreeTimesAndRelabels()
{
    EditorFixture f;
    f.startLinked();
    const int mark = f.writeMark();
    const int logMark = f.logMark();
    f.fx().ui->swtAttack->setOn(true);
    const QByteArray slow = parameterWrite(kAttack, 0x00000800);
    QCOMPARE(f.writesSince(mark), (QList<QByteArray>{slow, slow, slow}));
    QCOMPARE(f.logSince(logMark),
             QStringList(3, QStringLiteral("Send Attack string (assignable par): 0100AE00000800")));
    QCOMPARE(f.fx().ui->lblAttack->text(), QStringLiteral("Attack: Slow"));
    f.fx().ui->swtAttack->setOn(false);
    QCOMPARE(f.fx().ui->lblAttack->text(), QStringLiteral("Attack: Fast"));
    QCOMPARE(f.writesSince(mark).size(), 6);
}

void TestEffectWindow::noteCutNeedsATuning()
{
    EditorFixture f;
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    const uint16_t address = f.session().parameters().dominantNotesCut.address;
    int mark = f.writeMark();
    ui.chkDominantNoteCut->setChecked(true);
    QCOMPARE(f.dialogs.informationTexts(), QStringList{QStringLiteral("Set a tuning before using this parameter")});
    QVERIFY(!ui.chkDominantNoteCut->isChecked());
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{parameterWrite(address, 0)});
    QVERIFY(f.log().contains(QStringLiteral("write to DSP msg: ") + QString::fromLatin1(parameterWrite(address, 0).toHex().toUpper())));

    // Choosing a tuning lifts the gate at once, before it is sent.
    f.dialogs.clear();
    ui.cmbGuitarTuning->setCurrentIndex(1);
    mark = f.writeMark();
    ui.chkDominantNoteCut->setChecked(true);
    QVERIFY(f.dialogs.informationTexts().isEmpty());
    QVERIFY(ui.chkDominantNoteCut->isChecked());
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{parameterWrite(address, 1)});
    QCOMPARE(f.session().parameters().dominantNotesCut.value, 1u);

    // Unchecking without a tuning warns as well.
    ui.cmbGuitarTuning->setCurrentIndex(0);
    ui.chkDominantNoteCut->setChecked(false);
    QCOMPARE(f.dialogs.informationTexts(), QStringList{QStringLiteral("Set a tuning before using this parameter")});
}

void TestEffectWindow::assigningNoteCutNeedsATuning()
{
    EditorFixture f;
    // The pedal holds High Notes Cut on Control III without a tuning: shown silently.
    const uint16_t highNotesCut = 0x00A1; // its word in the newest image
    f.pedal().model().assignedFlags = {0, 0, 1, 0, 0};
    f.pedal().model().assignedAddresses = {0xFFFF, 0xFFFF, highNotesCut, 0xFFFF, 0xFFFF};
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    QCOMPARE(f.session().parameters().highNotesCut.address, highNotesCut);
    QCOMPARE(ui.cmbAssignCtrlTRE->currentText(), QStringLiteral("High Notes Cut"));
    QVERIFY(f.dialogs.informationTexts().isEmpty());

    const QString warning = QStringLiteral("No tuning selected, Select a tuning before assigning this parameter");
    ui.cmbAssignCtrlQUATTRO->setCurrentIndex(2);
    QCOMPARE(f.dialogs.informationTexts(), QStringList{warning});
    QCOMPARE(ui.cmbAssignCtrlQUATTRO->currentText(), QStringLiteral("Not Assigned"));
    QVERIFY(!f.session().parameters().controlAssigned[3]);
    ui.cmbAssignCtrlQUATTRO->setCurrentIndex(5);
    QVERIFY(f.session().parameters().controlAssigned[3]);
    QCOMPARE(f.dialogs.informationTexts().size(), 1);

    ui.cmbGuitarTuning->setCurrentIndex(8);
    ui.cmbAssignCtrlQUATTRO->setCurrentIndex(1);
    QCOMPARE(ui.cmbAssignCtrlQUATTRO->currentText(), QStringLiteral("Dominant Notes Cut"));
    QCOMPARE(f.dialogs.informationTexts().size(), 1);
}

void TestEffectWindow::assignAsksFirst()
{
    EditorFixture f;
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    ui.cmbAssignCtrlUNO->setCurrentText(QStringLiteral("Wave Clip"));
    ui.cmbAssignCtrlTRE->setCurrentText(QStringLiteral("Attack"));
    const QString text = QStringLiteral("040100010000" "00E7" "FFFF" "00AE" "FFFF" "FFFF");

    f.dialogs.answerNo();
    int mark = f.writeMark();
    int logMark = f.logMark();
    f.main().ui->btnAssign->click();
    QCOMPARE(f.logSince(logMark), (QStringList{QStringLiteral("********************ASSIGN********************"),
                                               QStringLiteral("lenght of assign message in bytes: 16"),
                                               QStringLiteral("assign message: ") + text}));
    QCOMPARE(f.dialogs.questions(), QStringList{QStringLiteral("Upload Assignments?")});
    QVERIFY(f.writesSince(mark).isEmpty());

    f.dialogs.answerYes();
    f.clock.clearPauses();
    f.main().ui->btnAssign->click();
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{QByteArray::fromHex(text.toLatin1())});
    QCOMPARE(f.clock.pauseLengths(), QList<int>{100});
    QVERIFY(f.main().ui->btnAssign->isEnabled());
    QCOMPARE(f.pedal().model().assignedAddresses[0], kWaveClip);
    QCOMPARE(f.pedal().model().assignedFlags[2], uint8_t(1));
}

void TestEffectWindow::footswitchModeIsSentAtOnce()
{
    EditorFixture f;
    f.startLinked();
    f.fx().ui->chkChangePresetShortPress->setChecked(true);
    f.fx().ui->chkBypassLongPress->setChecked(true);
    const int mark = f.writeMark();
    const int logMark = f.logMark();
    f.dialogs.clear();
    f.main().ui->btnSetFootswitchMode->click();
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{bytes("080101")});
    QCOMPARE(f.logSince(logMark),
             (QStringList{QStringLiteral("********************SET FOOTSWITCH MODE********************"),
                          QStringLiteral("footswitch behaviour message: 080101"), QStringLiteral("080101")}));
    QVERIFY(f.dialogs.texts().isEmpty());
    QCOMPARE(f.pedal().model().footswitchMode, uint8_t(3));
}

void TestEffectWindow::setTuningAsksPurgesAndPauses()
{
    EditorFixture f;
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    ui.cmbGuitarTuning->setCurrentText(QStringLiteral("Standard (EADGBE)"));
    ui.cmbSemitonesVariation->setCurrentText(QStringLiteral("-1"));

    f.dialogs.answerNo();
    const int mark = f.writeMark();
    int logMark = f.logMark();
    f.main().ui->btnSetTuning->click();
    QCOMPARE(f.logSince(logMark), (QStringList{QStringLiteral("********************SET TUNING********************"),
                                               QStringLiteral("Tuning Message: 0901FF")}));
    QCOMPARE(f.dialogs.questions(), QStringList{QStringLiteral("Set new tuning?")});
    QVERIFY(f.writesSince(mark).isEmpty());

    f.dialogs.answerYes();
    f.clock.clearPauses();
    f.main().ui->btnSetTuning->click();
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{bytes("0901FF")});
    QCOMPARE(f.clock.pauseLengths(), QList<int>{100});
    QCOMPARE(f.pedal().model().tuning, uint8_t(1));
    QCOMPARE(f.pedal().model().semitones, uint8_t(0xFF));

    ui.cmbGuitarTuning->setCurrentIndex(8);
    ui.cmbSemitonesVariation->setCurrentText(QStringLiteral("+3"));
    f.main().ui->btnSetTuning->click();
    QCOMPARE(f.writesSince(mark).last(), bytes("090803"));
}

void TestEffectWindow::replyTuningIsSentBackUnchanged()
{
    EditorFixture f;
    f.pedal().model().tuning = 2;
    f.pedal().model().semitones = 0xFE;
    f.startLinked();
    QCOMPARE(f.fx().ui->cmbGuitarTuning->currentText(), QStringLiteral("Drop D (DADGBE)"));
    QCOMPARE(f.fx().ui->cmbSemitonesVariation->currentText(), QStringLiteral("-2"));
    const int mark = f.writeMark();
    f.main().ui->btnSetTuning->click();
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{bytes("0902FE")});
}

void TestEffectWindow::replyBytesWithoutAListEntry()
{
    EditorFixture f;
    f.pedal().model().tuning = 3;
    f.pedal().model().semitones = 0x01;
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    QCOMPARE(ui.cmbGuitarTuning->currentText(), QStringLiteral("DADGAD"));

    f.pedal().model().tuning = 12;
    f.pedal().model().semitones = 0x07;
    const int logMark = f.logMark();
    f.comm().requestStatus();
    QCOMPARE(ui.cmbGuitarTuning->currentText(), QStringLiteral("DADGAD"));
    QCOMPARE(ui.cmbSemitonesVariation->currentText(), QStringLiteral("+1"));
    const QStringList log = f.logSince(logMark);
    QVERIFY(log.contains(QStringLiteral("Current Tuning: 12")));
    QVERIFY(log.contains(QStringLiteral("Semitones variation: 07")));
    QCOMPARE(countStartingWith(log, QStringLiteral("tuning 12 has no entry")), 1);
    QCOMPARE(countStartingWith(log, QStringLiteral("semitone variation 7 has no entry")), 1);
    // What "Set Tuning" sends is what the lists show.
    QCOMPARE(int(f.session().parameters().currentTuning), 3);
    QCOMPARE(int(f.session().parameters().semitoneVariation), 1);
}

void TestEffectWindow::outOfRangeReplyFieldsLeaveTheControls()
{
    EditorFixture f;
    PedalModel& p = f.pedal().model();
    p.footswitchMode = 2;
    p.bypass = 1;
    p.values[PedalModel::Attack] = 0x00000800;
    p.values[PedalModel::HarmonicPitch] = harmonicPitchTable[3];
    p.values[PedalModel::Wave] = 0x00400000;
    p.assignedFlags = {0, 0, 0, 0, 1};
    p.assignedAddresses = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFE};
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    QCOMPARE(ui.cmbAssignRemote->currentText(), QStringLiteral("Bypass"));

    p.footswitchMode = 4;
    p.bypass = 2;
    p.values[PedalModel::Attack] = 0;
    p.values[PedalModel::HarmonicPitch] = 0x00400001;
    p.values[PedalModel::Wave] = 0x00500000;
    p.assignedAddresses[4] = 0x1234;
    const int logMark = f.logMark();
    f.comm().requestStatus();
    QVERIFY(ui.chkChangePresetShortPress->isChecked() && ui.chkChangePresetLongPress->isChecked());
    QVERIFY(ui.swtBypass->isOn());
    QVERIFY(ui.swtAttack->isOn());
    QCOMPARE(ui.lblAttack->text(), QStringLiteral("Attack: Slow"));
    QCOMPARE(ui.cmbVariableWavePitch->currentText(), QStringLiteral("-9"));
    QVERIFY(ui.swtWave->isOn());
    QCOMPARE(ui.cmbAssignRemote->currentText(), QStringLiteral("Bypass"));
    const QStringList log = f.logSince(logMark);
    QCOMPARE(countStartingWith(log, QStringLiteral("Footswitch Mode")), 0);
    QCOMPARE(countStartingWith(log, QStringLiteral("Remote assigned")), 0);
}

void TestEffectWindow::defaultsSendInTheirOrder()
{
    EditorFixture f;
    PedalModel& p = f.pedal().model();
    p.values[PedalModel::InputLevel] = 100u << 13;
    p.values[PedalModel::NoiseGateStatus] = 1;
    p.values[PedalModel::Attack] = 0x00000800;
    p.tuning = 1; // the note-cut boxes stay quiet
    f.startLinked();
    const ParameterModel& m = f.session().parameters();
    const int mark = f.writeMark();
    const int logMark = f.logMark();
    f.clock.clearPauses();
    QTest::keyClick(&f.main(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);

    const QByteArray attackFast = parameterWrite(kAttack, 0x00008000);
    const QList<QByteArray> atOnce = {
        parameterWrite(m.inputLevel.address, 0x00800000),
        parameterWrite(m.harmonicPitch.address, 0x00400000),
        parameterWrite(kWaveClip, 0),
        parameterWrite(m.dominantNotesCut.address, 0),
        parameterWrite(m.highNotesCut.address, 0),
        parameterWrite(m.dryHpf.address, 0),
        parameterWrite(m.limitRangeUp.address, 0),
        parameterWrite(m.noiseGateThreshold.address, 0),
        attackFast,
        // Then the controls that changed: the noise gate switch, Attack three times.
        parameterWrite(m.noiseGateStatus.address, 0),
        attackFast, attackFast, attackFast,
    };
    QCOMPARE(f.writesSince(mark), atOnce);
    QCOMPARE(f.clock.pauseLengths(), QList<int>(8, 10));
    // The Input Level knob went to its maximum and follows through the pacing.
    QTRY_COMPARE(f.writesSince(mark).size(), atOnce.size() + 1);
    QCOMPARE(f.writesSince(mark).last(), parameterWrite(m.inputLevel.address, 0x007FE000));

    // First the copy of the values the defaults replace.
    const QStringList log = f.logSince(logMark).mid(1);
    QVERIFY(f.logSince(logMark).constFirst().startsWith(QStringLiteral("backup before the assignable defaults saved: ")));
    QCOMPARE(log.mid(0, 5),
             (QStringList{QStringLiteral("write to DSP msg: 01009C00000000"), QStringLiteral("write to DSP msg: 0100A100000000"),
                          QStringLiteral("Send Limit Range UP string (assignable par): 0100BB00000000"),
                          QStringLiteral("Send Noise Gate Threshold string (assignable par): 0100CA00000000"),
                          QStringLiteral("Send Attack string (assignable par): 0100AE00008000")}));
    Ui::formFXsettings& ui = *f.fx().ui;
    QCOMPARE(ui.dialInputLevel->angle(), -45);
    QCOMPARE(ui.cmbVariableWavePitch->currentText(), QStringLiteral("0"));
    QVERIFY(!ui.swtAttack->isOn());
    QCOMPARE(ui.lblAttack->text(), QStringLiteral("Attack: Fast"));
    QVERIFY(f.dialogs.informationTexts().isEmpty());
}

void TestEffectWindow::defaultsFromTheMenuSayHowToKeepThem()
{
    EditorFixture f;
    f.startLinked();
    f.main().ui->menuSetAssignableParamsToDefault->trigger();
    QCOMPARE(f.dialogs.informationTexts(),
             QStringList{QStringLiteral("Click Save Parameters button to save the current status on pedal")});
    QCOMPARE(f.session().parameters().attack.value, 0x00008000u);
}

void TestEffectWindow::presetValuesSendAtOnce()
{
    EditorFixture f;
    f.startLinked();
    ParameterModel& m = f.session().parameters();
    m.dry.value = 1023u << 13;
    m.waveClip.value = 200u << 13;
    const int mark = f.writeMark();
    f.fx().showParameterValues(true);
    QVERIFY(!f.fx().sendImmediately);
    const QList<QByteArray> sent = f.writesSince(mark);
    QCOMPARE(writesTo(sent, kDry), QList<QByteArray>{parameterWrite(kDry, 1023u << 13)});
    QCOMPARE(writesTo(sent, kWaveClip).size(), 1);
    QVERIFY(!f.session().pacedWriter().Timer1.isActive());
}

void TestEffectWindow::enableAllParametersToggles()
{
    EditorFixture f;
    f.startLinked();
    Ui::formFXsettings& ui = *f.fx().ui;
    QAction* item = f.main().ui->menuEnableAllParameters;
    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(f.session().parameters().allParametersEnabled);
    item->trigger();
    QVERIFY(!item->isChecked());
    for (Dial* d : {ui.dialDry, ui.dialSubMix, ui.dialMinus1Oct, ui.dialMinus2Oct, ui.dialRange})
        QVERIFY2(!d->isEnabled(), qPrintable(d->objectName()));
    for (Dial* d : {ui.dialLowPass, ui.dialHighPass, ui.dial1stHarmonic})
        QVERIFY2(d->isEnabled(), qPrintable(d->objectName()));
}

void TestEffectWindow::keysAndRightClick()
{
    EditorFixture f;
    f.startLinked();
    QVERIFY(!f.console().isVisible());
    QTest::keyClick(f.fx().ui->dialDry, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(f.console().isVisible());

    const int logMark = f.logMark();
    const int mark = f.writeMark();
    QTest::mouseClick(f.fx().ui->chkDominantNoteCut, Qt::RightButton);
    QCOMPARE(f.logSince(logMark), QStringList{QStringLiteral("Right mouse button clicked!")});
    QVERIFY(!f.fx().ui->chkDominantNoteCut->isChecked());
    QVERIFY(f.writesSince(mark).isEmpty());
}

void TestEffectWindow::unlinkedClickOpensADisabledWindow()
{
    EditorFixture f;
    f.start();
    QListWidget* list = f.main().ui->lstEffects;
    QCOMPARE(list->count(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QVERIFY(f.fx().isVisible());
    QCOMPARE(f.fx().windowTitle(), QStringLiteral("Quarnel MK3 0015"));
    QCOMPARE(f.editor().catalogue->selectedEffectName(), QStringLiteral("Quarnel MK3 0015"));
    QVERIFY(!f.fx().ui->dialDry->isEnabled());
    QVERIFY(!f.fx().ui->chkBypassShortPress->isEnabled());
    QVERIFY(!f.fx().ui->lblAssignControls->isEnabled());
    QCOMPARE(f.session().parameters().dry.address, kDry);
    QVERIFY(f.writes().isEmpty());
}

void TestEffectWindow::linkedClickChecksTheAlgorithm_data()
{
    QTest::addColumn<int>("algorithm"); // as the BCD byte
    QTest::addColumn<bool>("opens");
    QTest::newRow("14") << 0x14 << false;
    QTest::newRow("15") << 0x15 << true;
    QTest::newRow("16") << 0x16 << true;
}

void TestEffectWindow::linkedClickChecksTheAlgorithm()
{
    QFETCH(int, algorithm);
    QFETCH(bool, opens);
    EditorFixture f;
    f.startLinked();
    QVERIFY(f.fx().isVisible());
    // The pedal reports the algorithm (an older one refused by the request too).
    f.pedal().model().algorithmLow = uint8_t(algorithm);
    f.comm().requestStatus();
    f.dialogs.clear();
    f.editor().catalogue->selectEntry(0);
    f.editor().catalogue->effetto_cliccato();
    QCOMPARE(f.fx().isVisible(), opens);
    if (opens) {
        QVERIFY(f.dialogs.informationTexts().isEmpty());
        return;
    }
    QCOMPARE(f.dialogs.informationTexts(),
             QStringList{QStringLiteral("Upload the latest version of Quarnel MK3 algorithm:\r\nUpload Quarnel MK3 0015")});
    QVERIFY(!f.main().isEnabledByName(QStringLiteral("btnAssign")));
    QVERIFY(!f.main().isEnabledByName(QStringLiteral("btnSetTuning")));
    QVERIFY(f.main().isEnabledByName(QStringLiteral("btnUpload")));
}

void TestEffectWindow::arrowsMoveTheSelectionOnly()
{
    EditorFixture f;
    f.start();
    QListWidget* list = f.main().ui->lstEffects;
    list->addItem(QStringLiteral("Quarnel MK3 0016"));
    list->setCurrentRow(0);
    const int logMark = f.logMark();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->currentRow(), 0);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(f.logSince(logMark), (QStringList{QStringLiteral("arrow down pressed"), QStringLiteral("arrow down pressed"),
                                               QStringLiteral("arrow up pressed"), QStringLiteral("arrow up pressed")}));
    QVERIFY(!f.fx().isVisible());
    QVERIFY(f.editor().catalogue->selectedEffectName().isEmpty());
}

void TestEffectWindow::unknownEffectNumberOpensNothing_data()
{
    QTest::addColumn<bool>("knownEffectFirst");
    QTest::newRow("fresh editor") << false;
    QTest::newRow("after the catalogue's effect") << true;
}

void TestEffectWindow::unknownEffectNumberOpensNothing()
{
    QFETCH(bool, knownEffectFirst);
    EditorFixture f;
    PedalModel& p = f.pedal().model();
    if (knownEffectFirst) {
        f.startLinked();
        QVERIFY(f.fx().isVisible());
        f.dialogs.clear();
    }
    // Wave and Split change with the reply: they would send even during the request.
    p.effectNumber = 3;
    p.values[PedalModel::Wave] = 0x00400000;
    p.values[PedalModel::Split] = 1;
    const int mark = f.writeMark();
    if (knownEffectFirst)
        f.comm().requestStatus();
    else
        f.startLinked();
    QCOMPARE(f.fx().isVisible(), knownEffectFirst);
    QCOMPARE(f.main().ui->lstEffects->currentRow(), -1);
    QVERIFY(f.main().ui->lstEffects->selectedItems().isEmpty());
    QCOMPARE(f.dialogs.informationTexts().size(), 1);
    QVERIFY(f.dialogs.informationTexts().first().contains(QStringLiteral("03")));
    QVERIFY(f.fx().ui->swtWave->isOn());
    // No address is known to belong to the running effect: nothing goes to one.
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{bytes("0200")});
    QTest::keyClick(&f.main(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.writesSince(mark).size(), 1);

    QVERIFY(!f.editor().catalogue->selectEntry(1));
    QVERIFY(!f.editor().catalogue->selectEntry(-1));
    // Choosing the entry again makes its addresses the ones to send to.
    QVERIFY(f.editor().catalogue->selectEntry(0));
    f.editor().catalogue->effetto_cliccato();
    QVERIFY(f.fx().isVisible());
    f.fx().ui->swtWave->setOn(false);
    QCOMPARE(f.writesSince(mark).last(), parameterWrite(f.session().parameters().wave.address, 0x00600000));
}

void TestEffectWindow::malformedAddressTable_data()
{
    // Entries whose image names find data items that are not effect images.
    QTest::addColumn<QString>("entry");
    QTest::newRow("not hexadecimal") << QStringLiteral("STYLE 0");
    QTest::newRow("too short") << QStringLiteral("octave");
}

void TestEffectWindow::malformedAddressTable()
{
    QFETCH(QString, entry);
    EditorFixture f;
    f.startLinked();
    f.editor().catalogue->setEntries(f.editor().catalogue->entries() + QStringList{entry});
    f.dialogs.clear();
    QVERIFY(f.editor().catalogue->selectEntry(1));
    f.editor().catalogue->effetto_cliccato();
    QVERIFY(f.fx().isVisible());
    QCOMPARE(f.dialogs.informationTexts().size(), 1);
    QVERIFY(f.dialogs.informationTexts().first().contains(QStringLiteral("parameter address table")));
    QVERIFY(f.dialogs.informationTexts().first().contains(QStringLiteral("keeps the addresses")));
    QCOMPARE(f.session().parameters().dry.address, kDry);
    QCOMPARE(f.session().parameters().attack.address, kAttack);

    const int mark = f.writeMark();
    f.fx().ui->swtAttack->setOn(true);
    QCOMPARE(writesTo(f.writesSince(mark), kAttack).size(), 3);
}

void TestEffectWindow::malformedTableBeforeAnyOtherSendsNothing_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("messages");
    QTest::newRow("not an effect image") << QStringLiteral("STYLE 0") << QStringLiteral("sends no parameter changes") << 1;
    // Told once, by the click's load: the window shows what it read.
    QTest::newRow("no such image") << QStringLiteral("Quarnel MK3 0099") << QStringLiteral("Error loading resource: ")
                                   << 1;
}

void TestEffectWindow::malformedTableBeforeAnyOtherSendsNothing()
{
    QFETCH(QString, entry);
    QFETCH(QString, message);
    QFETCH(int, messages);
    EditorFixture f;
    f.start();
    f.editor().catalogue->setEntries(f.editor().catalogue->entries() + QStringList{entry});
    f.main().ui->lstEffects->setCurrentRow(1);
    f.main().lstEffectsClick();
    QVERIFY(f.fx().isVisible());
    QCOMPARE(f.dialogs.informationTexts().size(), messages);
    QVERIFY(f.dialogs.informationTexts().last().contains(message));
    f.fx().enableEffectControls(true);
    const int logMark = f.logMark();
    f.fx().ui->dialDry->setAngle(0);
    f.fx().ui->swtLimitRange->setOn(true);
    QTest::qWait(150);
    QVERIFY(f.writes().isEmpty());
    QCOMPARE(countStartingWith(f.logSince(logMark), QStringLiteral("not sent")), 2);
}

QTEST_MAIN(TestEffectWindow)
#include "tst_effectwindow.moc"
