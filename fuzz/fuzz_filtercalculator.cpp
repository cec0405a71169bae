// The console's filter calculator: numbers as typed, in the user's locale or
// another, and any note.

#include "FuzzInput.h"

#include "console/FilterCalculator.h"

#include <QLocale>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QLocale locale = (in.byte() & 1) ? QLocale(QLocale::German) : QLocale(QLocale::C);
    const int note = in.byte() % FilterCalculator::kNoteCount;
    const std::optional<double> gain = FilterCalculator::parseNumber(in.field(), locale);
    const std::optional<double> q = FilterCalculator::parseNumber(in.field(), locale);
    const std::optional<double> boost = FilterCalculator::parseNumber(in.field(), locale);
    const std::optional<double> base = FilterCalculator::parseNumber(in.field(), locale);

    FilterCalculator::Settings s;
    if (gain)
        s.overallGainDb = *gain;
    if (q)
        s.q = *q;
    if (boost)
        s.boostDb = *boost;
    if (base)
        s.baseFrequencyHz = *base;
    if (!FilterCalculator::refusal(s, note, locale))
        FilterCalculator::table(s, note, locale);
    if (gain)
        FilterCalculator::formatNumber(*gain, locale);
    return 0;
}
