// The Settings menu's pedal-wide settings, the instrument range and the range
// limit: what each choice sends, and what the status reply shows of them.

#include "EditorFixture.h"
#include "NamedPipe.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "status/Communication.h"
#include "status/DeviceSettingsHandler.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

namespace {
QByteArray bytes(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

// Which items of a setting carry a check mark, as one word.
QString shownState(EditorFixture& fx, const QString& field)
{
    Ui::formMain& ui = *fx.main().ui;
    if (field == QLatin1String("bypass")) {
        const bool store = ui.menuStoreBypassStatus->isChecked();
        const bool notStore = ui.menuDoNotStoreBypassStatus->isChecked();
        return store == notStore ? QStringLiteral("both or none") : store ? QStringLiteral("store") : QStringLiteral("do not");
    }
    if (field == QLatin1String("midi")) {
        QStringList checked;
        for (QAction* a : fx.main().midiChannelItems())
            if (a->isChecked())
                checked << a->text();
        return checked.isEmpty() ? QStringLiteral("none") : checked.join(QLatin1Char(','));
    }
    if (field == QLatin1String("power"))
        return ui.menuLoadFirstPresetAtStartup->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    const bool standard = ui.menuStandard->isChecked();
    const bool low = ui.menuLow->isChecked();
    return standard == low ? QStringLiteral("none") : standard ? QStringLiteral("standard") : QStringLiteral("low");
}

void setReplyByte(EditorFixture& fx, const QString& field, int byte)
{
    PedalModel& m = fx.pedal().model();
    const auto b = static_cast<uint8_t>(byte);
    if (field == QLatin1String("bypass"))
        m.storeBypass = b;
    else if (field == QLatin1String("midi"))
        m.midiChannel = b;
    else if (field == QLatin1String("power"))
        m.powerOnPreset = b;
    else
        m.instrumentRange = b;
}

const QStringList kDecoderLogPrefixes = {QStringLiteral("Store Bypass Status: "), QStringLiteral("MIDI channel: "),
                                         QStringLiteral("Load preset at power ON: ")};
} // namespace

class TestDeviceSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void designState();
    void midiChannel_data();
    void midiChannel();
    void storeBypassStatus();
    void loadFirstPresetToggles();
    void decoders_data();
    void decoders();
    void instrumentRange_data();
    void instrumentRange();
    void instrumentFileCannotBeWritten_data();
    void instrumentFileCannotBeWritten();
    void rangeLimit();
};

void TestDeviceSettings::designState()
{
    EditorFixture fx;
    fx.start();
    const QList<QAction*>& items = fx.main().midiChannelItems();
    QCOMPARE(items.size(), 17);
    QCOMPARE(items.first()->text(), QStringLiteral("OMNI"));
    QCOMPARE(items.at(10)->text(), QStringLiteral("10"));
    QCOMPARE(items.last()->text(), QStringLiteral("16"));
    QCOMPARE(fx.main().ui->menuMIDIchannel->actions(), items);
    QCOMPARE(shownState(fx, QStringLiteral("bypass")), QStringLiteral("do not"));
    QCOMPARE(shownState(fx, QStringLiteral("midi")), QStringLiteral("none"));
    QCOMPARE(shownState(fx, QStringLiteral("power")), QStringLiteral("off"));
    QCOMPARE(shownState(fx, QStringLiteral("instrument")), QStringLiteral("none"));
}

void TestDeviceSettings::midiChannel_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("OMNI") << 0 << "0700" << bytes("0700");
    QTest::newRow("1") << 1 << "0701" << bytes("0701");
    QTest::newRow("9") << 9 << "0709" << bytes("0709");
    QTest::newRow("10") << 10 << "070A" << bytes("070A");
    QTest::newRow("12") << 12 << "070C" << bytes("070C");
    QTest::newRow("16") << 16 << "0710" << bytes("0710");
}

void TestDeviceSettings::midiChannel()
{
    QFETCH(int, item);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    EditorFixture fx;
    fx.pedal().model().midiChannel = 3;
    fx.startLinked();
    QCOMPARE(shownState(fx, QStringLiteral("midi")), QStringLiteral("3"));
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    fx.main().midiChannelItems().at(item)->trigger();
    QCOMPARE(fx.logSince(mark), (QStringList{QStringLiteral("Midi channel: ")
                                                 + fx.main().midiChannelItems().at(item)->text(),
                                             text}));
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>{sent});
    QCOMPARE(fx.pedal().model().midiChannel, uint8_t(item));
    // The mark moves only with the pedal's next reply.
    QCOMPARE(shownState(fx, QStringLiteral("midi")), QStringLiteral("3"));
    QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
    QCOMPARE(shownState(fx, QStringLiteral("midi")), item == 0 ? QStringLiteral("OMNI") : QString::number(item));
}

void TestDeviceSettings::storeBypassStatus()
{
    EditorFixture fx;
    fx.startLinked();
    int writes = fx.writeMark();
    fx.main().ui->menuStoreBypassStatus->trigger();
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>{bytes("1001")});
    QCOMPARE(fx.log().last(), QStringLiteral("1001"));
    QCOMPARE(shownState(fx, QStringLiteral("bypass")), QStringLiteral("store"));
    QCOMPARE(fx.pedal().model().storeBypass, uint8_t(1));
    fx.main().ui->menuStoreBypassStatus->trigger(); // a second click keeps it checked
    QCOMPARE(shownState(fx, QStringLiteral("bypass")), QStringLiteral("store"));

    writes = fx.writeMark();
    fx.main().ui->menuDoNotStoreBypassStatus->trigger();
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>{bytes("10FF")});
    QCOMPARE(shownState(fx, QStringLiteral("bypass")), QStringLiteral("do not"));
    QCOMPARE(fx.pedal().model().storeBypass, uint8_t(0));
}

void TestDeviceSettings::loadFirstPresetToggles()
{
    EditorFixture fx;
    fx.startLinked();
    QCOMPARE(shownState(fx, QStringLiteral("power")), QStringLiteral("off"));
    const int writes = fx.writeMark();
    fx.main().ui->menuLoadFirstPresetAtStartup->trigger();
    QCOMPARE(shownState(fx, QStringLiteral("power")), QStringLiteral("on"));
    QCOMPARE(fx.pedal().model().powerOnPreset, uint8_t(1));
    fx.main().ui->menuLoadFirstPresetAtStartup->trigger();
    QCOMPARE(shownState(fx, QStringLiteral("power")), QStringLiteral("off"));
    QCOMPARE(fx.writesSince(writes), (QList<QByteArray>{bytes("1101"), bytes("11FF")}));
    QCOMPARE(fx.log().mid(fx.log().size() - 1), QStringList{QStringLiteral("11FF")});
    QCOMPARE(fx.pedal().model().powerOnPreset, uint8_t(255));
}

void TestDeviceSettings::decoders_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("before"); // the byte of a first reply
    QTest::addColumn<int>("byte");   // the byte of the reply under test
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("logLine"); // empty: the field logs nothing

    QTest::newRow("23: 0") << "bypass" << 1 << 0 << "do not" << "Store Bypass Status: OFF";
    QTest::newRow("23: 1") << "bypass" << 0 << 1 << "store" << "Store Bypass Status: ON";
    QTest::newRow("23: FF leaves it") << "bypass" << 1 << 255 << "store" << "";
    QTest::newRow("23: 2 leaves it") << "bypass" << 0 << 2 << "do not" << "";
    QTest::newRow("25: 0") << "midi" << 3 << 0 << "OMNI" << "MIDI channel: OMNI";
    QTest::newRow("25: 255") << "midi" << 3 << 255 << "OMNI" << "MIDI channel: OMNI";
    QTest::newRow("25: 1") << "midi" << 0 << 1 << "1" << "MIDI channel: 1";
    QTest::newRow("25: 16") << "midi" << 0 << 16 << "16" << "MIDI channel: 16";
    QTest::newRow("25: 17 unchecks all") << "midi" << 5 << 17 << "none" << "";
    QTest::newRow("25: 254 unchecks all") << "midi" << 5 << 254 << "none" << "";
    QTest::newRow("106: 1") << "power" << 255 << 1 << "on" << "Load preset at power ON: TRUE";
    QTest::newRow("106: 255") << "power" << 1 << 255 << "off" << "Load preset at power ON: FALSE";
    QTest::newRow("106: 0 leaves it") << "power" << 1 << 0 << "on" << "";
    QTest::newRow("24: BA") << "instrument" << 255 << 186 << "low" << "";
    QTest::newRow("24: FF") << "instrument" << 186 << 255 << "standard" << "";
    QTest::newRow("24: 0 leaves it") << "instrument" << 186 << 0 << "low" << "";
}

void TestDeviceSettings::decoders()
{
    QFETCH(QString, field);
    QFETCH(int, before);
    QFETCH(int, byte);
    QFETCH(QString, shown);
    QFETCH(QString, logLine);
    EditorFixture fx;
    setReplyByte(fx, field, before);
    fx.startLinked();
    setReplyByte(fx, field, byte);
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
    QCOMPARE(shownState(fx, field), shown);

    const QStringList log = fx.logSince(mark);
    const QString prefix = field == QLatin1String("bypass") ? kDecoderLogPrefixes.at(0)
        : field == QLatin1String("midi")                    ? kDecoderLogPrefixes.at(1)
                                                            : kDecoderLogPrefixes.at(2);
    if (field != QLatin1String("instrument"))
        QCOMPARE(log.filter(prefix), logLine.isEmpty() ? QStringList() : QStringList{logLine});
    // Showing the pedal's settings sends nothing back and writes no file.
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>{bytes("0200")});
    QVERIFY(!QFileInfo::exists(fx.filesPath(QStringLiteral("Instrument.txt"))));
}

void TestDeviceSettings::instrumentRange_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("checksum");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("alreadyChecked"); // the pedal holds the chosen range already
    QTest::newRow("Low, Yes") << "low" << true << "B3" << bytes("0FBA0203040506B3") << "LOW" << false;
    QTest::newRow("Standard, Yes") << "standard" << true << "F1" << bytes("0FFF0102030405F1") << "STANDARD" << false;
    QTest::newRow("Standard, No") << "standard" << false << "F1" << QByteArray() << "STANDARD" << false;
    QTest::newRow("Low, No") << "low" << false << "B3" << QByteArray() << "LOW" << false;
    // Choosing the checked item again repeats everything and keeps it checked.
    QTest::newRow("Low again, Yes") << "low" << true << "B3" << bytes("0FBA0203040506B3") << "LOW" << true;
    QTest::newRow("Standard again, No") << "standard" << false << "F1" << QByteArray() << "STANDARD" << true;
}

void TestDeviceSettings::instrumentRange()
{
    QFETCH(QString, item);
    QFETCH(bool, yes);
    QFETCH(QString, checksum);
    QFETCH(QByteArray, sent);
    QFETCH(QString, word);
    QFETCH(bool, alreadyChecked);
    EditorFixture fx;
    fx.pedal().model().instrumentRange = (item == QLatin1String("low")) == alreadyChecked ? 0xBA : 0xFF;
    fx.startLinked();
    QCOMPARE(shownState(fx, QStringLiteral("instrument")) == item, alreadyChecked);
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    const int pauses = int(fx.clock.pauses().size());
    yes ? fx.dialogs.answerYes() : fx.dialogs.answerNo();
    (item == QLatin1String("low") ? fx.main().ui->menuLow : fx.main().ui->menuStandard)->trigger();

    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("Change current Instrument?")});
    QStringList expectedLog{QStringLiteral("checksum byte: ") + checksum};
    if (yes)
        expectedLog << QString::fromLatin1(sent.toHex().toUpper());
    QCOMPARE(fx.logSince(mark), expectedLog);
    QCOMPARE(fx.writesSince(writes), sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{sent});
    // The choice is kept in the menu and the file also when the pedal is not told.
    QCOMPARE(shownState(fx, QStringLiteral("instrument")), item);
    QCOMPARE(readText(fx.filesPath(QStringLiteral("Instrument.txt"))), word);
    QCOMPARE(fx.pedal().model().badInstrumentChecksums, 0);
    if (yes)
        QCOMPARE(fx.pedal().model().instrumentRange, uint8_t(sent.at(1)));
    QCOMPARE(int(fx.clock.pauses().size()), pauses); // no pause after the message
}

void TestDeviceSettings::instrumentFileCannotBeWritten_data()
{
    QTest::addColumn<bool>("pipe");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder in the way") << false << "is a folder";
    QTest::newRow("a named pipe in the way") << true << "is not a regular file"; // would wait for a reader
}

void TestDeviceSettings::instrumentFileCannotBeWritten()
{
    QFETCH(bool, pipe);
    QFETCH(QString, reason);
    EditorFixture fx;
    fx.startLinked();
    const QString path = fx.filesPath(QStringLiteral("Instrument.txt"));
    std::unique_ptr<NamedPipe> namedPipe;
    if (pipe) {
        namedPipe = std::make_unique<NamedPipe>(path);
        if (!namedPipe->made())
            QSKIP("no named pipes here");
    } else {
        QVERIFY(QDir().mkpath(path));
    }
    const int writes = fx.writeMark();
    fx.main().ui->menuLow->trigger();
    QCOMPARE(fx.dialogs.questions(), QStringList());
    QCOMPARE(fx.dialogs.informationTexts().size(), 1);
    const QString shown = fx.dialogs.informationTexts().first();
    QVERIFY2(shown.contains(QStringLiteral("Instrument.txt")) && shown.contains(reason), qPrintable(shown));
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QCOMPARE(shownState(fx, QStringLiteral("instrument")), QStringLiteral("low"));
}

void TestDeviceSettings::rangeLimit()
{
    EditorFixture fx;
    fx.startLinked();
    QVERIFY(!fx.main().ui->menuRangeLimit->menuAction()->isVisible());
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    fx.main().menuRangeLimitONClick();
    QVERIFY(fx.main().ui->menuRangeLimitON->isChecked());
    QVERIFY(!fx.main().ui->menuRangeLimitOFF->isChecked());
    fx.main().menuRangeLimitOFFClick();
    QVERIFY(!fx.main().ui->menuRangeLimitON->isChecked());
    QVERIFY(fx.main().ui->menuRangeLimitOFF->isChecked());
    QCOMPARE(fx.writesSince(writes), (QList<QByteArray>{bytes("1101"), bytes("11FF")}));
    QCOMPARE(fx.logSince(mark), (QStringList{QStringLiteral("********************RANGE LIMIT ON********************"),
                                             QStringLiteral("1101"),
                                             QStringLiteral("********************RANGE LIMIT OFF********************"),
                                             QStringLiteral("11FF")}));
    QVERIFY(fx.dialogs.questions().isEmpty());
}

QTEST_MAIN(TestDeviceSettings)
#include "tst_devicesettings.moc"
