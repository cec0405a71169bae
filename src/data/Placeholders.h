#pragma once

#include <QByteArray>
#include <QString>

// Placeholder images: what a build without the maker's images carries in
// their place. They have the real layout, so they pass every check of form,
// but their content is random: flashed into a real pedal a placeholder
// firmware leaves it without a working program, and a placeholder effect
// feeds random code to its audio processor. They may go to the virtual pedal
// only. Plain code: the upgrade and the uploads ask it before they send.
namespace Placeholders {

// Whether the image carries the placeholder mark, wherever it came from.
bool isPlaceholder(const QByteArray& image);

enum class Kind { Firmware, Effect };
enum class Source { Embedded, File };

// The refusal for a pedal that is not the virtual one: what the image is,
// that nothing was sent, and how to get the real images. name says which
// image ("FIRMWARE_17", "Quarnel MK3 0015", a file's name).
QString refusal(Kind kind, Source source, const QString& name);

} // namespace Placeholders
