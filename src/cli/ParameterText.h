#pragma once

#include "editor/ParameterModel.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// Parameters by name and value in the units the effect window shows: knobs
// from 0 to 10, switches and boxes on/off (Attack also slow/fast), the
// harmonic pitch in semitones, and the bypass, which is no parameter but a
// message of its own. The way back, value to text, is the preset library's
// (PresetListing::shownValue); this is the way there, for "set NAME VALUE".
namespace Cli {

struct ParameterSetting {
    enum class Kind { Parameter, Bypass };
    Kind kind = Kind::Parameter;
    ParameterId id = ParameterId::Dry; // Parameter only
    uint32_t value = 0;                // Parameter only: exactly what the window sends
    bool bypassOn = false;             // Bypass only
    QString name;                      // as the window spells it ("Sub Mix", "Bypass")
};

// The names "set" takes: "Bypass", then the twenty in status-reply order.
QStringList settableNames();

// NAME matched ignoring case and blanks ("sub mix", "SubMix"); nullopt for
// Bypass and for a name that is none of the twenty.
std::optional<ParameterId> parameterNamed(const QString& name);

// The level (0..1023) the window's dial sends at the position that shows
// position (0.0..10.0). Of the levels the dial can send, the one whose level
// word the window and the preset library then show as that position to one
// decimal, so that "set Dry 7.5" reads back as 7.5; the nearest level where
// several do.
int knobLevel(double position);

// NAME and VALUE of "set" as the window would send them, or nullopt and in
// error one line naming what is accepted.
std::optional<ParameterSetting> parseSetting(const QString& name, const QString& value, QString* error);

// Whether the window refuses the setting while no tuning is selected (the
// note-cut boxes turned on).
bool needsTuning(const ParameterSetting& setting);

} // namespace Cli
