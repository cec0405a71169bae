#pragma once

// The bytes every placeholder image carries, written by the placeholder
// generator and looked for by the editor before an image goes to a pedal.
// Plain C++: the generator is a host tool without Qt.
//
// Effect images carry it where the audio processor's data begins (just after
// the address table), firmware images right after the vector table, where no
// handler lies; either way the image keeps the layout the virtual pedal
// checks. The editor looks for it anywhere in an image, so a placeholder
// saved to a file and opened from there is known too.
namespace PlaceholderMark {

constexpr char kText[] = "QUARNEL EDITOR PLACEHOLDER IMAGE";
constexpr int kSize = int(sizeof(kText)) - 1;

// Where the generator puts it.
constexpr int kEffectOffset = 47;    // after the length (3 bytes) and the 22 address words
constexpr int kFirmwareOffset = 304; // after the 76 vectors

} // namespace PlaceholderMark
