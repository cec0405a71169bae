#pragma once

#include "editor/ControlStates.h"
#include "editor/Messages.h"
#include "editor/ParameterModel.h"
#include "session/Outcome.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class BackupHandler;
class CatalogueHandler;
class Clock;
class Dialogs;
class EffectView;
class Log;
class PedalSession;

// How the pedal is set up around the running effect: the assignments of the
// control inputs, the footswitch mode, the tuning, the assignable parameters'
// defaults and "Enable All Parameters"; and how values reach the pedal as the
// effect window's controls send them, which a loaded preset and the defaults
// do through the same arithmetic with or without the window. The windows pass
// what the user chose; the handler asks, sends and logs.
class PedalSetupHandler : public QObject {
    Q_OBJECT
public:
    using Values = std::array<uint32_t, kParameterCount>;

    PedalSetupHandler(PedalSession& session, CatalogueHandler& catalogue, BackupHandler& backups, Log& log,
                      Dialogs& dialogs, Clock& clock);
    // The effect window: its controls show the values put on them, and it
    // keeps the history of the changes.
    void setEffectView(EffectView* view) { effectView_ = view; }

    // "Assign": the five lists' texts, Control I first, after a question.
    Outcome assign(const std::array<QString, kControlCount>& entries);
    // "Set Footswitch Mode" with the four buttons as they are checked.
    Outcome setFootswitchMode(const Messages::FootswitchButtons& buttons);
    // "Set Tuning": the tuning's list index and the semitone variation, after a question.
    Outcome setTuning(uint8_t tuning, int8_t semitones);
    // The assignable parameters back to their defaults (Ctrl+Shift+Z), after a
    // backup; the menu item also says how to keep them.
    Outcome setDefaultAssignableParameterValues();
    Outcome menuSetAssignableParamsToDefaultClick();
    // Toggles "Enable All Parameters"; its new state.
    bool menuEnableAllParametersClick();

    // A preset's twenty values onto the controls: each whose state changes
    // sends its value at once, as the window's controls send it. Without a
    // window the same writes go out, from the states the pedal's values put
    // the controls in. Done when every write went out.
    Outcome loadValues(const Values& values);

    // One parameter's value sent as its control sends it, with its control's
    // log line; paced: a knob's message waits for the pacing. False when the
    // message did not go out.
    bool sendControlValue(ParameterId id, uint32_t value, bool paced = false);
    // The value with the log line the switches (and the defaults) write.
    bool sendValue(ParameterId id, uint32_t value);
    // A note cut's value, with the log line the boxes write.
    bool sendNoteCut(ParameterId id, uint32_t value);
    // False (and logged) when no address table could ever be read, or the
    // pedal runs an effect the catalogue does not hold: a message would then
    // go to an address that belongs to no parameter of the running effect.
    bool addressesUsable(const QString& text);

    // Said when a note cut is turned on while no tuning is set.
    static QString noTuningForBoxesText();

Q_SIGNALS:
    // The pause after the assignments went out, while the pedal takes them.
    void assignPausing(bool pausing);

private:
    // Values put on the controls as they would send them: the model takes
    // them, and what changes a control's state is sent (knobs paced or not).
    bool putValues(const Values& values, bool paced);

    PedalSession& session_;
    CatalogueHandler& catalogue_;
    BackupHandler& backups_;
    Log& log_;
    Dialogs& dialogs_;
    Clock& clock_;
    ParameterModel& model_;
    EffectView* effectView_ = nullptr;
};
