#pragma once

#include "editor/ControlStates.h"
#include "editor/EditHistory.h"
#include "editor/ParameterModel.h"

#include <QString>

#include <array>
#include <cstdint>

struct PedalStatus;

// What the handlers need of the effect window: showing and closing it, the
// parts of a status reply it shows, and the values the pedal plays with the
// user's edits. The window implements it; a client without windows has none.
class EffectView {
public:
    virtual ~EffectView() = default;

    virtual bool isEffectWindowShown() const = 0;
    // Shown afresh, beside the main window, with the effect's name for a title.
    virtual void showEffectWindow(const QString& title) = 0;
    virtual void closeEffectWindow() = 0;

    // The window's parts of a status reply, each shown on its controls (the
    // twenty values are in the session's model by then).
    virtual void getFootswitchMode(const PedalStatus& status) = 0;
    virtual void getTuning(const PedalStatus& status) = 0;
    virtual void getControlAssignments(const PedalStatus& status) = 0;
    virtual void getBypassStatus(const PedalStatus& status) = 0;
    virtual void getParameterValues(const PedalStatus& status) = 0;

    // The values the pedal plays with the user's edits (also while comparing),
    // in status-reply order: what a backup or a preset keeps. False until the
    // pedal's values have been read or a preset loaded.
    virtual bool valuesToKeep(std::array<uint32_t, kParameterCount>& out) const = 0;
    // The link moved to another device: nothing is kept or compared until its
    // values are read.
    virtual void forgetPedalValues() = 0;
    // A change of many values begins (a preset, the assignable defaults): the
    // window leaves Compare and notes the values the change replaces.
    virtual void beginValuesChange() = 0;
    // The controls put in these states without their handlers sending (what
    // changes a state has been sent), the change one step of the history
    // named step; reference: the values are what "Compare" goes back to.
    virtual void showValuesChange(const ControlStates::States& states, const QString& step,
                                  const EditHistory::Touched& touched, bool reference) = 0;
    // The knobs that "Enable All Parameters" frees or holds.
    virtual void showAllParametersEnabled(bool all) = 0;
    // The values the editor holds put on the controls again, sent at once.
    virtual void showParameterValues(bool sendImmediately) = 0;
};
