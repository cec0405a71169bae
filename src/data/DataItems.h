#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The data items carried inside the program (catalogue text, effect images,
// firmware images, looks), looked up by name without regard to letter case.
namespace DataItems {

// The resource path of the item, or an empty text when there is none.
QString path(const QString& name);

// The item's bytes; ok tells whether the item exists.
QByteArray bytes(const QString& name, bool* ok = nullptr);

// The names of every item, as stored (in capitals, "octave" excepted).
QStringList names();

} // namespace DataItems
