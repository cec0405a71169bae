#pragma once

#include <QString>

class Dialogs;
class EffectView;
class FunctionsUnit;
class Log;

// Automatic copies of the pedal's values before an action that replaces or
// erases them: a preset load, the assignable defaults, "Erase Settings" and a
// firmware upgrade. Each is a preset file in the Backups folder beside Preset.
class BackupHandler {
public:
    BackupHandler(FunctionsUnit& functions, Log& log, Dialogs& dialogs);

    // Where the values to keep come from; without it nothing is ever kept.
    void setEffectView(EffectView* view) { effectView_ = view; }

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
    FunctionsUnit& functions_;
    Log& log_;
    Dialogs& dialogs_;
    EffectView* effectView_ = nullptr;
};
