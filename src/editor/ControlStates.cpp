#include "editor/ControlStates.h"

#include "editor/DialMath.h"

namespace ControlStates {

namespace {
using Id = ParameterId;
namespace Codes = ParameterCodes;
} // namespace

Kind kindOf(Id id)
{
    switch (id) {
    case Id::LowPass:
    case Id::HighPass:
    case Id::Range: return Kind::SteppedKnob;
    case Id::Wave:
    case Id::Split:
    case Id::LimitRangeUp:
    case Id::NoiseGateStatus:
    case Id::Attack: return Kind::Switch;
    case Id::DominantNotesCut:
    case Id::HighNotesCut: return Kind::CheckBox;
    case Id::HarmonicPitch: return Kind::List;
    default: return Kind::Knob;
    }
}

namespace {
int stepsOf(Id id)
{
    switch (id) {
    case Id::LowPass: return kLowPassSteps;
    case Id::HighPass: return kHighPassSteps;
    case Id::Range: return kRangeSteps;
    default: return 0;
    }
}

// The codes of a switch's two positions.
struct Codes2 {
    uint32_t on;
    uint32_t off;
};
Codes2 switchCodes(Id id)
{
    switch (id) {
    case Id::Wave: return {Codes::kWaveOn, Codes::kWaveOff};
    case Id::Attack: return {Codes::kAttackSlow, Codes::kAttackFast};
    default: return {Codes::kOn, Codes::kOff};
    }
}
} // namespace

std::optional<State> stateFor(ParameterId id, uint32_t value)
{
    switch (kindOf(id)) {
    case Kind::Knob: return DialMath::normalizeAngle(DialMath::valueToDialAngle(value));
    case Kind::SteppedKnob: return DialMath::normalizeAngle(DialMath::valueToDialAngle(value, stepsOf(id)));
    case Kind::Switch:
        if (id == Id::LimitRangeUp || id == Id::NoiseGateStatus)
            return value == Codes::kOn ? 1 : 0; // any other code shows off
        if (value == switchCodes(id).on)
            return 1;
        if (value == switchCodes(id).off)
            return 0;
        return std::nullopt;
    case Kind::CheckBox: return value == Codes::kOn ? 1 : 0;
    case Kind::List: {
        const int index = harmonicPitchIndex(value);
        return index >= 0 ? std::optional<State>(index) : std::nullopt;
    }
    }
    return std::nullopt;
}

uint32_t valueFor(ParameterId id, State state)
{
    switch (kindOf(id)) {
    case Kind::Knob:
    case Kind::SteppedKnob: return levelWord(DialMath::dialToLevel(state));
    case Kind::Switch: return state ? switchCodes(id).on : switchCodes(id).off;
    case Kind::CheckBox: return state ? Codes::kOn : Codes::kOff;
    case Kind::List: return harmonicPitchTable[static_cast<size_t>(state)];
    }
    return 0;
}

int sendCount(ParameterId id)
{
    return id == Id::Attack ? 3 : 1;
}

const std::array<ParameterId, kParameterCount>& showOrder()
{
    static const std::array<ParameterId, kParameterCount> order = {
        Id::Dry,          Id::SubMix,           Id::Minus1Oct,    Id::Minus2Oct,    Id::Wave,
        Id::LowPass,      Id::HighPass,         Id::FirstHarmonic, Id::Split,       Id::Range,
        Id::InputLevel,   Id::WaveClip,         Id::HarmonicPitch, Id::DominantNotesCut, Id::HighNotesCut,
        Id::DryHpf,       Id::LimitRangeUp,     Id::NoiseGateStatus, Id::NoiseGateThreshold, Id::Attack,
    };
    return order;
}

void show(States& shown, const std::array<uint32_t, kParameterCount>& values)
{
    for (ParameterId id : showOrder())
        if (const std::optional<State> state = stateFor(id, values[static_cast<size_t>(id)]))
            shown[static_cast<size_t>(id)] = state;
}

QList<Write> put(States& shown, const std::array<uint32_t, kParameterCount>& values, bool tuningSet,
                 int* noteCutRefused)
{
    QList<Write> writes;
    int refused = 0;
    for (ParameterId id : showOrder()) {
        const auto k = static_cast<size_t>(id);
        std::optional<State> state = stateFor(id, values[k]);
        if (!state || state == shown[k])
            continue;
        if (kindOf(id) == Kind::CheckBox && !tuningSet) {
            // The box is cleared at once, and its "off" goes out.
            ++refused;
            shown[k] = 0;
            writes.append({id, valueFor(id, 0)});
            continue;
        }
        const uint32_t value = valueFor(id, *state);
        if (kindOf(id) == Kind::Knob || kindOf(id) == Kind::SteppedKnob) {
            // A knob left in the dead zone between its ends shows the end it sent.
            int snapped = *state;
            DialMath::dialToLevel(*state, &snapped);
            state = snapped;
        }
        shown[k] = state;
        for (int i = 0; i < sendCount(id); ++i)
            writes.append({id, value});
    }
    if (noteCutRefused)
        *noteCutRefused = refused;
    return writes;
}

} // namespace ControlStates
