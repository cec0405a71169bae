#pragma once

#include "presets/PresetFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The copies of the pedal's values that the editor keeps before an action
// that replaces them (a preset load, the assignable defaults, an erase, a
// firmware upgrade). Each copy is an ordinary preset file, so "Load Local
// Preset" brings it back; its name carries the date and time it was made.
// Plain code: the handlers decide when, this writes and prunes the folder.
namespace BackupFiles {

// The folder keeps this many copies; older ones are removed after each save.
constexpr int kKept = 100;

// "Backup 2026-12-10 05-40-45.txt", or with " 2", " 3", ... before the
// extension when a copy of the same second already exists.
QString fileName(const QDateTime& when, int sequence = 1);

struct Saved {
    bool ok = false;
    QString path;     // the file written
    QString error;    // why nothing was written
    int removed = 0;  // older copies removed to keep the newest kKept
};

// Writes the values as a new file in folder (made when missing), never over an
// existing file, then removes the oldest copies beyond keep, never the one just
// written. Only files named like a copy are counted or removed: the user's own
// files in the folder stay.
Saved save(const QString& folder, const PresetFile::Values& values, const QDateTime& when, int keep = kKept);

// The copies in folder, oldest first.
QStringList copies(const QString& folder);

} // namespace BackupFiles
