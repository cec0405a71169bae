#pragma once

#include "editor/ParameterModel.h"

#include <QList>

#include <array>
#include <cstdint>
#include <optional>

// What the effect window's controls show for the pedal's values, and what
// each control sends when its state changes: a knob's angle, a switch's or a
// box's on or off, a list's entry. Putting a preset on the controls sends the
// value of every control whose state changes, in the order the window sets
// them; this unit says which values those are, so that a client without the
// window (the command line) sends the pedal exactly the same messages.
namespace ControlStates {

// A knob's angle, a switch's or box's 1 (on) or 0 (off), a list's index.
using State = int;
using States = std::array<std::optional<State>, kParameterCount>;

// The kind of control a parameter has: it decides what its state is and how
// its value is sent and logged.
enum class Kind { Knob, SteppedKnob, Switch, CheckBox, List };
Kind kindOf(ParameterId id);

// The state a value puts the parameter's control in; none when the control
// has no state for the value and keeps the one it has.
std::optional<State> stateFor(ParameterId id, uint32_t value);

// The value the control sends in a state.
uint32_t valueFor(ParameterId id, State state);

// How often the control sends its value: the pedal takes the attack speed only
// when told three times.
int sendCount(ParameterId id);

// The order in which the window puts values on its controls.
const std::array<ParameterId, kParameterCount>& showOrder();

struct Write {
    ParameterId id;
    uint32_t value;
};

// The pedal's own values put on the controls: nothing is sent.
void show(States& shown, const std::array<uint32_t, kParameterCount>& values);

// The writes of putting values on controls that show shown (a loaded preset),
// which then show the new states. Without a tuning a note-cut box cannot be
// changed: one that would change is left clear, and sends its "off"
// (noteCutRefused counts those, for the message the window shows each time).
QList<Write> put(States& shown, const std::array<uint32_t, kParameterCount>& values, bool tuningSet,
                 int* noteCutRefused = nullptr);

} // namespace ControlStates
