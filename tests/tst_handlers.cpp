// The handlers without a window, on the virtual pedal: each operation the
// user starts runs with no view given and says how it ended, and the session's
// mode keeps what a handler would send from a pedal that cannot take it.

#include "HandlerRig.h"
#include "PedalStates.h"

#include "editor/EffectView.h"
#include "presets/BackupFiles.h"
#include "presets/PresetFile.h"
#include "presets/StoreMessage.h"

#include <QDir>
#include <QFile>
#include <QtTest>

Q_DECLARE_METATYPE(Outcome)

namespace {
// The effect window as the handlers see it: values to keep, and the presets
// that were put on its controls.
class EffectValues final : public EffectView {
public:
    bool isEffectWindowShown() const override { return false; }
    void showEffectWindow(const QString&) override {}
    void closeEffectWindow() override {}
    void getFootswitchMode(const PedalStatus&) override {}
    void getTuning(const PedalStatus&) override {}
    void getControlAssignments(const PedalStatus&) override {}
    void getBypassStatus(const PedalStatus&) override {}
    void getParameterValues(const PedalStatus&) override {}
    bool valuesToKeep(std::array<uint32_t, kParameterCount>& out) const override
    {
        out = held;
        return true;
    }
    void forgetPedalValues() override {}
    void loadPresetValues(const std::array<uint32_t, kParameterCount>& values) override { loaded.append(values); }
    void showParameterValues(bool) override {}

    std::array<uint32_t, kParameterCount> held{};
    QList<std::array<uint32_t, kParameterCount>> loaded;
};
} // namespace

class TestHandlers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linkAndStatusSayHowTheyEnded_data();
    void linkAndStatusSayHowTheyEnded();
    void presetsGoBothWays();
    void saveParametersStoresWhatThePedalHolds();
    void settingsAreRefusedInTheBootloader();
};

void TestHandlers::linkAndStatusSayHowTheyEnded_data()
{
    QTest::addColumn<QString>("pedalState");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<SessionMode>("mode");
    QTest::newRow("answering") << "sound" << Outcome::Done << SessionMode::Linked;
    QTest::newRow("unplugged") << "unplugged" << Outcome::NoPedal << SessionMode::Unlinked;
    QTest::newRow("silent") << "silent" << Outcome::NoAnswer << SessionMode::Linked;
    QTest::newRow("garbled reply") << "garbled" << Outcome::NoAnswer << SessionMode::Linked;
    QTest::newRow("firmware too old") << "firmware 16" << Outcome::Refused << SessionMode::FirmwareTooOld;
    QTest::newRow("algorithm too old") << "algorithm 14" << Outcome::Refused << SessionMode::AlgorithmTooOld;
}

void TestHandlers::linkAndStatusSayHowTheyEnded()
{
    QFETCH(QString, pedalState);
    QFETCH(Outcome, outcome);
    QFETCH(SessionMode, mode);
    HandlerRig rig;
    if (pedalState == QLatin1String("unplugged"))
        rig.pedal.unplug();
    else if (pedalState == QLatin1String("silent"))
        rig.pedal.setSilent(true);
    else if (pedalState == QLatin1String("garbled"))
        rig.pedal.setGarbledReply(true);
    else if (pedalState == QLatin1String("firmware 16"))
        rig.pedal.setFirmwareVersion(16);
    else if (pedalState == QLatin1String("algorithm 14"))
        QVERIFY(rig.pedal.setAlgorithmVersion(14));
    rig.start();

    QCOMPARE(rig.comm.scanAndLink(), outcome);
    QCOMPARE(rig.session.mode(), mode);
    // The user was told as in the windows, by the dialogs alone.
    QCOMPARE(rig.dialogs.informationTexts().isEmpty(), outcome == Outcome::Done);
    if (outcome == Outcome::Done) {
        QCOMPARE(rig.session.parameters().values(), rig.pedal.model().values);
        QCOMPARE(rig.catalogue.selectedEffectName(), QStringLiteral("Quarnel MK3 0015"));
    }
}

void TestHandlers::presetsGoBothWays()
{
    HandlerRig rig;
    rig.pedal.model().values = PedalStates::stateA();
    rig.start();
    QCOMPARE(rig.comm.scanAndLink(), Outcome::Done);

    // Saved without a window: the pedal's values as it reported them.
    const QString path = QDir(rig.documents.path()).filePath(QStringLiteral("a.txt"));
    rig.dialogs.chooseFile(path);
    QCOMPARE(rig.presets.menuSavePresetClick(), Outcome::Done);
    const PresetFile::Parsed saved = PresetFile::read(path);
    QVERIFY(saved.ok);
    QVERIFY(std::equal(saved.values.begin(), saved.values.end(), PedalStates::stateA().begin()));

    // Loaded: the values go to the effect window, whose controls send them,
    // after a backup of what it held.
    EffectValues view;
    view.held = PedalStates::stateA();
    rig.presets.setEffectView(&view);
    rig.backups.setEffectView(&view);
    QFile other(QDir(rig.documents.path()).filePath(QStringLiteral("b.txt")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write(PedalStates::fileBytes(PedalStates::stateB()));
    other.close();
    QCOMPARE(rig.presets.loadPresetFile(other.fileName()), Outcome::Done);
    QCOMPARE(view.loaded, QList<PedalStates::Values>{PedalStates::stateB()});
    const QStringList copies = BackupFiles::copies(rig.backups.folder());
    QCOMPARE(copies.size(), 1);
    const PresetFile::Parsed kept = PresetFile::read(copies.first());
    QVERIFY(std::equal(kept.values.begin(), kept.values.end(), PedalStates::stateA().begin()));

    // A file that is no preset changes nothing.
    QFile bad(QDir(rig.documents.path()).filePath(QStringLiteral("bad.txt")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a preset");
    bad.close();
    QCOMPARE(rig.presets.loadPresetFile(bad.fileName()), Outcome::Refused);
    QCOMPARE(view.loaded.size(), 1);
    QCOMPARE(BackupFiles::copies(rig.backups.folder()).size(), 1);
}

void TestHandlers::saveParametersStoresWhatThePedalHolds()
{
    HandlerRig rig;
    rig.pedal.model().values = PedalStates::stateA();
    rig.start();
    QCOMPARE(rig.comm.scanAndLink(), Outcome::Done);

    rig.dialogs.answerNo();
    int mark = rig.writeMark();
    QCOMPARE(rig.saveParameters.btnSaveParametersClick(), Outcome::Cancelled);
    QCOMPARE(rig.writesSince(mark), QList<QByteArray>{QByteArray::fromHex("0200")}); // the request only

    mark = rig.writeMark();
    QCOMPARE(rig.saveParameters.btnSaveParametersClick(), Outcome::Done);
    const QList<QByteArray> sent = rig.writesSince(mark);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.last().size(), StoreMessage::kBytes);
    QCOMPARE(rig.pedal.model().storedAssignable.at(0), PedalStates::stateA().at(PedalModel::InputLevel));
}

void TestHandlers::settingsAreRefusedInTheBootloader()
{
    HandlerRig rig;
    rig.pedal.setShiftHeld(true);
    rig.pedal.powerCycle();
    rig.start();
    QCOMPARE(rig.firmware.setUpgradeMode(true), Outcome::Done); // unlinked: the link greets the bootloader
    QCOMPARE(rig.comm.scanAndLink(), Outcome::Done);
    QCOMPARE(rig.session.mode(), SessionMode::BootloaderIdle);

    const int mark = rig.writeMark();
    rig.log.clear();
    QCOMPARE(rig.deviceSettings.menuStoreBypassStatusClick(), Outcome::Refused);
    QCOMPARE(rig.instrumentRange.menuRangeLimitONClick(), Outcome::Refused);
    QCOMPARE(rig.consoleTools.btnSendClick(QStringLiteral("0012"), QStringLiteral("00800000")), Outcome::Refused);
    QCOMPARE(rig.maintenance.ReadEEPROM(QStringLiteral("50")), Outcome::Refused);
    QCOMPARE(rig.tunings.menuUploadTuningsDataClick(), Outcome::Refused);
    QCOMPARE(rig.comm.requestStatus(), Outcome::Refused);
    QVERIFY(rig.writesSince(mark).isEmpty());
    QCOMPARE(rig.log.lines.filter(QStringLiteral("not sent while bootloader: ")).size(), 6);
}

QTEST_GUILESS_MAIN(TestHandlers)
#include "tst_handlers.moc"
