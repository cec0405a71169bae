#pragma once

#include "editor/ParameterModel.h"
#include "status/PedalStatus.h"

#include <QJsonObject>
#include <QString>

// "quarnel-cli status": what a status reply says, as lines for a person and
// as one JSON object for a script. The spellings are the editor's own (the
// main window's labels, the log's lines, the lists' entries, the preset
// library's values).
//
// JSON: keys in lowerCamelCase; numbers are numbers, on/off are booleans
// (Attack: true is slow, false fast), a byte that means nothing to the editor
// is null. The twenty values are an array in status-reply order, each
// {"name", "value", "raw"}: value the knob's position 0..10, the pitch's
// semitones or the switch's state, raw the 32-bit word the pedal holds.
namespace Cli::StatusReport {

// effectName: the catalogue's entry for the running effect, empty when it
// names none. model: the parameter addresses of that effect, which the
// assignments are matched with (the values come from status).
QString text(const PedalStatus& status, const QString& effectName, const ParameterModel& model);
QJsonObject json(const PedalStatus& status, const QString& effectName, const ParameterModel& model);

} // namespace Cli::StatusReport
