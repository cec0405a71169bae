#include "status/PedalStatus.h"

#include "link/Hex.h"
#include "status/DeviceSettingsMessages.h"

namespace {
std::optional<int> decimal(const QString& digits)
{
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}
} // namespace

std::optional<PedalStatus> PedalStatus::decode(const QByteArray& fields)
{
    if (fields.size() < kFieldCount)
        return std::nullopt;
    const auto byte = [&fields](int i) { return static_cast<uint8_t>(fields.at(i)); };

    PedalStatus s;
    s.fields = fields.left(kFieldCount);
    s.firmware = byte(kFirmwareField);
    s.algorithmText = Hex::hex(byte(kAlgorithmField), 2) + Hex::hex(byte(kAlgorithmField + 1), 2);
    s.algorithm = decimal(s.algorithmText);
    s.effectText = Hex::hex(byte(kEffectField), 2);
    s.effect = decimal(s.effectText);
    s.footswitchMode = byte(kFootswitchField);
    s.tuning = byte(kTuningField);
    s.semitoneVariation = static_cast<int8_t>(byte(kSemitoneField));
    s.assignments = *Messages::readAssignments(s.fields, kAssignmentField);
    const uint8_t bypass = byte(kBypassField);
    if (bypass <= 1)
        s.bypass = bypass == 1;
    s.storeBypass = DeviceSettingsMessages::decodeStoreBypassStatus(byte(kStoreBypassField));
    s.instrument = byte(kInstrumentField);
    s.midiChannel = DeviceSettingsMessages::decodeMidiChannel(byte(kMidiChannelField));
    for (int k = 0; k < kParameterCount; ++k)
        s.values[static_cast<size_t>(k)] = *Messages::readValue(s.fields, kValueField + 4 * k);
    s.loadFirstPreset = DeviceSettingsMessages::decodeLoadFirstPreset(byte(kLoadFirstPresetField));
    return s;
}
