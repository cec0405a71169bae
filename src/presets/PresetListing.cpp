#include "presets/PresetListing.h"

#include "editor/DialMath.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace PresetListing {

namespace {
int stepsOf(ParameterId id)
{
    switch (id) {
    case ParameterId::LowPass:
        return kLowPassSteps;
    case ParameterId::HighPass:
        return kHighPassSteps;
    case ParameterId::Range:
        return kRangeSteps;
    default:
        return 0;
    }
}

QString hex(uint32_t value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

QString onOff(uint32_t value, uint32_t on, uint32_t off)
{
    if (value == on)
        return QStringLiteral("on");
    if (value == off)
        return QStringLiteral("off");
    return QStringLiteral("? (") + hex(value) + QLatin1Char(')');
}

QString displayName(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ? fileName.chopped(4) : fileName;
}
} // namespace

QList<Entry> scan(const QString& folder)
{
    QList<Entry> entries;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return entries;
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : files) {
        if (info.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) != 0)
            continue;
        Entry e;
        e.path = info.absoluteFilePath();
        e.name = displayName(info.fileName());
        e.modified = info.lastModified();
        const PresetFile::Parsed parsed = PresetFile::read(e.path);
        e.valid = parsed.ok;
        e.reason = parsed.error;
        if (parsed.ok)
            e.values = parsed.values;
        entries.append(e);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.modified > b.modified; });
    return entries;
}

bool isKnob(ParameterId id)
{
    switch (id) {
    case ParameterId::Wave:
    case ParameterId::Split:
    case ParameterId::HarmonicPitch:
    case ParameterId::DominantNotesCut:
    case ParameterId::HighNotesCut:
    case ParameterId::LimitRangeUp:
    case ParameterId::NoiseGateStatus:
    case ParameterId::Attack:
        return false;
    default:
        return true;
    }
}

double knobPosition(ParameterId id, uint32_t value)
{
    // Through the same arithmetic the window uses, so the library shows where
    // the knob would stand after a load, not an idealised value.
    const int angle = DialMath::valueToDialAngle(value, stepsOf(id));
    return DialMath::dialToLevel(angle) * 10.0 / DialMath::kHighestLevel;
}

QString shownValue(ParameterId id, uint32_t value)
{
    switch (id) {
    case ParameterId::Wave:
        return onOff(value, ParameterCodes::kWaveOn, ParameterCodes::kWaveOff);
    case ParameterId::Split:
        return onOff(value, ParameterCodes::kOn, ParameterCodes::kOff);
    case ParameterId::Attack:
        if (value == ParameterCodes::kAttackSlow)
            return QStringLiteral("on (slow)");
        if (value == ParameterCodes::kAttackFast)
            return QStringLiteral("off (fast)");
        return onOff(value, ParameterCodes::kAttackSlow, ParameterCodes::kAttackFast);
    // The window shows anything but 1 as off for these.
    case ParameterId::DominantNotesCut:
    case ParameterId::HighNotesCut:
    case ParameterId::LimitRangeUp:
    case ParameterId::NoiseGateStatus:
        return value == ParameterCodes::kOn ? QStringLiteral("on") : QStringLiteral("off");
    case ParameterId::HarmonicPitch: {
        const int index = harmonicPitchIndex(value);
        if (index < 0)
            return QStringLiteral("? (") + hex(value) + QLatin1Char(')');
        return harmonicPitchTexts().at(index) + QStringLiteral(" semitones");
    }
    default:
        return QString::number(knobPosition(id, value), 'f', 1);
    }
}

QString fileNameFor(const QString& typed, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QString();
    };
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return fail(QStringLiteral("Type a name for the preset."));
    // Refused everywhere, so that a library copied between systems keeps its names.
    static const QString kForbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (kForbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return fail(QStringLiteral("A preset name cannot contain any of / \\ : * ? \" < > | or control characters."));
    }
    if (name.startsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char('.')))
        return fail(QStringLiteral("A preset name cannot begin or end with a dot."));
    if (name.size() > 200)
        return fail(QStringLiteral("A preset name can be at most 200 characters long."));
    return name.endsWith(QLatin1String(".txt"), Qt::CaseSensitive) ? name : name + QStringLiteral(".txt");
}

} // namespace PresetListing
