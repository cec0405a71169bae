#pragma once

#include <QString>

#include <cstdint>

// The peaking equaliser of the Audio EQ Cookbook, normalised by a0, in double
// precision, and the pedal's fixed-point form of its coefficients. Used by the
// tuning data table and by the console's filter calculator.
namespace PeakingFilter {

constexpr double kSampleRate = 48000.0;

struct Coefficients {
    double b0, b1, b2;
    // The feedback coefficients with their signs turned (-a1/a0, -a2/a0), so that
    // y = b0*x + b1*x1 + b2*x2 + c1*y1 + c2*y2.
    double c1, c2;
};

// overallGainDb scales the feed-forward part by 10^(gain/20).
Coefficients design(double frequencyHz, double boostDb, double q, double overallGainDb = 0.0,
                    double sampleRate = kSampleRate);

// 440 Hz * 2^((note - 69) / 12), MIDI numbering.
double noteFrequency(int midiNote);

// round(v * 2^23) to the nearest integer, ties to even, as a 32-bit
// two's-complement number (23 fraction bits; 0x00800000 is 1.0). Values
// outside -256 to just under 256 keep their low 32 bits; a value that is not
// finite gives 0.
int32_t toFixed23(double v);

// True when v, rounded as toFixed23 does, lies within -256 to just under 256,
// so that toFixed23 keeps it whole.
bool fitsFixed23(double v);

// True when all five coefficients are finite numbers (a Q of 0, say, makes
// them infinite or undefined).
bool isFinite(const Coefficients& c);

// The fixed-point number as eight upper-case hexadecimal digits.
QString fixed23Hex(double v);

} // namespace PeakingFilter
