#include "cli/ParameterText.h"

#include "editor/DialMath.h"
#include "presets/PresetListing.h"

#include <cmath>
#include <cstdlib>

namespace Cli {

namespace {

const QString kBypass = QStringLiteral("Bypass");

// Names as the window spells them; the model is where they are kept.
QString nameOf(ParameterId id)
{
    static const ParameterModel names;
    return names.name(id);
}

QString folded(const QString& name)
{
    QString out;
    for (const QChar c : name)
        if (!c.isSpace())
            out += c.toCaseFolded();
    return out;
}

bool sameName(const QString& a, const QString& b)
{
    return folded(a) == folded(b);
}

std::optional<bool> onOff(const QString& text, const QString& on, const QString& off)
{
    const QString t = text.trimmed();
    if (t.compare(on, Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(off, Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<bool> onOff(const QString& text)
{
    return onOff(text, QStringLiteral("on"), QStringLiteral("off"));
}

std::optional<ParameterSetting> fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QStringList settableNames()
{
    QStringList names{kBypass};
    for (int k = 0; k < kParameterCount; ++k)
        names.append(nameOf(static_cast<ParameterId>(k)));
    return names;
}

std::optional<ParameterId> parameterNamed(const QString& name)
{
    for (int k = 0; k < kParameterCount; ++k) {
        const auto id = static_cast<ParameterId>(k);
        if (sameName(name, nameOf(id)))
            return id;
    }
    return std::nullopt;
}

int knobLevel(double position)
{
    const QString wanted = QString::number(position, 'f', 1);
    const double target = position * DialMath::kHighestLevel / 10.0;
    int best = -1;
    bool bestReadsBack = false;
    double bestDistance = 0;
    // Every whole-degree angle of the knob's travel, clockwise from the minimum
    // (270 degrees). The window shows a level word on the full scale; the
    // stepped knobs come back from the pedal as its own steps, which no choice
    // here changes.
    const int travelDegrees = DialMath::kMinimumAngle - DialMath::kMaximumAngle + 360;
    for (int travel = 0; travel <= travelDegrees; ++travel) {
        const int level = DialMath::dialToLevel(DialMath::kMinimumAngle - travel);
        const bool readsBack = PresetListing::shownValue(ParameterId::Dry, levelWord(level)) == wanted;
        const double distance = std::abs(level - target);
        if (best < 0 || (readsBack && !bestReadsBack)
            || (readsBack == bestReadsBack && distance < bestDistance)) {
            best = level;
            bestReadsBack = readsBack;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<ParameterSetting> parseSetting(const QString& name, const QString& value, QString* error)
{
    ParameterSetting s;
    if (sameName(name, kBypass)) {
        const std::optional<bool> on = onOff(value);
        if (!on)
            return fail(error, QStringLiteral("Bypass takes on or off, not %1").arg(quoted(value)));
        s.kind = ParameterSetting::Kind::Bypass;
        s.bypassOn = *on;
        s.name = kBypass;
        return s;
    }

    const std::optional<ParameterId> id = parameterNamed(name);
    if (!id)
        return fail(error, QStringLiteral("unknown parameter %1; set takes %2")
                               .arg(quoted(name), settableNames().join(QStringLiteral(", "))));
    s.id = *id;
    s.name = nameOf(*id);

    if (PresetListing::isKnob(*id)) {
        bool ok = false;
        const double position = value.toDouble(&ok);
        if (!ok || !(position >= 0.0 && position <= 10.0))
            return fail(error, QStringLiteral("%1 takes a position from 0 to 10 (for example 7.5), not %2")
                                   .arg(s.name, quoted(value)));
        s.value = levelWord(knobLevel(position));
        return s;
    }

    switch (*id) {
    case ParameterId::HarmonicPitch: {
        bool ok = false;
        const int semitones = value.trimmed().toInt(&ok);
        const int index = semitones + 12;
        if (!ok || index < 0 || index >= static_cast<int>(harmonicPitchTable.size()))
            return fail(error, QStringLiteral("%1 takes semitones from -12 to +12, not %2").arg(s.name, quoted(value)));
        s.value = harmonicPitchTable[static_cast<size_t>(index)];
        return s;
    }
    case ParameterId::Attack: {
        std::optional<bool> slow = onOff(value);
        if (!slow)
            slow = onOff(value, QStringLiteral("slow"), QStringLiteral("fast"));
        if (!slow)
            return fail(error, QStringLiteral("Attack takes on (slow) or off (fast), not %1").arg(quoted(value)));
        s.value = *slow ? ParameterCodes::kAttackSlow : ParameterCodes::kAttackFast;
        return s;
    }
    default:
        break;
    }

    const std::optional<bool> on = onOff(value);
    if (!on)
        return fail(error, QStringLiteral("%1 takes on or off, not %2").arg(s.name, quoted(value)));
    if (*id == ParameterId::Wave)
        s.value = *on ? ParameterCodes::kWaveOn : ParameterCodes::kWaveOff;
    else
        s.value = *on ? ParameterCodes::kOn : ParameterCodes::kOff;
    return s;
}

bool needsTuning(const ParameterSetting& setting)
{
    return setting.kind == ParameterSetting::Kind::Parameter
        && (setting.id == ParameterId::DominantNotesCut || setting.id == ParameterId::HighNotesCut)
        && setting.value == ParameterCodes::kOn;
}

} // namespace Cli
