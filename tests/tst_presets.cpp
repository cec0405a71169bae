// Saving the assignable values in the pedal, and local preset files saved from
// and loaded into the editor, on the virtual pedal through the real windows.

#include "EditorFixture.h"
#include "PedalStates.h"
#include "NamedPipe.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "editor/FXsettings.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "presets/LocalPresetHandler.h"
#include "presets/SaveParametersHandler.h"
#include "presets/StoreMessage.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

namespace {
using namespace PedalStates;

Values modelValues(EditorFixture& fx)
{
    const auto v = fx.session().parameters().values();
    Values out{};
    std::copy(v.begin(), v.end(), out.begin());
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A pedal in state A with a tuning, so that the note-cut boxes may be switched on.
void prepare(EditorFixture& fx, const Values& values)
{
    fx.pedal().model().values = values;
    fx.pedal().model().tuning = 1;
}
} // namespace

class TestPresets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveParameters_data();
    void saveParameters();
    void saveParametersWithAnAlgorithmTooOld();
    void saveParametersInfoText();
    void savePresetWritesTheFile();
    void savedNames_data();
    void savedNames();
    void saveCancelledOrFailing();
    void savedPresetLoadsBackExactly();
    void loadFiles_data();
    void loadFiles();
    void loadCancelled();
    void loadUnreadableFile();
    void loadSomethingThatIsNotAFile_data();
    void loadSomethingThatIsNotAFile();
    void replacingAPresetAsksAboutTheFileWritten_data();
    void replacingAPresetAsksAboutTheFileWritten();
};

void TestPresets::saveParameters_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TestPresets::saveParameters()
{
    QFETCH(bool, yes);
    EditorFixture fx;
    prepare(fx, stateA());
    fx.pedal().model().values[PedalModel::WaveClip] = 0; // four zero bytes
    fx.startLinked();
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    fx.clock.clearPauses();
    yes ? fx.dialogs.answerYes() : fx.dialogs.answerNo();
    fx.main().ui->btnSaveParameters->click();

    // The pedal is asked for its values first; they are what is stored.
    const QString expected = QStringLiteral("03"
                                            "007FE000" "00555558" "00000000" "00000001" "00000000"
                                            "00010000" "00000001" "00000001" "007D0000" "00000800");
    QCOMPARE(expected.size(), 82);
    const QStringList log = fx.logSince(mark);
    QCOMPARE(log.first(), QStringLiteral("********************REQUEST********************"));
    const int banner = int(log.indexOf(QStringLiteral("********************SAVE PARAMETERS********************")));
    QVERIFY(banner > 0);
    QCOMPARE(log.mid(banner + 1, 2), (QStringList{QStringLiteral("Store settings message (HEX): ") + expected,
                                                  QStringLiteral("num of bytes to send: 41")}));
    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("Save Parameters to pedal?")});

    const QList<QByteArray> sent = fx.writesSince(writes);
    QCOMPARE(sent.first(), QByteArray("\x02\x00", 2));
    if (!yes) {
        QCOMPARE(sent.size(), 1);
        QVERIFY(log.filter(QStringLiteral("num of bytes sent")).isEmpty());
        QCOMPARE(fx.pedal().model().storedAssignable, (std::array<uint32_t, 10>{}));
        return;
    }
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(1), QByteArray::fromHex(expected.toLatin1()));
    QCOMPARE(log.last(), QStringLiteral("num of bytes sent: 41"));
    QCOMPARE(fx.clock.pauseLengths().last(), 100);
    const Values a = stateA();
    QCOMPARE(fx.pedal().model().storedAssignable,
             (std::array<uint32_t, 10>{a[10], a[11], 0, a[13], a[14], a[15], a[16], a[17], a[18], a[19]}));
}

void TestPresets::saveParametersWithAnAlgorithmTooOld()
{
    EditorFixture fx;
    prepare(fx, stateA());
    fx.pedal().setAlgorithmVersion(14);
    fx.startLinked();
    // The request stops before the values, so the store takes what the editor holds.
    fx.session().parameters().inputLevel.value = 0x00123456;
    const int writes = fx.writeMark();
    fx.dialogs.clear();
    fx.dialogs.answerYes();
    fx.editor().saveParameters->btnSaveParametersClick(); // the button itself is disabled in this state
    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("Save Parameters to pedal?")});
    QCOMPARE(fx.dialogs.informationTexts().size(), 1);
    QVERIFY(fx.dialogs.informationTexts().first().startsWith(QStringLiteral("Upload the latest version")));
    const QList<QByteArray> sent = fx.writesSince(writes);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0), QByteArray("\x02\x00", 2));
    QCOMPARE(sent.at(1), QByteArray::fromHex(StoreMessage::text(fx.session().parameters()).toLatin1()));
    QCOMPARE(sent.at(1).size(), StoreMessage::kBytes);
    QVERIFY(sent.at(1).startsWith(QByteArray::fromHex("0300123456")));
}

void TestPresets::saveParametersInfoText()
{
    EditorFixture fx;
    fx.start();
    const int writes = fx.writeMark();
    fx.main().ui->btnSaveParametersInfo->click();
    const QString expected = QString::fromUtf8(
        "Permanently saves the current state of all assignable parameters to the pedal, regardless of whether they "
        "are currently assigned.\r\nAssignable parameters are those not available as physical controls on the pedal "
        "(e.g., Input Level, Dominant Notes Cut, etc.).\r\nTheir saved state is preserved even after firmware or "
        "algorithm updates.\r\nExample: you want to set a new Input Level, adjust the Input Level knob in the editor "
        "and then click \xE2\x80\x9CSave Parameters.\xE2\x80\x9D\r\nSave Parameters is not related to presets, in "
        "this way saving preset from the pedal will not erase Save Parameters settings.\r\nThink of Save Parameters "
        "as a global preset.");
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{expected});
    QCOMPARE(fx.writeMark(), writes);
}

void TestPresets::savePresetWritesTheFile()
{
    EditorFixture fx;
    prepare(fx, stateB());
    fx.startLinked();
    const QString folder = fx.filesPath(QStringLiteral("Preset"));
    QVERIFY(!QFileInfo::exists(folder));
    const QString chosen = folder + QStringLiteral("/live set.txt");
    fx.dialogs.chooseFile(chosen);
    const int mark = fx.logMark();
    fx.main().ui->menuSavePreset->trigger();

    // The pedal's current values, exactly as the file layout wants them.
    QCOMPARE(readFile(chosen), fileBytes(stateB()));
    QCOMPARE(readFile(chosen).size(), 182);
    const ScriptedDialogs::Shown dialog = fx.dialogs.shown().first();
    QCOMPARE(dialog.kind, ScriptedDialogs::Kind::SaveFile);
    QCOMPARE(dialog.text, QStringLiteral("Save Preset File"));
    QCOMPARE(dialog.filter, QStringLiteral("Preset files (*.txt)"));
    QCOMPARE(dialog.folder, folder);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("File saved successfully: ") + chosen});

    const QStringList log = fx.logSince(mark);
    const int banner = int(log.indexOf(QStringLiteral("********************SAVE LOCAL PRESET********************")));
    QVERIFY(banner > 0);
    QCOMPARE(log.at(banner + 1), QStringLiteral("Dry: 00000000"));
    QCOMPARE(log.at(banner + 6), QStringLiteral("LowPass: 0000000C"));
    QCOMPARE(log.at(banner + 20), QStringLiteral("Attack: 00008000"));
}

void TestPresets::savedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no suffix") << "mine" << "mine.txt";
    QTest::newRow("upper-case suffix") << "mine.TXT" << "mine.TXT.txt";
    QTest::newRow("suffix") << "mine.txt" << "mine.txt";
    QTest::newRow("other suffix") << "mine.dat" << "mine.dat.txt";
}

void TestPresets::savedNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    EditorFixture fx;
    fx.startLinked();
    const QString folder = fx.filesPath(QStringLiteral("Preset"));
    fx.dialogs.chooseFile(folder + QLatin1Char('/') + typed);
    fx.main().ui->menuSavePreset->trigger();
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{saved});
    QCOMPARE(readFile(folder + QLatin1Char('/') + saved).size(), 182);
}

void TestPresets::saveCancelledOrFailing()
{
    EditorFixture fx;
    fx.startLinked();
    const QString folder = fx.filesPath(QStringLiteral("Preset"));
    fx.dialogs.cancelFileDialog();
    fx.main().ui->menuSavePreset->trigger();
    QVERIFY(fx.dialogs.informationTexts().isEmpty());
    QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());

    fx.dialogs.chooseFile(folder + QStringLiteral("/no such folder/mine"));
    fx.main().ui->menuSavePreset->trigger();
    QCOMPARE(fx.dialogs.informationTexts().size(), 1);
    QVERIFY(fx.dialogs.informationTexts().first().startsWith(QStringLiteral("Error saving file: ")));
    QVERIFY(fx.dialogs.informationTexts().first().size() > QStringLiteral("Error saving file: ").size());
}

void TestPresets::savedPresetLoadsBackExactly()
{
    EditorFixture fx;
    prepare(fx, stateA());
    fx.startLinked();
    const QString path = fx.filesPath(QStringLiteral("Preset/a.txt"));
    fx.dialogs.chooseFile(path);
    fx.main().ui->menuSavePreset->trigger();

    // The pedal and the window move on to another state...
    fx.pedal().model().values = stateB();
    QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
    QCOMPARE(modelValues(fx), stateB());

    // ...and the preset brings every value back, in the editor and in the pedal.
    const int writes = fx.writeMark();
    fx.dialogs.clear();
    fx.dialogs.chooseFile(path);
    fx.main().ui->menuLoadPreset->trigger();
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("File loaded successfully: ") + path});
    QCOMPARE(fx.dialogs.shown().first().text, QStringLiteral("Open Preset File"));
    QCOMPARE(fx.dialogs.shown().first().filter, QStringLiteral("Preset files (*.txt)"));
    QCOMPARE(fx.dialogs.shown().first().folder, fx.filesPath(QStringLiteral("Preset")));
    QCOMPARE(modelValues(fx), stateA());
    QVERIFY(fx.writesSince(writes).size() >= 18); // no question, and the knobs do not wait for the pacing
    QCOMPARE(fx.pedal().model().values, stateA());
    QVERIFY(!fx.fx().sendImmediately);
}

void TestPresets::loadFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error"); // empty: the file loads
    const Values a = stateA();
    QTest::newRow("as saved") << fileBytes(a) << QString();
    QTest::newRow("LF") << fileBytes(a, "\n") << QString();
    QTest::newRow("CR LF, break at end") << fileBytes(a, "\r\n") + "\r\n" << QString();
    QTest::newRow("no BOM") << fileBytes(a, "\r", false) << QString();
    QTest::newRow("lower case") << fileBytes(a).toLower() << QString();

    QByteArray shortLine = fileBytes(a);
    shortLine.remove(3 + 9 * 2, 1); // line 3 loses a digit
    QTest::newRow("short line") << shortLine << QStringLiteral("line 3");
    QByteArray longLine = fileBytes(a);
    longLine.insert(3 + 9 * 4, '0');
    QTest::newRow("long line") << longLine << QStringLiteral("line 5");
    QByteArray nonHex = fileBytes(a);
    nonHex[3 + 9 * 1 + 7] = 'g';
    QTest::newRow("non-hex digit") << nonHex << QStringLiteral("line 2");
    QTest::newRow("19 values") << fileBytes(a).left(3 + 19 * 9 - 1) << QStringLiteral("line 19");
    QTest::newRow("21 values") << fileBytes(a) + "\r00000000" << QStringLiteral("line 21");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("empty");
}

void TestPresets::loadFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    EditorFixture fx;
    prepare(fx, stateB());
    fx.startLinked();
    const QString path = fx.documents.filePath(QStringLiteral("p.txt"));
    writeFile(path, file);
    const int writes = fx.writeMark();
    fx.dialogs.chooseFile(path);
    fx.main().ui->menuLoadPreset->trigger();

    if (error.isEmpty()) {
        QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("File loaded successfully: ") + path});
        QCOMPARE(modelValues(fx), stateA());
        QCOMPARE(fx.pedal().model().values, stateA());
        return;
    }
    // A damaged file changes nothing anywhere, and says where it is damaged.
    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(QStringLiteral("Error loading file: ")) && shown.first().contains(error),
             qPrintable(shown.first()));
    QCOMPARE(modelValues(fx), stateB());
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QCOMPARE(fx.pedal().model().values, stateB());
}

void TestPresets::loadCancelled()
{
    EditorFixture fx;
    prepare(fx, stateB());
    fx.startLinked();
    const int writes = fx.writeMark();
    const int mark = fx.logMark();
    fx.dialogs.cancelFileDialog();
    fx.main().ui->menuLoadPreset->trigger();
    const QStringList log = fx.logSince(mark);
    QCOMPARE(log.size(), 21);
    QCOMPARE(log.first(), QStringLiteral("********************LOAD LOCAL PRESET********************"));
    QCOMPARE(log.at(1), QStringLiteral("Dry: "));
    QCOMPARE(log.last(), QStringLiteral("Attack: "));
    QVERIFY(fx.dialogs.informationTexts().isEmpty());
    QCOMPARE(modelValues(fx), stateB());
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
}

void TestPresets::loadUnreadableFile()
{
    EditorFixture fx;
    prepare(fx, stateB());
    fx.startLinked();
    const int writes = fx.writeMark();
    fx.dialogs.chooseFile(fx.documents.filePath(QStringLiteral("gone.txt")));
    fx.main().ui->menuLoadPreset->trigger();
    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().startsWith(QStringLiteral("Error loading file: ")));
    QVERIFY(shown.first().size() > QStringLiteral("Error loading file: ").size());
    QCOMPARE(modelValues(fx), stateB());
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
}

void TestPresets::loadSomethingThatIsNotAFile_data()
{
    QTest::addColumn<QString>("device"); // empty: a named pipe
    QTest::newRow("endless device") << "/dev/zero";
    QTest::newRow("random device") << "/dev/urandom";
    QTest::newRow("named pipe") << QString();
}

void TestPresets::loadSomethingThatIsNotAFile()
{
    // Neither read for ever nor waited on for ever: refused before it is opened.
    QFETCH(QString, device);
    EditorFixture fx;
    prepare(fx, stateB());
    fx.startLinked();
    const QString path = device.isEmpty() ? fx.documents.filePath(QStringLiteral("pipe.txt")) : device;
    std::unique_ptr<NamedPipe> pipe;
    if (device.isEmpty()) {
        pipe = std::make_unique<NamedPipe>(path);
        if (!pipe->made())
            QSKIP("no named pipes here");
    } else if (!QFileInfo::exists(device)) {
        QSKIP("no such device here");
    }
    const int writes = fx.writeMark();
    const int mark = fx.logMark();
    fx.dialogs.chooseFile(path);
    fx.main().ui->menuLoadPreset->trigger();

    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(QStringLiteral("Error loading file: ") + path
                                      + QStringLiteral(" is not a regular file")),
             qPrintable(shown.first()));
    QVERIFY(fx.logSince(mark).contains(QStringLiteral("preset not loaded: ") + path + QStringLiteral(": ")
                                       + shown.first().mid(QStringLiteral("Error loading file: ").size())));
    QCOMPARE(modelValues(fx), stateB());
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
}

void TestPresets::replacingAPresetAsksAboutTheFileWritten_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("existing"); // a file already in the folder
    QTest::addColumn<QString>("asked");    // empty: no question
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("written");  // empty: nothing written
    // The name gets ".txt" after the dialog: the one that exists is not the one written.
    QTest::newRow("mine.TXT exists") << "mine.TXT" << "mine.TXT" << "" << true << "mine.TXT.txt";
    QTest::newRow("mine.TXT.txt exists, No") << "mine.TXT" << "mine.TXT.txt" << "mine.TXT.txt" << false << "";
    QTest::newRow("mine.TXT.txt exists, Yes")
        << "mine.TXT" << "mine.TXT.txt" << "mine.TXT.txt" << true << "mine.TXT.txt";
    QTest::newRow("mine.txt exists, typed mine, No") << "mine" << "mine.txt" << "mine.txt" << false << "";
    QTest::newRow("mine.txt exists, Yes") << "mine.txt" << "mine.txt" << "mine.txt" << true << "mine.txt";
}

void TestPresets::replacingAPresetAsksAboutTheFileWritten()
{
    QFETCH(QString, typed);
    QFETCH(QString, existing);
    QFETCH(QString, asked);
    QFETCH(bool, yes);
    QFETCH(QString, written);
    EditorFixture fx;
    prepare(fx, stateA());
    fx.startLinked();
    const QDir folder(fx.filesPath(QStringLiteral("Preset")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    const QByteArray old("old preset");
    writeFile(folder.filePath(existing), old);
    fx.dialogs.clear();
    fx.dialogs.chooseFile(folder.filePath(typed));
    yes ? fx.dialogs.answerYes() : fx.dialogs.answerNo();
    fx.main().ui->menuSavePreset->trigger();

    QCOMPARE(fx.dialogs.questions(),
             asked.isEmpty() ? QStringList()
                             : QStringList{asked + QStringLiteral(" already exists. Do you want to replace it?")});
    if (written.isEmpty()) {
        QCOMPARE(folder.entryList(QDir::Files), QStringList{existing});
        QCOMPARE(readFile(folder.filePath(existing)), old);
        QVERIFY(fx.dialogs.informationTexts().isEmpty());
        return;
    }
    QCOMPARE(readFile(folder.filePath(written)), fileBytes(stateA()));
    if (existing != written)
        QCOMPARE(readFile(folder.filePath(existing)), old);
    QCOMPARE(fx.dialogs.informationTexts(),
             QStringList{QStringLiteral("File saved successfully: ") + folder.filePath(written)});
}

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
