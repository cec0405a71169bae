#pragma once

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "VirtualClock.h"

#include "seams/Places.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class Editor;
class FtdiDriver;
class FormMain;
class Communication;
class PedalSession;
class PrintConsole;
class FXsettings;
class VirtualPedal;

// A whole editor on the virtual pedal, with a temporary Documents folder, a
// virtual clock, scripted dialogs and a recording shell. Prepare the pedal or
// the folder first, then start() builds the editor (its start-up runs then).
class EditorFixture {
public:
    EditorFixture();
    ~EditorFixture();

    void start();
    // start() with another driver in front of the pedal (several devices, a
    // failing call); the fixture keeps the pedal alive behind it.
    void startWith(std::unique_ptr<FtdiDriver> driver);
    // start() if needed, then "Scan And Link".
    void startLinked();
    // The editor closed and a new one started on the pedal as it was left,
    // with this driver in front of it. Only after startWith(), which leaves
    // the pedal with the fixture.
    void restartEditor(std::unique_ptr<FtdiDriver> driver);

    // Whether the one-shot web version check may fire on its own a second
    // after start. Off by default: it would add its line to the log of any
    // test that runs past that second.
    bool webVersionCheck = false;
    // Build the main window alone, as the program starts; the other windows
    // then come from MainWindowFirst or Editor::createOtherWindows().
    bool mainWindowFirst = false;

    QTemporaryDir documents;
    VirtualClock clock;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    FixedPlaces places;

    VirtualPedal& pedal() { return *pedal_; }
    Editor& editor() { return *editor_; }
    FormMain& main();
    PedalSession& session();
    Communication& comm();
    PrintConsole& console();
    FXsettings& fx();

    // Documents/TERVO/Quarnel MK3/<name>
    QString filesPath(const QString& name) const;

    // The log so far, and the part of it after a mark.
    QStringList log() const;
    int logMark() const { return static_cast<int>(log().size()); }
    QStringList logSince(int mark) const { return log().mid(mark); }

    // What the pedal received, each write on its own; and after a mark.
    QList<QByteArray> writes() const;
    int writeMark() const { return static_cast<int>(writes().size()); }
    QList<QByteArray> writesSince(int mark) const { return writes().mid(mark); }

private:
    void settle();

    std::unique_ptr<VirtualPedal> ownedPedal_;
    VirtualPedal* pedal_ = nullptr;
    std::unique_ptr<Editor> editor_;
};
