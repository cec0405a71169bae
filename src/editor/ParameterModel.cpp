#include "editor/ParameterModel.h"

#include "link/Hex.h"

namespace {

// Which parameter each word of the address table belongs to; words 9 to 11
// belong to none the editor shows.
constexpr int kUnused = -1;
constexpr std::array<int, kAddressWords> kWordParameter = {
    static_cast<int>(ParameterId::Dry),
    static_cast<int>(ParameterId::SubMix),
    static_cast<int>(ParameterId::Minus1Oct),
    static_cast<int>(ParameterId::Minus2Oct),
    static_cast<int>(ParameterId::Wave),
    static_cast<int>(ParameterId::LowPass),
    static_cast<int>(ParameterId::HighPass),
    static_cast<int>(ParameterId::FirstHarmonic),
    static_cast<int>(ParameterId::Split),
    kUnused,
    kUnused,
    kUnused,
    static_cast<int>(ParameterId::InputLevel),
    static_cast<int>(ParameterId::HarmonicPitch),
    static_cast<int>(ParameterId::WaveClip),
    static_cast<int>(ParameterId::DominantNotesCut),
    static_cast<int>(ParameterId::HighNotesCut),
    static_cast<int>(ParameterId::DryHpf),
    static_cast<int>(ParameterId::LimitRangeUp),
    static_cast<int>(ParameterId::NoiseGateStatus),
    static_cast<int>(ParameterId::NoiseGateThreshold),
    static_cast<int>(ParameterId::Attack),
};

// The table starts after the three length bytes: character 7 of the line.
constexpr int kTableOffset = 6;

} // namespace

QStringList harmonicPitchTexts()
{
    QStringList texts;
    for (int n = -12; n <= 12; ++n)
        texts.append(n > 0 ? QStringLiteral("+%1").arg(n) : QString::number(n));
    return texts;
}

int harmonicPitchIndex(uint32_t value)
{
    for (int i = 0; i < static_cast<int>(harmonicPitchTable.size()); ++i)
        if (harmonicPitchTable[static_cast<size_t>(i)] == value)
            return i;
    return -1;
}

standard_parameter& ParameterModel::standard(ParameterId id)
{
    return const_cast<standard_parameter&>(static_cast<const ParameterModel*>(this)->standard(id));
}

const standard_parameter& ParameterModel::standard(ParameterId id) const
{
    switch (id) {
    case ParameterId::Dry: return dry;
    case ParameterId::SubMix: return subMix;
    case ParameterId::Minus1Oct: return minus1Oct;
    case ParameterId::Minus2Oct: return minus2Oct;
    case ParameterId::Wave: return wave;
    case ParameterId::LowPass: return lowPass;
    case ParameterId::HighPass: return highPass;
    case ParameterId::FirstHarmonic: return firstHarmonic;
    case ParameterId::Split: return split;
    case ParameterId::Range: return range;
    default: break;
    }
    Q_ASSERT_X(false, "ParameterModel::standard", "not a standard parameter");
    return dry;
}

assignable_parameter& ParameterModel::assignable(ParameterId id)
{
    return const_cast<assignable_parameter&>(static_cast<const ParameterModel*>(this)->assignable(id));
}

const assignable_parameter& ParameterModel::assignable(ParameterId id) const
{
    switch (id) {
    case ParameterId::InputLevel: return inputLevel;
    case ParameterId::HarmonicPitch: return harmonicPitch;
    case ParameterId::WaveClip: return waveClip;
    case ParameterId::DominantNotesCut: return dominantNotesCut;
    case ParameterId::HighNotesCut: return highNotesCut;
    case ParameterId::DryHpf: return dryHpf;
    case ParameterId::LimitRangeUp: return limitRangeUp;
    case ParameterId::NoiseGateStatus: return noiseGateStatus;
    case ParameterId::NoiseGateThreshold: return noiseGateThreshold;
    case ParameterId::Attack: return attack;
    default: break;
    }
    Q_ASSERT_X(false, "ParameterModel::assignable", "not an assignable parameter");
    return inputLevel;
}

uint32_t ParameterModel::value(ParameterId id) const
{
    return isAssignable(id) ? assignable(id).value : standard(id).value;
}

void ParameterModel::setValue(ParameterId id, uint32_t v)
{
    if (isAssignable(id))
        assignable(id).value = v;
    else
        standard(id).value = v;
}

uint16_t ParameterModel::address(ParameterId id) const
{
    return isAssignable(id) ? assignable(id).address : standard(id).address;
}

QString ParameterModel::name(ParameterId id) const
{
    return isAssignable(id) ? assignable(id).parameter_name : standard(id).parameter_name;
}

std::array<uint32_t, kParameterCount> ParameterModel::values() const
{
    std::array<uint32_t, kParameterCount> out{};
    for (int k = 0; k < kParameterCount; ++k)
        out[static_cast<size_t>(k)] = value(static_cast<ParameterId>(k));
    return out;
}

void ParameterModel::setValues(const std::array<uint32_t, kParameterCount>& v)
{
    for (int k = 0; k < kParameterCount; ++k)
        setValue(static_cast<ParameterId>(k), v[static_cast<size_t>(k)]);
}

bool parseAddressTable(const QString& imageLine, AddressTable& table, QString* error)
{
    const int needed = kTableOffset + 4 * kAddressWords;
    if (imageLine.size() < needed) {
        if (error)
            *error = QStringLiteral("the effect image holds %1 characters, its address table needs %2")
                         .arg(imageLine.size())
                         .arg(needed);
        return false;
    }
    AddressTable words{};
    for (int k = 0; k < kAddressWords; ++k) {
        const QString digits = imageLine.mid(kTableOffset + 4 * k, 4);
        const std::optional<QByteArray> bytes = Hex::hexToByteArray(digits);
        if (!bytes || bytes->size() != 2) {
            if (error)
                *error = QStringLiteral("address word %1 of the effect image is not hexadecimal: %2").arg(k).arg(digits);
            return false;
        }
        words[static_cast<size_t>(k)] =
            static_cast<uint16_t>(static_cast<uint8_t>(bytes->at(0)) * 256 + static_cast<uint8_t>(bytes->at(1)));
    }
    table = words;
    return true;
}

bool readParameterAddresses(const QStringList& imageText, ParameterModel& model, QString* error)
{
    AddressTable table{};
    // Nothing is stored unless the whole table reads: half an effect's
    // addresses mixed with another's would send values to wrong places.
    if (!parseAddressTable(imageText.isEmpty() ? QString() : imageText.first(), table, error))
        return false;
    for (int k = 0; k < kAddressWords; ++k) {
        const int parameter = kWordParameter[static_cast<size_t>(k)];
        if (parameter == kUnused)
            continue;
        const auto id = static_cast<ParameterId>(parameter);
        if (model.isAssignable(id))
            model.assignable(id).address = table[static_cast<size_t>(k)];
        else
            model.standard(id).address = table[static_cast<size_t>(k)];
    }
    return true;
}
