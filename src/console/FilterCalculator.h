#pragma once

#include "tracking/PeakingFilter.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The console's filter calculator: a note, a boost and a Q become the five
// coefficients of a peaking filter in the pedal's fixed-point form, printed as
// a constant table ready to paste into the firmware's sources.
namespace FilterCalculator {

constexpr int kNoteCount = 48;

// What the calculator works with. Q and boost start apart from what their
// edits show; they follow the edits only once an edit's text changes.
struct Settings {
    double overallGainDb = 0.0;
    double q = 11.0;
    double boostDb = -6.0;
    double baseFrequencyHz = 110.0; // A2
    uint16_t baseNoteIndex = 12;    // A2 in the note list
};

// A1 to G#5, one per semitone.
const QStringList& noteNames();

// base frequency * 2^((noteIndex - base note index) / 12).
double noteFrequency(const Settings& settings, int noteIndex);

// Numbers as the user reads and writes them: the locale's decimal separator,
// no group separators.
QLocale numberLocale(const QLocale& locale = QLocale());
std::optional<double> parseNumber(const QString& text, const QLocale& locale);
QString formatNumber(double value, const QLocale& locale);

// "<note>_<|boost|>db_<cut|boost>_Q<q> : array[0..19] of string ="
QString header(const QString& noteName, double boostDb, double q, const QLocale& locale);

// b0, b1, b2, c1, c2, one line each of four quoted byte pairs.
QStringList coefficientLines(const PeakingFilter::Coefficients& c);

// The peaking filter of the settings at a note of the list.
PeakingFilter::Coefficients design(const Settings& settings, int noteIndex);

// Why the settings give no table that can be used, as a message for the user;
// nothing when they give one. A Q that is not above 0 makes an unstable filter
// (or none), and a coefficient outside -256 to 256 does not fit the pedal's
// fixed-point form: printed, it would read as a quite different number.
std::optional<QString> refusal(const Settings& settings, int noteIndex, const QLocale& locale);

// The header and the five coefficient lines for a note of the list.
QStringList table(const Settings& settings, int noteIndex, const QLocale& locale);

} // namespace FilterCalculator
