#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// The twenty parameters of the running effect, as the effect settings window
// owns them, and the small pieces of state shared by its handlers. Plain data:
// the window reads and writes it, the message builders and the preset files
// read it, and nothing here touches a widget or the link.

// A parameter the pedal offers as a physical control. The fields stay in
// their long-standing order, unused ones included.
struct standard_parameter {
    standard_parameter(const QString& name, uint16_t address, uint8_t numOfAddresses)
        : num_of_addresses(numOfAddresses), parameter_name(name), address(address)
    {
    }

    bool is_assigned = false;
    uint8_t num_of_addresses = 1;
    QString parameter_name;
    uint8_t parameter_type = 0;
    bool control_type = false;
    uint32_t value = 0;
    uint16_t address = 0x0000;
};

// A parameter without a physical control; the pedal's control inputs can be
// assigned to it, and Save Parameters stores its value in the pedal.
struct assignable_parameter {
    assignable_parameter(const QString& name, uint16_t address, bool isAssigned)
        : address(address), is_assigned(isAssigned), parameter_name(name)
    {
    }

    uint16_t address = 0xFFFF;
    bool is_assigned = false;
    // Also the text of its entry in the assignment lists: the assign message
    // finds the parameter by this name, so names are unique.
    QString parameter_name;
    bool control_type = false;
    uint32_t value = 0;
};

// The twenty values in the order the status reply and the preset files carry them.
enum class ParameterId : int {
    Dry,
    SubMix,
    Minus1Oct,
    Minus2Oct,
    Wave,
    LowPass,
    HighPass,
    FirstHarmonic,
    Split,
    Range,
    InputLevel,
    HarmonicPitch,
    WaveClip,
    DominantNotesCut,
    HighNotesCut,
    DryHpf,
    LimitRangeUp,
    NoiseGateStatus,
    NoiseGateThreshold,
    Attack,
};
constexpr int kParameterCount = 20;
constexpr int kAssignableCount = 10;

// The assignable ones in the order the pedal's permanent store (and the
// defaults) take them.
constexpr std::array<ParameterId, kAssignableCount> kAssignableOrder = {
    ParameterId::InputLevel,       ParameterId::HarmonicPitch,   ParameterId::WaveClip,
    ParameterId::DominantNotesCut, ParameterId::HighNotesCut,    ParameterId::DryHpf,
    ParameterId::LimitRangeUp,     ParameterId::NoiseGateStatus, ParameterId::NoiseGateThreshold,
    ParameterId::Attack,
};

// Values of the "1st Harmonic Pitch" list, -12 to +12 semitones in list order:
// 0.25 at -12, 0.5 at 0 and 1.0 at +12 in the pedal's 23-bit fixed point,
// linear in each half and always a multiple of 8.
constexpr std::array<uint32_t, 25> harmonicPitchTable = {
    0x00200000, 0x0022AAA8, 0x00255558, 0x00280000, 0x002AAAA8, 0x002D5558, 0x00300000,
    0x0032AAA8, 0x00355558, 0x00380000, 0x003AAAA8, 0x003D5558, 0x00400000, 0x00455558,
    0x004AAAA8, 0x00500000, 0x00555558, 0x005AAAA8, 0x00600000, 0x00655558, 0x006AAAA8,
    0x00700000, 0x00755558, 0x007AAAA8, 0x00800000,
};
// The list texts "-12" ... "-1", "0", "+1" ... "+12".
QStringList harmonicPitchTexts();
// The list index whose value equals value, or -1.
int harmonicPitchIndex(uint32_t value);

// A dial's level 0..1023 as the pedal takes it: level << 13, so 0x00800000
// (one step above the highest level word) stands for 1.0.
constexpr uint32_t levelWord(int level)
{
    return static_cast<uint32_t>(level) << 13;
}

// Steps in which the pedal reports the three stepped knobs; the window
// always sends them as level words.
constexpr int kLowPassSteps = 24;
constexpr int kHighPassSteps = 16;
constexpr int kRangeSteps = 22;

// The switch and check-box codes the pedal understands.
namespace ParameterCodes {
constexpr uint32_t kWaveOn = 0x00400000;
constexpr uint32_t kWaveOff = 0x00600000;
constexpr uint32_t kAttackSlow = 0x00000800; // switch on
constexpr uint32_t kAttackFast = 0x00008000; // switch off
constexpr uint32_t kOn = 1;
constexpr uint32_t kOff = 0;
} // namespace ParameterCodes

// The pedal's four control inputs and its remote footswitch.
enum class Control : int { One, Two, Three, Four, Remote };
constexpr int kControlCount = 5;

class ParameterModel {
public:
    ParameterModel() = default;

    // Created in this order: the assignable ones first.
    assignable_parameter inputLevel{QStringLiteral("Input Level"), 0xFFFF, false};
    assignable_parameter harmonicPitch{QStringLiteral("1st Harmonic Pitch"), 0xFFFF, false};
    assignable_parameter waveClip{QStringLiteral("Wave Clip"), 0xFFFF, false};
    assignable_parameter dominantNotesCut{QStringLiteral("Dominant Notes Cut"), 0xFFFF, false};
    assignable_parameter highNotesCut{QStringLiteral("High Notes Cut"), 0xFFFF, false};
    assignable_parameter dryHpf{QStringLiteral("Dry HPF"), 0xFFFF, false};
    assignable_parameter limitRangeUp{QStringLiteral("Limit Range UP"), 0xFFFF, false};
    assignable_parameter noiseGateStatus{QStringLiteral("Noise Gate Status"), 0xFFFF, false};
    assignable_parameter noiseGateThreshold{QStringLiteral("Noise Gate Threshold"), 0xFFFF, false};
    assignable_parameter attack{QStringLiteral("Attack"), 0xFFFF, false};

    standard_parameter dry{QStringLiteral("Dry"), 0x0000, 1};
    standard_parameter minus1Oct{QStringLiteral("-1 Oct"), 0x0000, 1};
    standard_parameter subMix{QStringLiteral("Sub Mix"), 0x0000, 1};
    standard_parameter minus2Oct{QStringLiteral("-2 Oct"), 0x0000, 1};
    standard_parameter lowPass{QStringLiteral("Low Pass"), 0x0000, 1};
    standard_parameter highPass{QStringLiteral("High Pass"), 0x0000, 1};
    standard_parameter range{QStringLiteral("Range"), 0x0000, 1};
    standard_parameter firstHarmonic{QStringLiteral("1st Harmonic"), 0x0000, 1};
    standard_parameter wave{QStringLiteral("Wave"), 0x0000, 1};
    standard_parameter split{QStringLiteral("Split"), 0x0000, 1};

    // True while the control's list shows an entry other than "Not Assigned".
    std::array<bool, kControlCount> controlAssigned{};
    // Index of the selected instrument tuning; 0 is "No Tuning Selected".
    uint8_t currentTuning = 0;
    // Semitones, -5 to +3.
    int8_t semitoneVariation = 0;
    // The hidden "Enable All Parameters" item.
    bool allParametersEnabled = false;

    // The parameters by their place in the status reply.
    bool isAssignable(ParameterId id) const { return static_cast<int>(id) >= static_cast<int>(ParameterId::InputLevel); }
    standard_parameter& standard(ParameterId id);
    const standard_parameter& standard(ParameterId id) const;
    assignable_parameter& assignable(ParameterId id);
    const assignable_parameter& assignable(ParameterId id) const;
    uint32_t value(ParameterId id) const;
    void setValue(ParameterId id, uint32_t value);
    uint16_t address(ParameterId id) const;
    QString name(ParameterId id) const;

    // The twenty values in status-reply order, and all of them at once.
    std::array<uint32_t, kParameterCount> values() const;
    void setValues(const std::array<uint32_t, kParameterCount>& values);
};

// Words of the parameter address table at the start of an effect image.
constexpr int kAddressWords = 22;
using AddressTable = std::array<uint16_t, kAddressWords>;

// Reads the 22 address words from the first line of an effect image's text
// (the line of hexadecimal digits). False, with a reason in error, when the
// line is too short or a word is not hexadecimal.
bool parseAddressTable(const QString& imageLine, AddressTable& table, QString* error = nullptr);

// Sets the addresses of nineteen parameters from the first line of the image
// text ("Range" has no word and keeps 0x0000; words 9 to 11 are unused). A
// malformed table changes no address and returns false with the reason.
bool readParameterAddresses(const QStringList& imageText, ParameterModel& model, QString* error = nullptr);
