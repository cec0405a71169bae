#include "console/FilterCalculator.h"

#include <cmath>

namespace FilterCalculator {

const QStringList& noteNames()
{
    static const QStringList names = [] {
        static const char* const semitones[] = {"A", "A#", "B", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#"};
        QStringList out;
        for (int i = 0; i < kNoteCount; ++i) {
            // Octave numbers change at C: A1, A#1, B1, C2, ...
            const int octave = 1 + (i + 9) / 12;
            out.append(QLatin1String(semitones[i % 12]) + QString::number(octave));
        }
        return out;
    }();
    return names;
}

double noteFrequency(const Settings& settings, int noteIndex)
{
    const int offset = noteIndex - settings.baseNoteIndex;
    return settings.baseFrequencyHz * std::pow(2.0, offset / 12.0);
}

QLocale numberLocale(const QLocale& locale)
{
    QLocale out = locale;
    out.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return out;
}

std::optional<double> parseNumber(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const double value = numberLocale(locale).toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatNumber(double value, const QLocale& locale)
{
    return numberLocale(locale).toString(value, 'g', 15);
}

QString header(const QString& noteName, double boostDb, double q, const QLocale& locale)
{
    return noteName + QLatin1Char('_') + formatNumber(std::fabs(boostDb), locale) + QStringLiteral("db_")
        + (boostDb < 0 ? QStringLiteral("cut") : QStringLiteral("boost")) + QStringLiteral("_Q")
        + formatNumber(q, locale) + QStringLiteral(" : array[0..19] of string =");
}

QStringList coefficientLines(const PeakingFilter::Coefficients& c)
{
    const double values[] = {c.b0, c.b1, c.b2, c.c1, c.c2};
    QStringList lines;
    for (int k = 0; k < 5; ++k) {
        const QString digits = PeakingFilter::fixed23Hex(values[k]);
        QString line = k == 0 ? QStringLiteral("(") : QString();
        for (int pair = 0; pair < 4; ++pair) {
            line += QLatin1Char('\'') + digits.mid(2 * pair, 2) + QLatin1Char('\'');
            line += k == 4 && pair == 3 ? QStringLiteral(");") : QStringLiteral(", ");
        }
        lines.append(line);
    }
    return lines;
}

PeakingFilter::Coefficients design(const Settings& settings, int noteIndex)
{
    return PeakingFilter::design(noteFrequency(settings, noteIndex), settings.boostDb, settings.q,
                                 settings.overallGainDb);
}

std::optional<QString> refusal(const Settings& settings, int noteIndex, const QLocale& locale)
{
    if (!(settings.q > 0.0))
        return QStringLiteral("No filter was calculated: Q is %1, but a filter needs a Q greater than 0. "
                              "Enter a positive Q, for example 1.41.")
            .arg(formatNumber(settings.q, locale));
    const PeakingFilter::Coefficients c = design(settings, noteIndex);
    // A boost far beyond any real one has no filter either: printed, its
    // coefficients would look like a table of zeros ready to paste.
    if (!PeakingFilter::isFinite(c))
        return QStringLiteral("No filter can be calculated for Q %1 and boost %2: its coefficients are not finite "
                              "numbers.")
            .arg(formatNumber(settings.q, locale), formatNumber(settings.boostDb, locale));
    const double values[] = {c.b0, c.b1, c.b2, c.c1, c.c2};
    const char* const names[] = {"b0", "b1", "b2", "c1", "c2"};
    for (int k = 0; k < 5; ++k) {
        if (PeakingFilter::fitsFixed23(values[k]))
            continue;
        return QStringLiteral("No filter was calculated: with Q %1 and boost %2 the coefficient %3 is %4, outside "
                              "the range -256 to 256 of the pedal's fixed-point numbers. Use a larger Q or a "
                              "smaller boost.")
            .arg(formatNumber(settings.q, locale), formatNumber(settings.boostDb, locale),
                 QLatin1String(names[k]), numberLocale(locale).toString(values[k], 'g', 6));
    }
    return std::nullopt;
}

QStringList table(const Settings& settings, int noteIndex, const QLocale& locale)
{
    const PeakingFilter::Coefficients c = design(settings, noteIndex);
    return QStringList{header(noteNames().value(noteIndex), settings.boostDb, settings.q, locale)}
        + coefficientLines(c);
}

} // namespace FilterCalculator
