#include "tracking/PeakingFilter.h"

#include <cfenv>
#include <cmath>

namespace PeakingFilter {

Coefficients design(double frequencyHz, double boostDb, double q, double overallGainDb, double sampleRate)
{
    const double a = std::pow(10.0, boostDb / 40.0);
    const double w0 = 2.0 * M_PI * frequencyHz / sampleRate;
    const double sinW0 = std::sin(w0);
    const double cosW0 = std::cos(w0);
    const double alpha = sinW0 / (2.0 * q);
    const double a0 = alpha / a + 1.0;
    const double g = std::pow(10.0, overallGainDb / 20.0) / a0;
    Coefficients c{};
    c.b0 = (alpha * a + 1.0) * g;
    c.b1 = -(2.0 * cosW0) * g;
    c.b2 = (1.0 - alpha * a) * g;
    c.c1 = 2.0 * cosW0 / a0;
    c.c2 = -(1.0 - alpha / a) / a0;
    return c;
}

double noteFrequency(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

namespace {
// v * 2^23 rounded to the nearest integer, ties to even.
double fixed23Steps(double v)
{
    // nearbyint rounds in the current mode, which is to nearest, ties to even,
    // unless someone changed it; make sure of it for this one call.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double scaled = std::nearbyint(v * 8388608.0);
    std::fesetround(previous);
    return scaled;
}
} // namespace

int32_t toFixed23(double v)
{
    const double scaled = fixed23Steps(v);
    // Not a number, or too large to have a place in any register: converting
    // it would be undefined, so it becomes 0 (callers that can meet one check
    // for it first).
    if (!std::isfinite(scaled))
        return 0;
    // Wrap like a 32-bit register. fmod is exact, and brings any size of value
    // into the range where the conversion is defined.
    const auto wide = static_cast<int64_t>(std::fmod(scaled, 4294967296.0));
    return static_cast<int32_t>(static_cast<uint32_t>(wide & 0xFFFFFFFF));
}

bool fitsFixed23(double v)
{
    const double scaled = fixed23Steps(v);
    return std::isfinite(scaled) && scaled >= -2147483648.0 && scaled <= 2147483647.0;
}

bool isFinite(const Coefficients& c)
{
    return std::isfinite(c.b0) && std::isfinite(c.b1) && std::isfinite(c.b2) && std::isfinite(c.c1)
        && std::isfinite(c.c2);
}

QString fixed23Hex(double v)
{
    return QString::number(static_cast<uint32_t>(toFixed23(v)), 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

} // namespace PeakingFilter
