#pragma once

#include "editor/ParameterModel.h"

#include <QString>

#include <array>
#include <cstdint>

class Dialogs;
class EffectView;
class FunctionsUnit;
class Log;
class PedalSession;

// Automatic copies of the pedal's values before an action that replaces or
// erases them: a preset load, the assignable defaults, "Erase Settings" and a
// firmware upgrade. Each is a preset file in the Backups folder beside Preset.
class BackupHandler {
public:
    BackupHandler(PedalSession& session, FunctionsUnit& functions, Log& log, Dialogs& dialogs);

    // Where the values to keep come from while there is a window: the pedal's
    // with the user's edits.
    void setEffectView(EffectView* view) { effectView_ = view; }

    // The values the pedal plays: the window's (with the user's edits, also
    // while comparing), or without a window the session's once the pedal's
    // values were taken. False while none were ever read.
    bool valuesToKeep(std::array<uint32_t, kParameterCount>& out) const;

    // Documents/TERVO/Quarnel MK3/Backups.
    QString folder() const;

    // Saves the values the editor holds for the pedal before the action named
    // (for the log and the message, "the preset load" say). Says in the log
    // where the copy went; a copy that cannot be written is reported in a
    // message box, and the action goes on either way. The path of the copy,
    // or empty when none was made (also when no values were ever read, and
    // there is nothing of the pedal's to keep).
    QString backUpBefore(const QString& action);

private:
    PedalSession& session_;
    FunctionsUnit& functions_;
    Log& log_;
    Dialogs& dialogs_;
    EffectView* effectView_ = nullptr;
};
