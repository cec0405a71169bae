#pragma once

#include <cstdint>

// The arithmetic between a dial's angle and the pedal's 10-bit level. Angles
// are whole degrees, 0 pointing right, counter-clockwise positive, in
// -179..180; the knob travels clockwise from -135 (level 0) to -45 (1023).
namespace DialMath {

constexpr int kMinimumAngle = -135;
constexpr int kMaximumAngle = -45;
constexpr int kHighestLevel = 1023;

// Brings any angle into -179..180 (pointing left is 180, never -180).
int normalizeAngle(int angle);

// The level 0..1023 for a dial angle. An angle in the dead zone between the
// two ends snaps to the nearer end (-90 itself counts as the minimum's side);
// the angle the dial must then show is written to snappedAngle (the input
// angle, normalised, when nothing snapped).
int dialToLevel(int angle, int* snappedAngle = nullptr);

// The angle at which a value reported by the pedal is shown. steps 0 (or less)
// means the value is a level word (level << 13); otherwise it is a step number
// out of that many steps. The arithmetic is the pedal's own 32-bit unsigned one.
int valueToDialAngle(std::uint32_t value, int steps = 0);

} // namespace DialMath
