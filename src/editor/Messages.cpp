#include "editor/Messages.h"

#include "link/Hex.h"

namespace {

uint8_t at(const QByteArray& bytes, int i)
{
    return static_cast<uint8_t>(bytes.at(i));
}

const QStringList kContinuousEntries = {
    QStringLiteral("Not Assigned"), QStringLiteral("Input Level"), QStringLiteral("1st Harmonic Pitch"),
    QStringLiteral("Wave Clip"),    QStringLiteral("Dry HPF"),     QStringLiteral("Noise Gate Threshold"),
};
const QStringList kSwitchedEntries = {
    QStringLiteral("Not Assigned"),   QStringLiteral("Dominant Notes Cut"), QStringLiteral("High Notes Cut"),
    QStringLiteral("Limit Range UP"), QStringLiteral("Noise Gate Status"),  QStringLiteral("Attack"),
};
const QStringList kRemoteEntries = {
    QStringLiteral("Not Assigned"),
    QStringLiteral("Bypass"),
    QStringLiteral("Preset"),
};

constexpr std::array<ParameterId, 5> kContinuousTargets = {
    ParameterId::InputLevel, ParameterId::HarmonicPitch, ParameterId::WaveClip,
    ParameterId::DryHpf,     ParameterId::NoiseGateThreshold,
};
constexpr std::array<ParameterId, 5> kSwitchedTargets = {
    ParameterId::DominantNotesCut, ParameterId::HighNotesCut, ParameterId::LimitRangeUp,
    ParameterId::NoiseGateStatus,  ParameterId::Attack,
};

// How the log names what a control was found assigned to.
const QStringList kContinuousLogNames = {
    QStringLiteral("Input Level"), QStringLiteral("Wave 2 Pitch"), QStringLiteral("Clipping"),
    QStringLiteral("Dry HPF"),     QStringLiteral("Noise Gate Threshold"),
};
const QStringList kSwitchedLogNames = {
    QStringLiteral("DNC"),
    QStringLiteral("HNC"),
    QStringLiteral("Limit Range UP"),
    QStringLiteral("Noise Gate Status"),
    QStringLiteral("Attack"),
};
const QStringList kControlLogNames = {
    QStringLiteral("I"), QStringLiteral("II"), QStringLiteral("III"), QStringLiteral("IV"),
};

bool isContinuous(Control c)
{
    return c == Control::One || c == Control::Two;
}

} // namespace

namespace Messages {

QString writeParameter(uint16_t address, uint32_t value)
{
    return QStringLiteral("01") + Hex::hex(address, 4) + Hex::hex(value, 8);
}

QString sendLogLine(const QString& parameterName, bool assignable, const QString& text)
{
    return QStringLiteral("Send ") + parameterName
        + (assignable ? QStringLiteral(" string (assignable par): ") : QStringLiteral(" string (standard par): "))
        + text;
}

QString bypass(bool on)
{
    return on ? QStringLiteral("0D01") : QStringLiteral("0D00");
}

QStringList assignEntries(Control control)
{
    if (control == Control::Remote)
        return kRemoteEntries;
    return isContinuous(control) ? kContinuousEntries : kSwitchedEntries;
}

std::array<ParameterId, 5> assignTargets(Control control)
{
    return isContinuous(control) ? kContinuousTargets : kSwitchedTargets;
}

QString assign(const ParameterModel& model, const std::array<QString, kControlCount>& entryTexts)
{
    QString text = QStringLiteral("04");
    for (bool assigned : model.controlAssigned)
        text += assigned ? QStringLiteral("01") : QStringLiteral("00");

    for (int c = 0; c < 4; ++c) {
        const QString& entry = entryTexts[static_cast<size_t>(c)];
        uint16_t address = kNotAssigned;
        if (entry != notAssignedText()) {
            for (ParameterId id : assignTargets(static_cast<Control>(c)))
                if (model.assignable(id).parameter_name == entry)
                    address = model.assignable(id).address;
        }
        text += Hex::hex(address, 4);
    }

    const QString& remote = entryTexts[static_cast<size_t>(Control::Remote)];
    uint16_t remoteCode = kNotAssigned;
    if (remote == kRemoteEntries.at(1))
        remoteCode = kRemoteBypass;
    else if (remote == kRemoteEntries.at(2))
        remoteCode = kRemotePreset;
    text += Hex::hex(remoteCode, 4);
    return text;
}

std::optional<Assignments> readAssignments(const QByteArray& reply, int index)
{
    if (index < 0 || reply.size() < index + 3 * kControlCount)
        return std::nullopt;
    Assignments a;
    for (int c = 0; c < kControlCount; ++c) {
        a.assigned[static_cast<size_t>(c)] = at(reply, index + c) != 0;
        const int word = index + kControlCount + 2 * c;
        a.address[static_cast<size_t>(c)] = static_cast<uint16_t>(at(reply, word) * 256 + at(reply, word + 1));
    }
    return a;
}

QList<int> matchingEntries(const ParameterModel& model, Control control, uint16_t address)
{
    QList<int> entries;
    if (control == Control::Remote)
        return entries;
    const std::array<ParameterId, 5> targets = assignTargets(control);
    for (int i = 0; i < 5; ++i)
        if (model.assignable(targets[static_cast<size_t>(i)]).address == address)
            entries.append(i + 1);
    return entries;
}

QString assignmentLogLine(Control control, int entry)
{
    if (control == Control::Remote || entry < 1 || entry > 5)
        return QString();
    const QStringList& names = isContinuous(control) ? kContinuousLogNames : kSwitchedLogNames;
    return QStringLiteral("CTRL ") + kControlLogNames.at(static_cast<int>(control)) + QStringLiteral(" assignment: ")
        + names.at(entry - 1);
}

QString footswitch(const FootswitchButtons& b)
{
    // A pair of exclusive buttons always has one selected; if neither reads
    // selected, the pedal's factory mode (Bypass short, Change Preset long) goes.
    const QString shortPress = (b.changePresetShort && !b.bypassShort) ? QStringLiteral("01") : QStringLiteral("00");
    const QString longPress = (b.bypassLong && !b.changePresetLong) ? QStringLiteral("01") : QStringLiteral("00");
    return QStringLiteral("08") + shortPress + longPress;
}

std::optional<FootswitchButtons> footswitchButtons(int mode)
{
    if (mode < 0 || mode > 3)
        return std::nullopt;
    FootswitchButtons b;
    const bool presetShort = (mode & 2) != 0;
    const bool bypassLong = (mode & 1) != 0;
    b.bypassShort = !presetShort;
    b.changePresetShort = presetShort;
    b.bypassLong = bypassLong;
    b.changePresetLong = !bypassLong;
    return b;
}

QString footswitchModeLogLine(int mode)
{
    static const QStringList lines = {
        QStringLiteral("Footswitch Mode: Bypass Short, Preset Long"),
        QStringLiteral("Footswitch Mode: Bypass Short, Bypass Long"),
        QStringLiteral("Footswitch Mode: Preset Short, Preset Long"),
        QStringLiteral("Footswitch Mode: Preset Short, Bypass Long"),
    };
    return mode >= 0 && mode < lines.size() ? lines.at(mode) : QString();
}

QStringList tuningTexts()
{
    return {
        QStringLiteral("No Tuning Selected"), QStringLiteral("Standard (EADGBE)"), QStringLiteral("Drop D (DADGBE)"),
        QStringLiteral("DADGAD"),             QStringLiteral("open D (DADF#AD)"),  QStringLiteral("Blues G (DGDGBD)"),
        QStringLiteral("Open A (EAC#EAE)"),   QStringLiteral("Open C (CGCGCE)"),   QStringLiteral("Bass Guitar"),
    };
}

QStringList semitoneTexts()
{
    return {
        QStringLiteral("-5"), QStringLiteral("-4"), QStringLiteral("-3"), QStringLiteral("-2"), QStringLiteral("-1"),
        QStringLiteral("0"),  QStringLiteral("+1"), QStringLiteral("+2"), QStringLiteral("+3"),
    };
}

int semitoneIndex(int variation)
{
    return variation >= -5 && variation <= 3 ? variation + 5 : -1;
}

std::optional<int> semitonesFromText(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

QString tuning(uint8_t tuningCode, int8_t variation)
{
    return QStringLiteral("09") + Hex::hex(tuningCode, 2) + Hex::hex(static_cast<uint8_t>(variation), 2);
}

std::optional<uint32_t> readValue(const QByteArray& reply, int index)
{
    if (index < 0 || reply.size() < index + 4)
        return std::nullopt;
    return (static_cast<uint32_t>(at(reply, index)) << 24) | (static_cast<uint32_t>(at(reply, index + 1)) << 16)
        | (static_cast<uint32_t>(at(reply, index + 2)) << 8) | static_cast<uint32_t>(at(reply, index + 3));
}

QString valueLogLabel(ParameterId id, const QString& parameterName)
{
    switch (id) {
    case ParameterId::Dry: return QStringLiteral("Dry: \t");
    case ParameterId::SubMix: return QStringLiteral("Sub Mix: ");
    case ParameterId::Minus1Oct: return QStringLiteral("Sub -1: \t");
    case ParameterId::Minus2Oct: return QStringLiteral("Sub -2: \t");
    case ParameterId::Wave: return QStringLiteral("Wave: \t");
    case ParameterId::LowPass: return QStringLiteral("LPF: \t");
    case ParameterId::HighPass: return QStringLiteral("HPF: \t");
    case ParameterId::FirstHarmonic: return QStringLiteral("1st Harmonic: \t");
    case ParameterId::Split: return QStringLiteral("Split: \t");
    case ParameterId::Range: return QStringLiteral("Range: \t");
    case ParameterId::InputLevel: return QStringLiteral("Input Lvl: \t");
    case ParameterId::HarmonicPitch: return QStringLiteral("Harmonic pitch: \t");
    case ParameterId::WaveClip: return QStringLiteral("Clip: \t");
    case ParameterId::DominantNotesCut: return QStringLiteral("Dominant notes cut: \t");
    case ParameterId::HighNotesCut: return QStringLiteral("High notes cut: \t");
    case ParameterId::DryHpf: return QStringLiteral("Dry HPF: \t");
    case ParameterId::LimitRangeUp: return QStringLiteral("Limit Range UP: \t");
    default: break;
    }
    return parameterName + QStringLiteral(": \t");
}

} // namespace Messages
