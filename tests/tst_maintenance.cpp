// Erasing and checking the pedal's settings memory, and the console's tools,
// end to end on the virtual pedal through the real windows.

#include "EditorFixture.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/ConsoleToolsHandler.h"
#include "console/FilterCalculator.h"
#include "console/MaintenanceHandler.h"
#include "console/MemoryDump.h"
#include "console/PrintConsole.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "link/Transport.h"
#include "ui_FormMain.h"
#include "ui_PrintConsole.h"
#include "virtualpedal/VirtualPedal.h"

#include <QGuiApplication>
#include <QtTest>

namespace {
const QString kEraseQuestion = QStringLiteral(
    "Are you sure you want to delete all settings?\r\n"
    "This action will delete the Quarnel MK3 algorithm and any other settings like presets and assignments\r\n"
    "Erase settings is suggested in the following cases:\r\n"
    "- the pedal is unresponsive/freezed after updates\r\n"
    "- you want to switch to the Pexalo MultiEfx\r\n"
    "If you proceed with erasing you can always restore algorithm by:\r\n"
    "- uploading the Quarnel MK3 algorithm once again from \"Upload Selected\" button\r\n"
    "- click Request\r\n"
    "- set tuning and assignments as desired\r\n"
    "- click Save Parameters, Set Tuning, Assign");
const QString kCheckQuestion = QStringLiteral("Memory has been erased, do you want to make a memory check now?");

QByteArray bytes(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray erasedDump()
{
    return QByteArray(1, char(0xAB)) + QByteArray(MemoryDump::kMemorySize, char(0xFF));
}

// A linked editor with the pedal's memories written, so an erase shows.
struct Linked {
    Linked()
    {
        fx.pedal().model().memory50.fill(char(0x5A));
        fx.pedal().model().memory51.fill(char(0x3C));
        fx.startLinked();
        fx.clock.clearPauses();
        fx.dialogs.clear();
        logMark = fx.logMark();
        writeMark = fx.writeMark();
    }
    MaintenanceHandler& maintenance() { return *fx.editor().maintenance; }
    Ui::formPrint& console() { return *fx.console().ui; }
    QStringList log() const { return fx.logSince(logMark); }
    QList<QByteArray> writes() const { return fx.writesSince(writeMark); }
    QStringList dumpLines() const
    {
        QStringList out;
        for (const QString& l : log())
            if (QRegularExpression(QStringLiteral("^\\d+: [0-9A-F]{2}$")).match(l).hasMatch())
                out << l;
        return out;
    }
    void unasked(const QByteArray& b)
    {
        fx.pedal().sendUnasked(b);
        fx.clock.advance(50);
        fx.session().pollUnsolicited();
    }

    EditorFixture fx;
    int logMark = 0;
    int writeMark = 0;
};
} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void eraseSettingsThenCheck();
    void noSendsNothing_data();
    void noSendsNothing();
    void consoleUsesTheChosenAddress();
    void aMemoryWithOneByteSetIsNotEmpty();
    void aDumpOverSeveralTicksIsJudgedWhole();
    void aDumpInThreePartsIsJudgedOnce();
    void aDumpCutShortIsReportedIncomplete();
    void restOfTheDumpStillQueuedIsWaitedFor();
    void aNewReadGivesUpTheOldPartialDump();
    void aWholeDumpAfterACutOneIsJudgedOnItsOwn_data();
    void aWholeDumpAfterACutOneIsJudgedOnItsOwn();
    void consoleStartsWithItsToolsPrepared();
    void rawSenderSendsOnlyAParameterMessage_data();
    void rawSenderSendsOnlyAParameterMessage();
    void calculatorBeforeAnyEditUsesTheStoredValues();
    void calculatorThroughTheEdits();
    void editsReadTheUsersLocale_data();
    void editsReadTheUsersLocale();
    void typingANegativeNumberRaisesNoComplaint();
    void editThatIsNoNumberKeepsTheValue();
    void settingsWithoutAUsableTablePrintNothing_data();
    void settingsWithoutAUsableTablePrintNothing();
};

void TestMaintenance::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestMaintenance::eraseSettingsThenCheck()
{
    Linked t;
    t.fx.dialogs.answerYes();
    t.fx.dialogs.answerYes();
    QVERIFY(t.fx.main().ui->menuEraseSettings->isEnabled());
    t.fx.main().ui->menuEraseSettings->trigger();

    QCOMPARE(t.fx.dialogs.questions(), (QStringList{kEraseQuestion, kCheckQuestion}));
    QCOMPARE(t.writes(), (QList<QByteArray>{bytes("0B50000000"), bytes("0C5000000000")}));
    QCOMPARE(t.fx.clock.pauseLengths(), (QList<int>{100, 4000, 4000}));
    // The pedal's values are copied before the question.
    QVERIFY(t.log().value(0).startsWith(QStringLiteral("backup before Erase Settings saved: ")));
    QCOMPARE(t.log().mid(1), (QStringList{QStringLiteral("********************ERASE EEPROM 1********************"),
                                          QStringLiteral("erase message: 0B50000000"),
                                          QStringLiteral("Read message: 0C5000000000")}));
    QCOMPARE(t.fx.pedal().model().memory50, QByteArray(MemoryDump::kMemorySize, char(0xFF)));
    QCOMPARE(t.fx.pedal().model().memory51.at(0), char(0x3C)); // always 50, whatever the console shows
    QVERIFY(!QGuiApplication::overrideCursor());

    t.fx.session().pollUnsolicited();
    const QStringList log = t.log();
    QCOMPARE(log.size(), 1 + 3 + 1 + MemoryDump::kMemorySize);
    QCOMPARE(log.at(4), QStringLiteral("num of bytes read: 16385"));
    QCOMPARE(log.at(5), QStringLiteral("0: FF"));
    QCOMPARE(log.last(), QStringLiteral("16383: FF"));
    QCOMPARE(t.fx.dialogs.informationTexts(), QStringList{QStringLiteral("Memory is empty")});
}

void TestMaintenance::noSendsNothing_data()
{
    QTest::addColumn<bool>("fromConsole");
    QTest::addColumn<bool>("secondAnswer");
    QTest::addColumn<int>("writes");
    QTest::newRow("Erase Settings, No") << false << false << 0;
    QTest::newRow("Erase E2P, No") << true << false << 0;
    QTest::newRow("Erase Settings, Yes, then no check") << false << true << 1;
}

void TestMaintenance::noSendsNothing()
{
    QFETCH(bool, fromConsole);
    QFETCH(bool, secondAnswer);
    QFETCH(int, writes);
    Linked t;
    if (secondAnswer)
        t.fx.dialogs.answerYes();
    t.fx.dialogs.answerNo();
    if (fromConsole)
        t.console().btnEraseEeprom->click();
    else
        t.fx.main().ui->menuEraseSettings->trigger();
    QCOMPARE(t.writes().size(), writes);
    if (writes == 0) {
        // Only the copy of the pedal's values, made before the question.
        QCOMPARE(t.log().filter(QStringLiteral("backup before")).size(), fromConsole ? 0 : 1);
        QCOMPARE(t.log().size(), fromConsole ? 0 : 1);
        QVERIFY(t.fx.clock.pauses().isEmpty());
        QCOMPARE(t.fx.pedal().model().memory50.at(0), char(0x5A));
    } else {
        QCOMPARE(t.writes().constFirst(), bytes("0B50000000"));
        QCOMPARE(t.fx.clock.pauseLengths(), (QList<int>{100, 4000}));
    }
}

void TestMaintenance::consoleUsesTheChosenAddress()
{
    Linked t;
    t.console().cmbI2Caddr->setCurrentIndex(1);
    t.fx.dialogs.answerYes();
    t.console().btnEraseEeprom->click();
    QCOMPARE(t.fx.dialogs.questions(), QStringList{QStringLiteral("Erase EEPROM now?")});
    t.console().btnReadEEPROM->click();
    QCOMPARE(t.fx.dialogs.questions().size(), 1); // reading asks nothing

    QCOMPARE(t.writes(), (QList<QByteArray>{bytes("0B51000000"), bytes("0C5100000000")}));
    QCOMPARE(t.fx.clock.pauseLengths(), (QList<int>{100, 4000}));
    QCOMPARE(t.log(), (QStringList{QStringLiteral("erase message: 0B51000000"),
                                   QStringLiteral("Read message: 0C5100000000")}));
    QCOMPARE(t.fx.pedal().model().memory51, QByteArray(MemoryDump::kMemorySize, char(0xFF)));
    QCOMPARE(t.fx.pedal().model().memory50.at(0), char(0x5A));
    t.fx.session().pollUnsolicited();
    QCOMPARE(t.fx.dialogs.informationTexts(), QStringList{QStringLiteral("Memory is empty")});
}

void TestMaintenance::aMemoryWithOneByteSetIsNotEmpty()
{
    Linked t;
    t.fx.pedal().model().memory50.fill(char(0xFF));
    t.fx.pedal().model().memory50[MemoryDump::kMemorySize - 1] = char(0x00);
    t.console().btnReadEEPROM->click();
    t.fx.session().pollUnsolicited();
    QCOMPARE(t.log().last(), QStringLiteral("16383: 00"));
    QCOMPARE(t.dumpLines().size(), MemoryDump::kMemorySize);
    QCOMPARE(t.fx.dialogs.informationTexts(), QStringList{QStringLiteral("Memory is not empty")});
}

void TestMaintenance::aDumpOverSeveralTicksIsJudgedWhole()
{
    // The read message without its long pause: the dump comes over the wire
    // while the read timer ticks.
    Linked t;
    t.fx.pedal().model().memory50.fill(char(0xFF));
    t.fx.session().send(PedalOperation::SettingsMemory, QStringLiteral("0C5000000000"));
    int ticks = 0;
    while (t.fx.dialogs.informationTexts().isEmpty() && ticks < 100) {
        t.fx.clock.advance(50);
        t.fx.session().pollUnsolicited();
        ++ticks;
    }
    QCOMPARE(t.fx.dialogs.informationTexts(), QStringList{QStringLiteral("Memory is empty")});
    QVERIFY(t.log().filter(QStringLiteral("num of bytes read: ")).size() > 20);
    QCOMPARE(t.dumpLines().size(), MemoryDump::kMemorySize);
    QVERIFY(!t.maintenance().collectingDump());
}

void TestMaintenance::aDumpInThreePartsIsJudgedOnce()
{
    Linked t;
    const QByteArray dump = erasedDump();
    t.unasked(QByteArray("hello")); // stray bytes before it are only counted
    t.unasked(dump.left(5000));
    t.unasked(dump.mid(5000, 6000));
    QVERIFY(t.fx.dialogs.informationTexts().isEmpty());
    QVERIFY(t.dumpLines().isEmpty());
    t.unasked(dump.mid(11000));

    QCOMPARE(t.log().filter(QStringLiteral("num of bytes read: ")),
             (QStringList{QStringLiteral("num of bytes read: 5"), QStringLiteral("num of bytes read: 5000"),
                          QStringLiteral("num of bytes read: 6000"), QStringLiteral("num of bytes read: 5385")}));
    QCOMPARE(t.dumpLines().size(), MemoryDump::kMemorySize);
    QCOMPARE(t.dumpLines().last(), QStringLiteral("16383: FF"));
    QCOMPARE(t.fx.dialogs.informationTexts(), QStringList{QStringLiteral("Memory is empty")});
}

void TestMaintenance::aDumpCutShortIsReportedIncomplete()
{
    Linked t;
    t.unasked(erasedDump().left(1001));
    t.fx.clock.advance(MemoryDump::kQuietLimitMs - 100);
    t.maintenance().checkDumpTimeLimit();
    QVERIFY(t.fx.dialogs.informationTexts().isEmpty()); // still within its time

    // The dump's own watch gives it up once the clock has moved on.
    t.fx.clock.advance(200);
    QTRY_COMPARE(t.fx.dialogs.informationTexts().size(), 1);
    const QString text = t.fx.dialogs.informationTexts().constFirst();
    QVERIFY2(text.contains(QStringLiteral("incomplete")) && text.contains(QStringLiteral("1000 of 16384")),
             qPrintable(text));
    QVERIFY(t.log().contains(
        QStringLiteral("memory dump incomplete: 1000 of 16384 bytes arrived; the memory was not judged")));
    QCOMPARE(t.dumpLines().size(), 1000);
    QVERIFY(!t.maintenance().collectingDump());

    // The next dump starts afresh and is judged on its own.
    t.unasked(erasedDump());
    QCOMPARE(t.fx.dialogs.informationTexts().size(), 2);
    QCOMPARE(t.fx.dialogs.informationTexts().last(), QStringLiteral("Memory is empty"));
}

void TestMaintenance::restOfTheDumpStillQueuedIsWaitedFor()
{
    // After a blocking pause the side of the editor was quiet, but the rest of
    // the dump is waiting in the driver.
    Linked t;
    const QByteArray dump = erasedDump();
    t.unasked(dump.left(3000));
    t.fx.pedal().sendUnasked(dump.mid(3000));
    t.fx.clock.advance(4000);
    t.maintenance().checkDumpTimeLimit();
    QVERIFY(t.fx.dialogs.informationTexts().isEmpty());
    t.fx.session().pollUnsolicited();
    QCOMPARE(t.fx.dialogs.informationTexts(), QStringList{QStringLiteral("Memory is empty")});
}

void TestMaintenance::aNewReadGivesUpTheOldPartialDump()
{
    Linked t;
    t.unasked(erasedDump().left(100));
    t.console().btnReadEEPROM->click();
    QCOMPARE(t.fx.dialogs.informationTexts().size(), 1);
    QVERIFY(t.fx.dialogs.informationTexts().constFirst().contains(QStringLiteral("99 of 16384")));
    t.fx.session().pollUnsolicited();
    QCOMPARE(t.fx.dialogs.informationTexts().last(), QStringLiteral("Memory is not empty")); // 5A 5A ...
    QCOMPARE(t.dumpLines().last(), QStringLiteral("16383: 5A"));
}

void TestMaintenance::aWholeDumpAfterACutOneIsJudgedOnItsOwn_data()
{
    QTest::addColumn<QList<int>>("cuts"); // reads of the second dump, AB included in the first
    QTest::newRow("in one read") << QList<int>{16385};
    QTest::newRow("in two reads") << QList<int>{5000, 11385};
}

void TestMaintenance::aWholeDumpAfterACutOneIsJudgedOnItsOwn()
{
    // The first dump stops short; the pedal sends a whole one before the
    // first has been quiet long enough to be given up. Its AB is a start, not
    // a memory byte of the first.
    QFETCH(QList<int>, cuts);
    Linked t;
    t.unasked(erasedDump().left(1001));
    t.fx.clock.advance(400);
    const QByteArray dump = erasedDump();
    int at = 0;
    for (int cut : cuts) {
        t.unasked(dump.mid(at, cut));
        at += cut;
    }
    const QStringList shown = t.fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown.first().contains(QStringLiteral("1000 of 16384")), qPrintable(shown.first()));
    QCOMPARE(shown.last(), QStringLiteral("Memory is empty"));
    QVERIFY(!t.maintenance().collectingDump());
}

void TestMaintenance::consoleStartsWithItsToolsPrepared()
{
    EditorFixture fx;
    fx.start();
    Ui::formPrint& ui = *fx.console().ui;
    QCOMPARE(ui.cmbI2Caddr->currentText(), QStringLiteral("50"));
    QCOMPARE(ui.cmbI2Caddr->count(), 2);
    QCOMPARE(ui.cmbNotePicker->count(), 48);
    QCOMPARE(ui.cmbNotePicker->currentText(), QStringLiteral("A1"));
    QCOMPARE(ui.edtQ->text(), QStringLiteral("1.41"));
    QCOMPARE(ui.edtBoost->text(), QStringLiteral("0"));
    QCOMPARE(ui.btnGetNoteFrequency->text(), QStringLiteral("Calc Coeff."));
    QVERIFY(ui.btnSend->isHidden());
    QVERIFY(ui.cmbNotePicker->isHidden());
}

void TestMaintenance::rawSenderSendsOnlyAParameterMessage_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("sent"); // empty: refused
    QTest::newRow("parameter message") << "0012" << "00800000" << bytes("01001200800000");
    QTest::newRow("as the edits start") << "addr" << "data" << QByteArray();
    QTest::newRow("short data") << "0012" << "0080" << QByteArray();
}

void TestMaintenance::rawSenderSendsOnlyAParameterMessage()
{
    QFETCH(QString, address);
    QFETCH(QString, data);
    QFETCH(QByteArray, sent);
    Linked t;
    // An older, longer message in the send buffer must not leak out behind a short one.
    t.fx.session().send(PedalOperation::PedalSetting, QStringLiteral("0E") + QString(40, QLatin1Char('7')));
    const int writeMark = t.fx.writeMark();
    t.console().edtAddress->setText(address);
    t.console().edtData->setText(data);
    t.console().btnSend->click();
    if (sent.isEmpty()) {
        QVERIFY(t.fx.writesSince(writeMark).isEmpty());
        QCOMPARE(t.fx.dialogs.informationTexts().size(), 1);
        QVERIFY(t.fx.dialogs.informationTexts().constFirst().startsWith(QStringLiteral("Nothing was sent")));
    } else {
        QCOMPARE(t.fx.writesSince(writeMark), QList<QByteArray>{sent});
        QCOMPARE(t.log().last(), QStringLiteral("01") + address + data);
        QVERIFY(t.fx.dialogs.informationTexts().isEmpty());
    }
}

void TestMaintenance::calculatorBeforeAnyEditUsesTheStoredValues()
{
    EditorFixture fx;
    fx.start();
    const int mark = fx.logMark();
    fx.console().ui->btnGetNoteFrequency->click();
    const auto c = PeakingFilter::design(55.0, -6.0, 11.0);
    QCOMPARE(fx.logSince(mark), QStringList{QStringLiteral("A1_6db_cut_Q11 : array[0..19] of string =")}
                                    + FilterCalculator::coefficientLines(c));
}

void TestMaintenance::calculatorThroughTheEdits()
{
    EditorFixture fx;
    fx.start();
    Ui::formPrint& ui = *fx.console().ui;
    ui.cmbNotePicker->setCurrentIndex(12);
    ui.edtQ->selectAll();
    QTest::keyClicks(ui.edtQ, QStringLiteral("1.41"));
    ui.edtBoost->selectAll();
    QTest::keyClicks(ui.edtBoost, QStringLiteral("0"));
    QVERIFY(fx.log().contains(QStringLiteral("Q: 1.41")));
    QVERIFY(fx.log().contains(QStringLiteral("boost: 0")));
    QVERIFY(fx.dialogs.informationTexts().isEmpty());

    const int mark = fx.logMark();
    ui.btnGetNoteFrequency->click();
    QCOMPARE(fx.logSince(mark), (QStringList{
                                    QStringLiteral("A2_0db_boost_Q1.41 : array[0..19] of string ="),
                                    QStringLiteral("('00', '80', '00', '00', "),
                                    QStringLiteral("'FF', '01', '53', 'AD', "),
                                    QStringLiteral("'00', '7E', 'B3', '15', "),
                                    QStringLiteral("'00', 'FE', 'AC', '53', "),
                                    QStringLiteral("'FF', '81', '4C', 'EB');"),
                                }));
}

void TestMaintenance::editsReadTheUsersLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("header");
    QTest::newRow("point") << "en_US" << "2.5" << "Q: 2.5" << "A1_6db_cut_Q2.5 : array[0..19] of string =";
    QTest::newRow("comma") << "de_DE" << "2,5" << "Q: 2,5" << "A1_6db_cut_Q2,5 : array[0..19] of string =";
}

void TestMaintenance::editsReadTheUsersLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QString, logged);
    QFETCH(QString, header);
    QLocale::setDefault(QLocale(locale));
    EditorFixture fx;
    fx.start();
    Ui::formPrint& ui = *fx.console().ui;
    ui.edtQ->selectAll();
    QTest::keyClicks(ui.edtQ, typed);
    ui.btnGetNoteFrequency->click();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(fx.log().at(fx.log().size() - 6), header);
    QVERIFY(fx.log().contains(logged));
    QCOMPARE(fx.editor().consoleTools->calculatorSettings().q, 2.5);
}

void TestMaintenance::typingANegativeNumberRaisesNoComplaint()
{
    EditorFixture fx;
    fx.start();
    Ui::formPrint& ui = *fx.console().ui;
    ui.edtBoost->selectAll();
    QTest::keyClicks(ui.edtBoost, QStringLiteral("-3"));
    QTest::keyClick(ui.edtBoost, Qt::Key_Return);
    QVERIFY(fx.dialogs.texts().isEmpty());
    QCOMPARE(fx.editor().consoleTools->calculatorSettings().boostDb, -3.0);
    QCOMPARE(fx.log().filter(QStringLiteral("boost: ")), QStringList{QStringLiteral("boost: -3")});
}

void TestMaintenance::editThatIsNoNumberKeepsTheValue()
{
    EditorFixture fx;
    fx.start();
    Ui::formPrint& ui = *fx.console().ui;
    ui.edtBoost->selectAll();
    QTest::keyClicks(ui.edtBoost, QStringLiteral("x"));
    QVERIFY(fx.dialogs.informationTexts().isEmpty()); // not while typing
    QTest::keyClick(ui.edtBoost, Qt::Key_Return);
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("\"x\" is not a number. The boost stays -6.")});
    QCOMPARE(fx.editor().consoleTools->calculatorSettings().boostDb, -6.0);
    QVERIFY(fx.log().filter(QStringLiteral("boost: ")).isEmpty());
    ui.btnGetNoteFrequency->click();
    QCOMPARE(fx.log().at(fx.log().size() - 6), QStringLiteral("A1_6db_cut_Q11 : array[0..19] of string ="));
}

void TestMaintenance::settingsWithoutAUsableTablePrintNothing_data()
{
    QTest::addColumn<QString>("q");
    QTest::addColumn<QString>("boost");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Q 0") << "0" << "-6"
                         << "No filter was calculated: Q is 0, but a filter needs a Q greater than 0. Enter a "
                            "positive Q, for example 1.41.";
    QTest::newRow("Q 0.001, boost 80") << "0.001" << "80"
                                       << "No filter was calculated: with Q 0.001 and boost 80 the coefficient b0 "
                                          "is 672.508, outside the range -256 to 256 of the pedal's fixed-point "
                                          "numbers. Use a larger Q or a smaller boost.";
}

void TestMaintenance::settingsWithoutAUsableTablePrintNothing()
{
    // A table in the log is one somebody may paste into the firmware: one
    // that does not hold the filter is not printed at all.
    QFETCH(QString, q);
    QFETCH(QString, boost);
    QFETCH(QString, shown);
    EditorFixture fx;
    fx.start();
    Ui::formPrint& ui = *fx.console().ui;
    ui.cmbNotePicker->setCurrentIndex(12); // A2
    ui.edtQ->selectAll();
    QTest::keyClicks(ui.edtQ, q);
    ui.edtBoost->selectAll();
    QTest::keyClicks(ui.edtBoost, boost);
    const int mark = fx.logMark();
    ui.btnGetNoteFrequency->click();
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{shown});
    QVERIFY(fx.logSince(mark).isEmpty());
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
