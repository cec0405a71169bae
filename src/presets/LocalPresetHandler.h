#pragma once

#include "presets/PresetFile.h"
#include "session/Outcome.h"

#include <QString>

#include <optional>

class BackupHandler;
class Communication;
class Dialogs;
class EffectView;
class FunctionsUnit;
class Log;
class PedalSession;
class PedalSetupHandler;

// Local preset files: all twenty values saved to and loaded from a file in the
// preset folder.
class LocalPresetHandler {
public:
    LocalPresetHandler(PedalSession& session, Communication& comm, BackupHandler& backups, PedalSetupHandler& setup,
                       FunctionsUnit& functions, Log& log, Dialogs& dialogs);
    // The effect window, which shows its values again when no file is chosen.
    void setEffectView(EffectView* view) { effectView_ = view; }

    Outcome menuSavePresetClick();
    Outcome menuLoadPresetClick();

    // The two halves of a save, for a caller that knows the file already: the
    // pedal's current values (asked for and logged as a save does), and writing
    // them, asking before a file is replaced, with the same messages. No values
    // (and the user told why) while none were ever read: twenty values the
    // pedal never had are not a preset.
    std::optional<PresetFile::Values> takeCurrentValues();
    Outcome writePresetFile(const QString& path, const PresetFile::Values& values);
    // Loads the file into the editor and the pedal, as after the open dialog,
    // with or without a window: a backup of what the pedal plays first, then
    // each value whose control would change sent at once (PedalSetupHandler::loadValues).
    Outcome loadPresetFile(const QString& path);

    // Documents/TERVO/Quarnel MK3/Preset.
    QString presetFolder() const;

    // The name the file is saved under: ".txt" is added unless the name already
    // ends with exactly that (so "mine.TXT" becomes "mine.TXT.txt").
    static QString withPresetSuffix(const QString& fileName);
    // Asked before an existing preset is replaced; names the file by the name
    // it is written under.
    static QString replaceQuestion(const QString& path);

private:
    bool makePresetFolder();

    PedalSession& session_;
    Communication& comm_;
    BackupHandler& backups_;
    PedalSetupHandler& setup_;
    FunctionsUnit& functions_;
    Log& log_;
    Dialogs& dialogs_;
    EffectView* effectView_ = nullptr;
};
