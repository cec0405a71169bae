#include "editor/DialMath.h"

namespace DialMath {

int normalizeAngle(int angle)
{
    int r = angle % 360;
    if (r < 0)
        r += 360;
    return r > 180 ? r - 360 : r;
}

int dialToLevel(int angle, int* snappedAngle)
{
    int a = normalizeAngle(angle);
    if (a > kMinimumAngle && a < kMaximumAngle)
        a = a <= -90 ? kMinimumAngle : kMaximumAngle;
    if (snappedAngle)
        *snappedAngle = a;

    // Degrees of travel from the minimum. Both -179 and 180 give 44: the
    // pedal's scale was laid out that way and stored presets rely on it.
    const int p = a <= kMinimumAngle ? -(a + 135) : 224 - a;

    // round(p * 1023 / 269); 269 is odd and prime, so there is never a tie.
    return (2 * p * kHighestLevel + 269) / (2 * 269);
}

namespace {

struct Segment {
    int inLo, inHi, outLo, outHi;
};

// Six straight pieces that follow the knob's travel around the scale.
constexpr Segment kSegments[] = {
    {0, 169, -135, -179},
    {170, 339, 180, 135},
    {340, 511, 136, 90},
    {512, 680, 89, 45},
    {681, 850, 44, 0},
    {851, 1023, -1, -45},
};

} // namespace

int valueToDialAngle(std::uint32_t value, int steps)
{
    std::uint32_t x;
    if (steps <= 0) {
        x = value >> 13;
    } else {
        const std::uint32_t perStep = 8192u / static_cast<std::uint32_t>(steps);
        x = (value * perStep) >> 3;
    }
    if (x >= static_cast<std::uint32_t>(kHighestLevel))
        x = kHighestLevel;

    const int level = static_cast<int>(x);
    for (const Segment& s : kSegments) {
        if (level >= s.inLo && level <= s.inHi)
            return s.outLo + ((level - s.inLo) * (s.outHi - s.outLo)) / (s.inHi - s.inLo);
    }
    return kMaximumAngle; // not reached: the segments cover 0..1023
}

} // namespace DialMath
