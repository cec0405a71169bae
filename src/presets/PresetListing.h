#pragma once

#include "editor/ParameterModel.h"
#include "presets/PresetFile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// What the preset library shows: the preset files of a folder with their
// values, the values in the units of the effect window, and the names a
// preset may be saved or renamed under. Plain code, no window.
namespace PresetListing {

struct Entry {
    QString path;
    QString name;        // the file name without ".txt"
    QDateTime modified;
    bool valid = false;
    QString reason;      // why the file is not a preset (valid == false)
    PresetFile::Values values{};
};

// The ".txt" files of folder (any case of the suffix), newest first; files
// of the same time by name. Every file is read (bounded) and checked. A
// folder that does not exist lists nothing.
QList<Entry> scan(const QString& folder);

// A value as the effect window shows it: a knob's position from 0.0 to 10.0,
// a switch or box as "on"/"off" (Attack with its speed), the harmonic pitch in
// semitones. A value the window would not show is given in hex.
QString shownValue(ParameterId id, uint32_t value);

// The position 0.0 .. 10.0 a knob shows for a value; knobs only.
double knobPosition(ParameterId id, uint32_t value);

// Whether the window shows the parameter as a knob.
bool isKnob(ParameterId id);

// The file name a typed preset name is saved under (".txt" added as Save
// Local Preset adds it), or an empty string with the reason in error when the
// name cannot be a file of the preset folder on every system the editor runs on.
QString fileNameFor(const QString& typed, QString* error);

} // namespace PresetListing
