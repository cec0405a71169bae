// Purges and line settings as the pedal sees them, beside each message: a
// purge that goes missing, or one that appears where none belongs, shows here
// and nowhere else.

#include "EditorFixture.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/ConsoleToolsHandler.h"
#include "console/PrintConsole.h"
#include "editor/FXsettings.h"
#include "firmware/FirmwareHandler.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/DeviceSettingsHandler.h"
#include "tracking/InstrumentRangeHandler.h"
#include "tracking/NoteTrackingFilter.h"
#include "ui_FormMain.h"
#include "ui_NoteTrackingFilter.h"
#include "ui_PrintConsole.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

namespace {
enum Action {
    Request,
    SaveToPedal,
    SetTuning,
    NoteCut,
    TuningData,
    EraseMemory,
    ReadMemory,
    RawParameter,
    Assign,
    Footswitch,
    MidiChannel,
    StoreBypass,
    FirstPreset,
    Bypass,
    Instrument,
};

// Writes shortened to their first byte: the purges are the point here, the
// content of each message has tests of its own.
QStringList shortTrace(const VirtualPedal& pedal, int fromMark)
{
    QStringList trace = pedal.wireTrace(fromMark);
    for (QString& word : trace)
        if (word.startsWith(QLatin1String("write ")))
            word.truncate(8);
    return trace;
}

const QStringList kStatusExchange = {QStringLiteral("purge TX"), QStringLiteral("write 02"),
                                     QStringLiteral("purge TX"), QStringLiteral("purge RX")};
} // namespace

class TestWireTrace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linkSetsTheLineThenAsks();
    void purgesBesideEachMessage_data();
    void purgesBesideEachMessage();
    void bootloaderLinkSwitchesToEvenParity();
};

void TestWireTrace::linkSetsTheLineThenAsks()
{
    EditorFixture fx;
    fx.startLinked();
    QCOMPARE(shortTrace(fx.pedal(), 0),
             QStringList({QStringLiteral("baud 115200"), QStringLiteral("line 8N1")}) + kStatusExchange);
    // The status request purges right before its write, and once the
    // pedal's reply is in (it reads as soon as bytes come, without a fixed
    // pause): the line events carry the clock's time.
    const auto& events = fx.pedal().lineEvents();
    QCOMPARE(events.at(2).ms, fx.pedal().writes().first().ms);
    QVERIFY(events.at(3).ms >= events.at(2).ms);
}

void TestWireTrace::purgesBesideEachMessage_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QStringList>("trace");
    const QString purgeTx = QStringLiteral("purge TX");
    auto w = [](const char* first) { return QStringLiteral("write ") + QLatin1String(first); };

    // The messages that empty the transmit queue before they go.
    QTest::newRow("02 status request") << int(Request) << kStatusExchange;
    QTest::newRow("03 save parameters") << int(SaveToPedal)
                                        << kStatusExchange + QStringList{purgeTx, w("03")};
    QTest::newRow("09 tuning") << int(SetTuning) << QStringList{purgeTx, w("09")};
    QTest::newRow("09 note cut") << int(NoteCut) << QStringList{purgeTx, w("09")};
    QTest::newRow("0E tuning data") << int(TuningData) << QStringList{w("0D"), purgeTx, w("0E")};
    QTest::newRow("0B memory erase") << int(EraseMemory) << QStringList{purgeTx, w("0B")};

    // And those that do not.
    QTest::newRow("0C memory read") << int(ReadMemory) << QStringList{w("0C")};
    QTest::newRow("01 raw parameter") << int(RawParameter) << QStringList{w("01")};
    QTest::newRow("04 assignments") << int(Assign) << QStringList{w("04")};
    QTest::newRow("08 footswitch") << int(Footswitch) << QStringList{w("08")};
    QTest::newRow("07 MIDI channel") << int(MidiChannel) << QStringList{w("07")};
    QTest::newRow("10 store bypass") << int(StoreBypass) << QStringList{w("10")};
    QTest::newRow("11 first preset") << int(FirstPreset) << QStringList{w("11")};
    QTest::newRow("0D bypass") << int(Bypass) << QStringList{w("0D")};
    QTest::newRow("0F instrument") << int(Instrument) << QStringList{w("0F")};
}

void TestWireTrace::purgesBesideEachMessage()
{
    QFETCH(int, action);
    QFETCH(QStringList, trace);
    EditorFixture fx;
    fx.startLinked();
    Editor& e = fx.editor();
    fx.dialogs.answerYes();
    const int mark = fx.pedal().traceMark();
    switch (Action(action)) {
    case Request:
        fx.main().ui->btnRequest->click();
        break;
    case SaveToPedal:
        fx.main().ui->btnSaveParameters->click();
        break;
    case SetTuning:
        fx.main().ui->btnSetTuning->click();
        break;
    case NoteCut:
        e.formNoteTrackingFilter->ui->btnSave->click();
        break;
    case TuningData:
        fx.main().ui->menuUploadTuningsData->trigger();
        break;
    case EraseMemory:
        fx.console().ui->btnEraseEeprom->click();
        break;
    case ReadMemory:
        fx.console().ui->btnReadEEPROM->click();
        break;
    case RawParameter:
        fx.console().ui->edtAddress->setText(QStringLiteral("0012"));
        fx.console().ui->edtData->setText(QStringLiteral("00800000"));
        fx.console().ui->btnSend->click();
        break;
    case Assign:
        fx.fx().btnAssignClick();
        break;
    case Footswitch:
        fx.fx().btnSetFootswitchModeClick();
        break;
    case MidiChannel:
        e.deviceSettings->menuMIDIchannelsClickItem(3);
        break;
    case StoreBypass:
        e.deviceSettings->menuStoreBypassStatusClick();
        break;
    case FirstPreset:
        e.deviceSettings->menuLoadFirstPresetAtStartupClick(fx.main().ui->menuLoadFirstPresetAtStartup->isChecked());
        break;
    case Bypass:
        fx.session().sendBypass(true);
        break;
    case Instrument:
        e.instrumentRange->menuLowClick();
        break;
    }
    QCOMPARE(shortTrace(fx.pedal(), mark), trace);
}

void TestWireTrace::bootloaderLinkSwitchesToEvenParity()
{
    EditorFixture fx;
    fx.start();
    fx.pedal().setShiftHeld(true);
    fx.pedal().powerCycle();
    fx.editor().firmware->setPowerUpEntry(true); // as the hidden check box: the status request still follows
    fx.dialogs.answerYes();
    fx.comm().scanAndLink();
    // The greeting in the bootloader's settings. The status request that
    // every other link makes does not follow: the bootloader would read it as
    // a command.
    QCOMPARE(shortTrace(fx.pedal(), 0), (QStringList{QStringLiteral("baud 115200"), QStringLiteral("line 8N1"),
                                                     QStringLiteral("line 8E1"), QStringLiteral("write 7F"),
                                                     QStringLiteral("purge RX")}));
    QVERIFY(fx.log().contains(QStringLiteral("not sent while bootloader: status request")));
}

QTEST_MAIN(TestWireTrace)
#include "tst_wiretrace.moc"
