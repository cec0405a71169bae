// The preset library window on the virtual pedal: what it lists and how,
// loading and saving as the preset menu items do, renaming and deleting; and
// the plain listing beneath it (values in the window's units, names).

#include "EditorFixture.h"
#include "PedalStates.h"

#include "app/DesktopShell.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "editor/FXsettings.h"
#include "presets/PresetLibrary.h"
#include "presets/PresetListing.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "ui_FormMain.h"
#include "ui_PresetLibrary.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

namespace {
using namespace PedalStates;

bool writeFile(const QString& path, const QByteArray& bytes, const QDateTime& modified = QDateTime())
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    return !modified.isValid() || f.setFileTime(modified, QFileDevice::FileModificationTime);
}

QStringList names(QTreeWidgetItem* group)
{
    QStringList out;
    for (int i = 0; i < group->childCount(); ++i)
        out << group->child(i)->text(0);
    return out;
}

QTreeWidgetItem* itemNamed(QTreeWidgetItem* group, const QString& name)
{
    for (int i = 0; i < group->childCount(); ++i)
        if (group->child(i)->text(0) == name)
            return group->child(i);
    return nullptr;
}

// A pedal in state B, linked, with the library open.
PresetLibrary& openLibrary(EditorFixture& fx, const Values& pedal = stateB())
{
    fx.pedal().model().values = pedal;
    fx.pedal().model().tuning = 1;
    fx.startLinked();
    fx.main().ui->menuPresetLibrary->trigger();
    return *fx.editor().formPresetLibrary;
}

void press(QWidget* w, int key)
{
    QTest::keyClick(w, static_cast<Qt::Key>(key));
}
} // namespace

class TestPresetLibrary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shownValues_data();
    void shownValues();
    void presetNames_data();
    void presetNames();
    void listsBothGroupsNewestFirstAndFollowsTheFolders();
    void savedPresetAppearsAndLoadsLikeTheMenu();
    void malformedFileIsGreyedAndNotLoaded();
    void valuesMarkWhatDiffersFromThePedal();
    void loadAndSaveWaitForTheLink();
    void nothingIsSavedFromAPedalThatNeverAnswered_data();
    void nothingIsSavedFromAPedalThatNeverAnswered();
    void rename();
    void deleteAsksAndUsesTheTrash();
    void theDesktopsTrashIsATrashOrNone_data();
    void theDesktopsTrashIsATrashOrNone();
};

void TestPresetLibrary::shownValues_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<uint>("value");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char* name, ParameterId id, uint32_t v, const char* shown) {
        QTest::newRow(name) << int(id) << uint(v) << QString::fromUtf8(shown);
    };
    row("knob at minimum", ParameterId::Dry, 0, "0.0");
    row("knob at maximum", ParameterId::Dry, level(1023), "10.0");
    row("knob in the middle", ParameterId::WaveClip, level(512), "5.0");
    row("input level default", ParameterId::InputLevel, 0x00800000, "10.0");
    row("stepped knob, top step", ParameterId::LowPass, 24, "10.0");
    row("stepped knob, half", ParameterId::HighPass, 8, "5.0");
    row("wave on", ParameterId::Wave, 0x00400000, "on");
    row("wave off", ParameterId::Wave, 0x00600000, "off");
    row("wave neither", ParameterId::Wave, 5, "? (00000005)");
    row("split on", ParameterId::Split, 1, "on");
    row("attack slow", ParameterId::Attack, 0x00000800, "on (slow)");
    row("attack fast", ParameterId::Attack, 0x00008000, "off (fast)");
    row("gate on", ParameterId::NoiseGateStatus, 1, "on");
    row("gate, anything else is off", ParameterId::NoiseGateStatus, 2, "off");
    row("note cut box", ParameterId::HighNotesCut, 1, "on");
    row("pitch +3", ParameterId::HarmonicPitch, 0x00500000, "+3 semitones");
    row("pitch -12", ParameterId::HarmonicPitch, 0x00200000, "-12 semitones");
    row("pitch 0", ParameterId::HarmonicPitch, 0x00400000, "0 semitones");
    row("pitch off the list", ParameterId::HarmonicPitch, 0x00400001, "? (00400001)");
}

void TestPresetLibrary::shownValues()
{
    QFETCH(int, id);
    QFETCH(uint, value);
    QFETCH(QString, shown);
    QCOMPARE(PresetListing::shownValue(static_cast<ParameterId>(id), value), shown);
}

void TestPresetLibrary::presetNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("fileName"); // empty: refused
    QTest::newRow("plain") << "mine" << "mine.txt";
    QTest::newRow("suffix kept") << "mine.txt" << "mine.txt";
    QTest::newRow("other case gets the suffix") << "mine.TXT" << "mine.TXT.txt";
    QTest::newRow("blanks around") << "  live set  " << "live set.txt";
    QTest::newRow("empty") << "   " << "";
    QTest::newRow("folder") << "a/b" << "";
    QTest::newRow("back slash") << "..\\b" << "";
    QTest::newRow("colon") << "c:x" << "";
    QTest::newRow("leading dot") << ".hidden" << "";
    QTest::newRow("trailing dot") << "x." << "";
    QTest::newRow("control character") << QStringLiteral("a\tb") << "";
}

void TestPresetLibrary::presetNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, fileName);
    QString error;
    QCOMPARE(PresetListing::fileNameFor(typed, &error), fileName);
    QCOMPARE(error.isEmpty(), !fileName.isEmpty());
}

void TestPresetLibrary::listsBothGroupsNewestFirstAndFollowsTheFolders()
{
    EditorFixture fx;
    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/old.txt")), fileBytes(stateA()), now.addDays(-2)));
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/new.TXT")), fileBytes(stateA()), now.addDays(-1)));
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/notes.md")), "not listed"));
    PresetLibrary& lib = openLibrary(fx);
    QVERIFY(lib.isVisible());
    QCOMPARE(names(lib.groupItem(PresetLibrary::Group::Presets)), (QStringList{"new", "old"}));
    // No backup folder yet: the group is there, empty.
    QCOMPARE(lib.groupItem(PresetLibrary::Group::Backups)->childCount(), 0);
    QCOMPARE(lib.selectedPath(), fx.filesPath(QStringLiteral("Preset/new.TXT")));

    // Files saved and removed elsewhere come and go while the window is open,
    // the backup folder included when it first appears.
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Backups/backup 1.txt")), fileBytes(stateB())));
    QTRY_COMPARE(names(lib.groupItem(PresetLibrary::Group::Backups)), QStringList{"backup 1"});
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/newest.txt")), fileBytes(stateB())));
    QTRY_COMPARE(names(lib.groupItem(PresetLibrary::Group::Presets)), (QStringList{"newest", "new", "old"}));
    QVERIFY(QFile::remove(fx.filesPath(QStringLiteral("Preset/old.txt"))));
    QTRY_COMPARE(names(lib.groupItem(PresetLibrary::Group::Presets)), (QStringList{"newest", "new"}));
    // A preset damaged in place is seen too.
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/new.TXT")), "garbage", now.addDays(-1)));
    QTRY_COMPARE(itemNamed(lib.groupItem(PresetLibrary::Group::Presets), "new")->data(0, PresetLibrary::kValidRole),
                 QVariant(false));
}

void TestPresetLibrary::savedPresetAppearsAndLoadsLikeTheMenu()
{
    EditorFixture fx;
    PresetLibrary& lib = openLibrary(fx, stateA());
    const QString path = fx.filesPath(QStringLiteral("Preset/live set.txt"));

    // Typed name, Enter: saved from the pedal's values, as the menu item saves.
    QTest::keyClicks(lib.ui->edtName, QStringLiteral("live set"));
    int mark = fx.logMark();
    press(lib.ui->edtName, Qt::Key_Return);
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("File saved successfully: ") + path});
    QCOMPARE(fx.logSince(mark).filter(QStringLiteral("SAVE LOCAL PRESET")).size(), 1);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), fileBytes(stateA()));
    QCOMPARE(names(lib.groupItem(PresetLibrary::Group::Presets)), QStringList{"live set"});
    QCOMPARE(lib.selectedPath(), path);

    // Saving under the same name asks before replacing; No keeps the file.
    fx.dialogs.clear();
    fx.dialogs.answerNo();
    QTest::keyClicks(lib.ui->edtName, QStringLiteral("live set"));
    lib.ui->btnSave->click();
    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("live set.txt already exists. Do you want to replace it?")});
    QCOMPARE(fx.dialogs.informationTexts(), QStringList());

    // Loaded with Enter, and then with the menu item from the same start: the
    // same messages on the wire and the same log.
    QList<QList<QByteArray>> wire;
    QList<QStringList> logs;
    for (bool fromLibrary : {true, false}) {
        fx.pedal().model().values = stateB();
        QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
        fx.dialogs.clear();
        const int writes = fx.writeMark();
        mark = fx.logMark();
        if (fromLibrary) {
            QVERIFY(lib.selectPath(path));
            lib.ui->lstPresets->setFocus();
            press(lib.ui->lstPresets, Qt::Key_Return);
        } else {
            fx.dialogs.chooseFile(path);
            fx.main().ui->menuLoadPreset->trigger();
        }
        QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("File loaded successfully: ") + path});
        QCOMPARE(fx.pedal().model().values, stateA());
        wire << fx.writesSince(writes);
        // Each load backs up first, each into a file of its own name.
        QStringList log = fx.logSince(mark);
        log.replaceInStrings(QRegularExpression(QStringLiteral("^(backup before the preset load saved: ).*$")),
                             QStringLiteral("\\1..."));
        QCOMPARE(log.filter(QStringLiteral("backup before the preset load saved: ...")).size(), 1);
        logs << log;
    }
    QVERIFY(wire.first().size() >= 18);
    QCOMPARE(wire.first(), wire.last());
    QCOMPARE(logs.first(), logs.last());
}

void TestPresetLibrary::malformedFileIsGreyedAndNotLoaded()
{
    EditorFixture fx;
    QByteArray bytes = fileBytes(stateA());
    bytes[3 + 9 * 1 + 7] = 'g';
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/broken.txt")), bytes));
    PresetLibrary& lib = openLibrary(fx);
    QTreeWidgetItem* item = itemNamed(lib.groupItem(PresetLibrary::Group::Presets), "broken");
    QVERIFY(item);
    QCOMPARE(item->data(0, PresetLibrary::kValidRole), QVariant(false));
    QVERIFY2(item->toolTip(0).contains(QStringLiteral("line 2")), qPrintable(item->toolTip(0)));
    QCOMPARE(item->foreground(0).color(), lib.palette().color(QPalette::Disabled, QPalette::Text));

    QVERIFY(lib.selectPath(item->data(0, PresetLibrary::kPathRole).toString()));
    QVERIFY(!lib.ui->btnLoad->isEnabled());
    QVERIFY(lib.ui->btnDelete->isEnabled());
    const int writes = fx.writeMark();
    press(lib.ui->lstPresets, Qt::Key_Return);
    QCOMPARE(fx.dialogs.informationTexts().size(), 1);
    QVERIFY(fx.dialogs.informationTexts().first().contains(QStringLiteral("line 2")));
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QCOMPARE(fx.pedal().model().values, stateB());
}

void TestPresetLibrary::valuesMarkWhatDiffersFromThePedal()
{
    EditorFixture fx;
    Values preset = stateB();
    preset[0] = level(1023);                 // Dry
    preset[11] = 0x00500000;                 // pitch +3
    preset[19] = 0x00000800;                 // Attack slow
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/p.txt")), fileBytes(preset)));
    PresetLibrary& lib = openLibrary(fx);
    QTableWidget* t = lib.ui->tblValues;
    QCOMPARE(t->rowCount(), kParameterCount);
    QCOMPARE(t->item(0, 0)->text(), QStringLiteral("Dry"));
    QCOMPARE(t->item(0, 1)->text(), QStringLiteral("10.0"));
    QCOMPARE(t->item(0, 2)->text(), QStringLiteral("0.0"));
    QCOMPARE(t->item(11, 1)->text(), QStringLiteral("+3 semitones"));
    QCOMPARE(t->item(19, 0)->text(), QStringLiteral("Attack"));
    QList<int> marked;
    for (int k = 0; k < t->rowCount(); ++k)
        if (t->item(k, 1)->data(PresetLibrary::kDiffersRole).toBool())
            marked << k;
    QCOMPARE(marked, (QList<int>{0, 11, 19}));

    // The marks follow the pedal while the window is open.
    fx.pedal().model().values = preset;
    QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
    QTRY_VERIFY(!t->item(0, 1)->data(PresetLibrary::kDiffersRole).toBool());
    QCOMPARE(t->item(0, 2)->text(), QStringLiteral("10.0"));
}

void TestPresetLibrary::loadAndSaveWaitForTheLink()
{
    EditorFixture fx;
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/p.txt")), fileBytes(stateA())));
    fx.start();
    // Opened from the keyboard, before any pedal is linked.
    fx.main().show();
    QApplication::setActiveWindow(&fx.main());
    QVERIFY(QTest::qWaitForWindowActive(&fx.main()));
    QTest::keyClick(&fx.main(), Qt::Key_L, Qt::ControlModifier);
    PresetLibrary& lib = *fx.editor().formPresetLibrary;
    QVERIFY(lib.isVisible());
    QVERIFY(!lib.selectedPath().isEmpty());
    QVERIFY(!lib.ui->btnLoad->isEnabled());
    QVERIFY(!lib.ui->btnSave->isEnabled());
    QVERIFY(lib.ui->btnRename->isEnabled());
    const int writes = fx.writeMark();
    press(lib.ui->lstPresets, Qt::Key_Return);
    QTest::keyClicks(lib.ui->edtName, QStringLiteral("x"));
    press(lib.ui->edtName, Qt::Key_Return);
    QCOMPARE(fx.dialogs.informationTexts().size(), 2);
    QVERIFY(fx.dialogs.informationTexts().at(0).startsWith(QStringLiteral("Link the pedal first")));
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QVERIFY(!QFileInfo::exists(fx.filesPath(QStringLiteral("Preset/x.txt"))));
}

void TestPresetLibrary::nothingIsSavedFromAPedalThatNeverAnswered_data()
{
    QTest::addColumn<bool>("fromLibrary");
    QTest::newRow("the library's save") << true;
    QTest::newRow("Save Local Preset") << false;
}

void TestPresetLibrary::nothingIsSavedFromAPedalThatNeverAnswered()
{
    QFETCH(bool, fromLibrary);
    EditorFixture fx;
    fx.pedal().setSilent(true);
    PresetLibrary& lib = openLibrary(fx);
    QVERIFY(fx.session().isLinked()); // linked, but no value of the pedal's ever read
    fx.dialogs.clear();
    const QString path = fx.filesPath(QStringLiteral("Preset/never.txt"));
    const int mark = fx.logMark();
    if (fromLibrary) {
        QTest::keyClicks(lib.ui->edtName, QStringLiteral("never"));
        lib.ui->btnSave->click();
    } else {
        fx.dialogs.chooseFile(path);
        fx.main().ui->menuSavePreset->trigger();
    }
    const QString refusal = QStringLiteral("The pedal's values have not been read yet, so there is no preset to save. "
                                           "Check that the pedal answers (Request), then save again.");
    QCOMPARE(fx.dialogs.informationTexts(),
             (QStringList{QStringLiteral("The pedal did not answer. Check that it is connected, then click Request."),
                          refusal}));
    QVERIFY(fx.logSince(mark).contains(QStringLiteral("no preset saved: the pedal's values have not been read yet")));
    QVERIFY(fx.logSince(mark).filter(QStringLiteral("SAVE LOCAL PRESET")).isEmpty());
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(QDir(fx.filesPath(QStringLiteral("Preset"))).entryList(QDir::Files).isEmpty());

    // Once the pedal has answered, the same save goes through.
    fx.pedal().setSilent(false);
    fx.dialogs.clear();
    if (fromLibrary) {
        lib.ui->edtName->setText(QStringLiteral("never"));
        lib.ui->btnSave->click();
    } else {
        fx.dialogs.chooseFile(path);
        fx.main().ui->menuSavePreset->trigger();
    }
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("File saved successfully: ") + path});
}

void TestPresetLibrary::rename()
{
    EditorFixture fx;
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/a.txt")), fileBytes(stateA())));
    QVERIFY(writeFile(fx.filesPath(QStringLiteral("Preset/b.txt")), fileBytes(stateB())));
    PresetLibrary& lib = openLibrary(fx);
    const QString a = fx.filesPath(QStringLiteral("Preset/a.txt"));

    // F2 puts the name in the field; Enter there renames.
    QVERIFY(lib.selectPath(a));
    press(lib.ui->lstPresets, Qt::Key_F2);
    QCOMPARE(lib.ui->edtName->text(), QStringLiteral("a"));
    QTest::keyClicks(lib.ui->edtName, QStringLiteral("b"));
    press(lib.ui->edtName, Qt::Key_Return);
    QCOMPARE(fx.dialogs.informationTexts().size(), 1); // b exists: refused, nothing moves
    QVERIFY(QFileInfo::exists(a));

    fx.dialogs.clear();
    lib.ui->edtName->setText(QStringLiteral("crunch"));
    press(lib.ui->edtName, Qt::Key_Return);
    QCOMPARE(fx.dialogs.informationTexts(), QStringList());
    const QString crunch = fx.filesPath(QStringLiteral("Preset/crunch.txt"));
    QVERIFY(!QFileInfo::exists(a));
    QFile f(crunch);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), fileBytes(stateA()));
    QCOMPARE(lib.selectedPath(), crunch);
    QVERIFY(itemNamed(lib.groupItem(PresetLibrary::Group::Presets), "crunch"));
}

void TestPresetLibrary::deleteAsksAndUsesTheTrash()
{
    EditorFixture fx;
    const QString a = fx.filesPath(QStringLiteral("Preset/a.txt"));
    const QString b = fx.filesPath(QStringLiteral("Backups/b.txt"));
    QVERIFY(writeFile(a, fileBytes(stateA())));
    QVERIFY(writeFile(b, fileBytes(stateA())));
    PresetLibrary& lib = openLibrary(fx);

    QVERIFY(lib.selectPath(a));
    fx.dialogs.answerNo();
    press(lib.ui->lstPresets, Qt::Key_Delete);
    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("Delete \"a\"? It goes to the trash.")});
    QVERIFY(QFileInfo::exists(a));
    QVERIFY(fx.shell.calls.isEmpty());

    press(lib.ui->lstPresets, Qt::Key_Delete);
    QCOMPARE(fx.shell.calls, QStringList{QStringLiteral("moveToTrash ") + a});
    QVERIFY(!QFileInfo::exists(a));
    QCOMPARE(lib.groupItem(PresetLibrary::Group::Presets)->childCount(), 0);

    // Without a trash the file is removed only when the second question is answered Yes.
    fx.shell.hasTrash = false;
    QVERIFY(lib.selectPath(b));
    fx.dialogs.clear();
    fx.dialogs.answerYes();
    fx.dialogs.answerNo();
    lib.ui->btnDelete->click();
    QCOMPARE(fx.dialogs.questions().size(), 2);
    QVERIFY(QFileInfo::exists(b));
    lib.ui->btnDelete->click();
    QVERIFY(!QFileInfo::exists(b));
    QCOMPARE(lib.groupItem(PresetLibrary::Group::Backups)->childCount(), 0);
}

void TestPresetLibrary::theDesktopsTrashIsATrashOrNone_data()
{
    QTest::addColumn<bool>("dataHomeExists");
    QTest::newRow("a home with its data folder") << true;
    // Qt 6.4 then "trashes" into "files" and "info" of the working folder.
    QTest::newRow("a home without ~/.local/share") << false;
}

void TestPresetLibrary::theDesktopsTrashIsATrashOrNone()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QFETCH(bool, dataHomeExists);
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString work = dir.filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(work));
    if (dataHomeExists)
        QVERIFY(QDir().mkpath(home + QStringLiteral("/.local/share")));
    const QString preset = home + QStringLiteral("/Preset/a.txt");
    QVERIFY(writeFile(preset, fileBytes(stateA())));

    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    const QString oldWork = QDir::currentPath();
    qputenv("HOME", home.toLocal8Bit());
    qunsetenv("XDG_DATA_HOME");
    QDir::setCurrent(work);
    DesktopShell shell;
    const bool trashed = shell.moveToTrash(preset);
    QDir::setCurrent(oldWork);
    qputenv("HOME", oldHome);
    if (!oldDataHome.isEmpty())
        qputenv("XDG_DATA_HOME", oldDataHome);

    QCOMPARE(trashed, dataHomeExists);
    QCOMPARE(QFileInfo::exists(preset), !dataHomeExists);
    QCOMPARE(QFileInfo::exists(home + QStringLiteral("/.local/share/Trash/files/a.txt")), dataHomeExists);
    QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
#else
    QSKIP("the desktop's trash is checked where it is a folder of the freedesktop layout");
#endif
}

QTEST_MAIN(TestPresetLibrary)
#include "tst_presetlibrary.moc"
