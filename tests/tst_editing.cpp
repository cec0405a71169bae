// Undo, redo and Compare in the effect window's Edit menu, on the virtual
// pedal through the real window: what the controls show and what the pedal
// is sent and ends up playing.

#include "EditorFixture.h"
#include "PedalStates.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "editor/Dial.h"
#include "editor/DialMath.h"
#include "editor/FXsettings.h"
#include "editor/Switch.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "ui_FXsettings.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {
using namespace PedalStates;

QByteArray parameterWrite(uint16_t address, uint32_t value)
{
    QByteArray m(1, '\x01');
    m.append(char(address >> 8)).append(char(address));
    for (int shift = 24; shift >= 0; shift -= 8)
        m.append(char(value >> shift));
    return m;
}

Values pedalValues(EditorFixture& f)
{
    return f.pedal().model().values;
}

void linkWith(EditorFixture& f, const Values& values)
{
    f.pedal().model().values = values;
    f.pedal().model().tuning = 1;
    f.startLinked();
}

// Lets the pacing timer write what it holds.
void settle(EditorFixture& f)
{
    QTRY_VERIFY(!f.session().pacedWriter().Timer1.isActive());
}
} // namespace

class TestEditing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialTurnUndoneAndRedone();
    void aDialAtRestEndsItsStep_data();
    void aDialAtRestEndsItsStep();
    void presetLoadIsOneStep();
    void statusReplyStartsAFreshHistory();
    void shortcutsOfTheEditMenu();
    void compareSwitchesBetweenEditsAndReference();
    void editingWhileComparingEndsIt();
    void writeAtOnceDropsAPendingKnobMessage_data();
    void writeAtOnceDropsAPendingKnobMessage();
    void defaultsLeaveTheUsersSwitchesAlone();
};

void TestEditing::dialTurnUndoneAndRedone()
{
    EditorFixture f;
    linkWith(f, stateA());
    FXsettings& fx = f.fx();
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo"));
    QVERIFY(!fx.menuUndo->isEnabled());
    QVERIFY(!fx.menuRedo->isEnabled());
    const uint16_t dry = f.session().parameters().dry.address;

    // One turn of several steps is one step of the history.
    for (int angle : {170, 120, 60, 0})
        fx.ui->dialDry->setAngle(angle);
    settle(f);
    const uint32_t turned = level(DialMath::dialToLevel(0));
    QCOMPARE(pedalValues(f)[PedalModel::Dry], turned);
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Dry"));
    QVERIFY(fx.menuUndo->isEnabled());

    int mark = f.writeMark();
    fx.menuUndo->trigger();
    settle(f);
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{parameterWrite(dry, stateA()[PedalModel::Dry])});
    QCOMPARE(pedalValues(f), stateA());
    QCOMPARE(fx.ui->dialDry->angle(), DialMath::valueToDialAngle(stateA()[PedalModel::Dry]));
    QCOMPARE(f.session().parameters().dry.value, stateA()[PedalModel::Dry]);
    QVERIFY(!fx.menuUndo->isEnabled());
    QCOMPARE(fx.menuRedo->text(), QStringLiteral("Redo Dry"));

    mark = f.writeMark();
    fx.menuRedo->trigger();
    settle(f);
    QCOMPARE(f.writesSince(mark), QList<QByteArray>{parameterWrite(dry, turned)});
    QCOMPARE(fx.ui->dialDry->angle(), DialMath::valueToDialAngle(turned));
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Dry"));
    QCOMPARE(fx.menuRedo->text(), QStringLiteral("Redo"));
}

void TestEditing::aDialAtRestEndsItsStep_data()
{
    QTest::addColumn<int>("restMs");
    QTest::addColumn<bool>("oneStep");
    QTest::newRow("still turning after 400 ms") << 400 << true;
    QTest::newRow("at rest for 500 ms") << 500 << false;
}

void TestEditing::aDialAtRestEndsItsStep()
{
    QFETCH(int, restMs);
    QFETCH(bool, oneStep);
    EditorFixture f;
    linkWith(f, stateA());
    FXsettings& fx = f.fx();
    fx.ui->dialInputLevel->setAngle(90);
    f.clock.advance(restMs);
    fx.ui->dialInputLevel->setAngle(0);
    // Another control between would end any merging: only the pause decides here.
    fx.menuUndo->trigger();
    settle(f);
    const uint32_t expected = oneStep ? stateA()[PedalModel::InputLevel] : level(DialMath::dialToLevel(90));
    QCOMPARE(pedalValues(f)[PedalModel::InputLevel], expected);
    QCOMPARE(fx.menuUndo->isEnabled(), !oneStep);
}

void TestEditing::presetLoadIsOneStep()
{
    EditorFixture f;
    linkWith(f, stateA());
    FXsettings& fx = f.fx();
    const QString path = f.filesPath(QStringLiteral("Preset/b.txt"));
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fileBytes(stateB()));
    file.close();

    f.dialogs.chooseFile(path);
    f.main().ui->menuLoadPreset->trigger();
    QCOMPARE(pedalValues(f), stateB());
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Load Preset"));

    const int mark = f.writeMark();
    fx.menuUndo->trigger();
    settle(f);
    // All twenty previous values, each to its own address (the attack speed
    // three times, as its switch sends it), and the pedal plays them again.
    const QList<QByteArray> sent = f.writesSince(mark);
    QCOMPARE(sent.size(), 22);
    QSet<QByteArray> addresses;
    for (const QByteArray& w : sent)
        addresses.insert(w.mid(1, 2));
    QCOMPARE(addresses.size(), 20);
    QCOMPARE(pedalValues(f), stateA());
    QCOMPARE(f.session().parameters().values(), stateA());
    QCOMPARE(fx.menuRedo->text(), QStringLiteral("Redo Load Preset"));
    QVERIFY(!fx.menuUndo->isEnabled());
}

void TestEditing::statusReplyStartsAFreshHistory()
{
    EditorFixture f;
    linkWith(f, stateA());
    FXsettings& fx = f.fx();
    fx.ui->swtLimitRange->setOn(false);
    fx.ui->dialDry->setAngle(0);
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Dry"));
    settle(f);
    QCOMPARE(f.comm().requestStatus(), Outcome::Done);
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo"));
    QVERIFY(!fx.menuUndo->isEnabled());
    QVERIFY(!fx.menuRedo->isEnabled());
}

void TestEditing::shortcutsOfTheEditMenu()
{
    EditorFixture f;
    linkWith(f, stateA());
    FXsettings& fx = f.fx();
    QCOMPARE(fx.editMenuBar->actions().size(), 1);
    QCOMPARE(fx.editMenuBar->actions().first()->text(), QStringLiteral("Edit"));
    // The form keeps its size and places below the bar.
    QCOMPARE(fx.formArea->size(), QSize(440, 448));
    QCOMPARE(fx.formArea->y(), fx.editMenuBar->height());

    fx.show();
    fx.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&fx));
    fx.ui->swtLimitRange->setOn(false);
    settle(f);
    QCOMPARE(pedalValues(f)[PedalModel::LimitRangeUp], 0u);

    QTest::keyClick(&fx, Qt::Key_Z, Qt::ControlModifier);
    settle(f);
    QCOMPARE(pedalValues(f)[PedalModel::LimitRangeUp], 1u);
    QVERIFY(fx.ui->swtLimitRange->isOn());
    QTest::keyClick(&fx, Qt::Key_Y, Qt::ControlModifier);
    settle(f);
    QCOMPARE(pedalValues(f)[PedalModel::LimitRangeUp], 0u);
    QTest::keyClick(&fx, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&fx, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    settle(f);
    QCOMPARE(pedalValues(f)[PedalModel::LimitRangeUp], 0u);
    // Redo here, not the main window's defaults.
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Limit Range UP"));
    QVERIFY(!fx.menuRedo->isEnabled());
    QCOMPARE(pedalValues(f)[PedalModel::InputLevel], stateA()[PedalModel::InputLevel]);
    QTest::keyClick(&fx, Qt::Key_K, Qt::ControlModifier);
    QVERIFY(fx.comparing());
    settle(f);
    QCOMPARE(pedalValues(f), stateA());
}

void TestEditing::compareSwitchesBetweenEditsAndReference()
{
    EditorFixture f;
    linkWith(f, stateA());
    FXsettings& fx = f.fx();
    const ParameterModel& m = f.session().parameters();
    fx.ui->dialDry->setAngle(0);
    fx.ui->swtLimitRange->setOn(false);
    settle(f);
    Values edited = stateA();
    edited[PedalModel::Dry] = level(DialMath::dialToLevel(0));
    edited[PedalModel::LimitRangeUp] = 0;
    QCOMPARE(pedalValues(f), edited);

    // Only the two values that differ go, and the controls show what plays.
    int mark = f.writeMark();
    fx.menuCompare->trigger();
    QVERIFY(fx.comparing());
    QVERIFY(fx.menuCompare->isChecked());
    QVERIFY(fx.lblComparing->isVisibleTo(&fx));
    QCOMPARE(fx.lblComparing->text(), QStringLiteral("Comparing"));
    QVERIFY(!fx.menuUndo->isEnabled());
    settle(f);
    QCOMPARE(f.writesSince(mark), (QList<QByteArray>{parameterWrite(m.dry.address, stateA()[PedalModel::Dry]),
                                                     parameterWrite(m.limitRangeUp.address, 1)}));
    QCOMPARE(pedalValues(f), stateA());
    QVERIFY(fx.ui->swtLimitRange->isOn());
    QCOMPARE(fx.ui->dialDry->angle(), DialMath::valueToDialAngle(stateA()[PedalModel::Dry]));

    mark = f.writeMark();
    fx.menuCompare->trigger();
    QVERIFY(!fx.comparing());
    QVERIFY(!fx.lblComparing->isVisibleTo(&fx));
    settle(f);
    QCOMPARE(f.writesSince(mark).size(), 2);
    QCOMPARE(pedalValues(f), edited);
    QVERIFY(!fx.ui->swtLimitRange->isOn());
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Limit Range UP"));
    QVERIFY(fx.menuUndo->isEnabled());
}

void TestEditing::editingWhileComparingEndsIt()
{
    EditorFixture f;
    linkWith(f, stateA());
    FXsettings& fx = f.fx();
    fx.ui->dialDry->setAngle(0);
    fx.ui->swtLimitRange->setOn(false);
    fx.menuCompare->trigger();
    settle(f);

    fx.ui->dialSubMix->setAngle(90);
    QVERIFY(!fx.comparing());
    QVERIFY(!fx.lblComparing->isVisibleTo(&fx));
    settle(f);
    // The comparison ends on what was shown: the reference, with the new change.
    Values expected = stateA();
    expected[PedalModel::SubMix] = level(DialMath::dialToLevel(90));
    QCOMPARE(pedalValues(f), expected);
    QCOMPARE(f.session().parameters().values(), expected);
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Sub Mix"));
}

void TestEditing::writeAtOnceDropsAPendingKnobMessage_data()
{
    QTest::addColumn<bool>("defaults");
    QTest::newRow("Ctrl+Shift+Z on the main window") << true;
    QTest::newRow("a preset load") << false;
}

void TestEditing::writeAtOnceDropsAPendingKnobMessage()
{
    QFETCH(bool, defaults);
    EditorFixture f;
    Values start = stateA();
    start[PedalModel::InputLevel] = 0;
    linkWith(f, start);
    FXsettings& fx = f.fx();
    // The knob's message waits for the pacing...
    fx.ui->dialInputLevel->setAngle(-45);
    QVERIFY(f.session().pacedWriter().Timer1.isActive());
    Values preset = start;
    preset[PedalModel::InputLevel] = level(300);
    // ...when the same parameter is written at once.
    if (defaults) {
        QTest::keyClick(&f.main(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    } else {
        const QString path = f.filesPath(QStringLiteral("Preset/p.txt"));
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileBytes(preset));
        file.close();
        f.dialogs.chooseFile(path);
        f.main().ui->menuLoadPreset->trigger();
    }
    const uint32_t atOnce = defaults ? 0x00800000u : level(DialMath::dialToLevel(DialMath::valueToDialAngle(level(300))));
    QCOMPARE(f.pedal().model().values[PedalModel::InputLevel], atOnce);
    settle(f);
    QTest::qWait(150);
    QCOMPARE(f.pedal().model().values[PedalModel::InputLevel], atOnce);
}

void TestEditing::defaultsLeaveTheUsersSwitchesAlone()
{
    EditorFixture f;
    linkWith(f, stateA()); // Wave off, Split on
    FXsettings& fx = f.fx();
    fx.ui->swtWave->setOn(true);
    fx.ui->swtSplit->setOn(false);
    const int mark = f.writeMark();
    QTest::keyClick(&f.main(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    settle(f);
    // The defaults touch the assignable values only.
    QVERIFY(fx.ui->swtWave->isOn());
    QVERIFY(!fx.ui->swtSplit->isOn());
    for (const QByteArray& w : f.writesSince(mark)) {
        QVERIFY(w.mid(1, 2) != parameterWrite(f.session().parameters().wave.address, 0).mid(1, 2));
        QVERIFY(w.mid(1, 2) != parameterWrite(f.session().parameters().split.address, 0).mid(1, 2));
    }
    QCOMPARE(f.pedal().model().values[PedalModel::Wave], 0x00400000u);
    QCOMPARE(f.pedal().model().values[PedalModel::Split], 0u);
    QCOMPARE(fx.menuUndo->text(), QStringLiteral("Undo Assignable Defaults"));
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
