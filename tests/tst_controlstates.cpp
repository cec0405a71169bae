// Putting values on the effect window's controls: what the window sends when a
// preset is loaded is what ControlStates says it sends, write for write, so a
// client without the window sends the pedal the same messages.

#include "EditorFixture.h"
#include "PedalStates.h"

#include "app/FormMain.h"
#include "editor/ControlStates.h"
#include "editor/FXsettings.h"
#include "editor/Messages.h"
#include "session/PedalSession.h"
#include "virtualpedal/VirtualPedal.h"
#include "ui_FormMain.h"

#include <QtTest>

using PedalStates::Values;

class TestControlStates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aLoadedPresetSendsWhatTheControlsSay_data();
    void aLoadedPresetSendsWhatTheControlsSay();
};

void TestControlStates::aLoadedPresetSendsWhatTheControlsSay_data()
{
    QTest::addColumn<Values>("from");
    QTest::addColumn<Values>("to");
    QTest::addColumn<int>("tuning");
    QTest::newRow("A to B") << PedalStates::stateA() << PedalStates::stateB() << 1;
    QTest::newRow("B to A") << PedalStates::stateB() << PedalStates::stateA() << 1;
    QTest::newRow("A to B without a tuning") << PedalStates::stateA() << PedalStates::stateB() << 0;
    QTest::newRow("B to A without a tuning") << PedalStates::stateB() << PedalStates::stateA() << 0;
    QTest::newRow("A to A") << PedalStates::stateA() << PedalStates::stateA() << 1;
    // Values no control shows as they are: the knobs' arithmetic wraps, the
    // lists and switches keep what they show.
    Values top;
    top.fill(0xFFFFFFFFu);
    Values odd;
    for (size_t k = 0; k < odd.size(); ++k)
        odd[k] = 0x00123457u * uint32_t(k + 1);
    QTest::newRow("A to all ones") << PedalStates::stateA() << top << 1;
    QTest::newRow("B to odd values") << PedalStates::stateB() << odd << 1;
}

void TestControlStates::aLoadedPresetSendsWhatTheControlsSay()
{
    QFETCH(Values, from);
    QFETCH(Values, to);
    QFETCH(int, tuning);
    EditorFixture fx;
    fx.pedal().model().values = from;
    fx.pedal().model().tuning = static_cast<uint8_t>(tuning);
    fx.startLinked();

    const QString path = fx.filesPath(QStringLiteral("Preset/to.txt"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(PedalStates::fileBytes(to));
    file.close();

    // What the controls show after the pedal's values were put on them.
    ControlStates::States shown{};
    ControlStates::show(shown, from);
    int refused = 0;
    const QList<ControlStates::Write> expected = ControlStates::put(shown, to, tuning != 0, &refused);

    const int mark = fx.writeMark();
    fx.dialogs.clear();
    fx.dialogs.chooseFile(path);
    fx.main().ui->menuLoadPreset->trigger();

    QList<QByteArray> wanted;
    for (const ControlStates::Write& w : expected)
        wanted << QByteArray::fromHex(Messages::writeParameter(fx.session().parameters().address(w.id), w.value).toLatin1());
    QCOMPARE(fx.writesSince(mark), wanted);
    // The controls show the states the writes came from: the next load starts there.
    QCOMPARE(fx.session().controlStates(), shown);
    QCOMPARE(fx.dialogs.informationTexts().filter(QStringLiteral("Set a tuning")).size(), refused);
}

QTEST_MAIN(TestControlStates)
#include "tst_controlstates.moc"
