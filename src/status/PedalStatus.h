#pragma once

#include "editor/Messages.h"
#include "editor/ParameterModel.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The pedal's answer to a status request, read once into what it says: the
// versions, the running effect, the footswitch, tuning and assignments, the
// bypass, the pedal-wide settings and the twenty values. Every window and
// handler takes its part from here; none counts its way through the raw
// fields. A field whose byte means nothing to the editor is empty (nullopt),
// and whoever shows it leaves its control as it was.
struct PedalStatus {
    static constexpr int kFieldCount = 107;

    // Where each part starts in the reply.
    static constexpr int kFirmwareField = 0;
    static constexpr int kAlgorithmField = 1;
    static constexpr int kEffectField = 3;
    static constexpr int kFootswitchField = 4;
    static constexpr int kTuningField = 5;
    static constexpr int kSemitoneField = 6;
    static constexpr int kAssignmentField = 7;
    static constexpr int kBypassField = 22;
    static constexpr int kStoreBypassField = 23;
    static constexpr int kInstrumentField = 24;
    static constexpr int kMidiChannelField = 25;
    static constexpr int kValueField = 26;
    static constexpr int kLoadFirstPresetField = kValueField + 4 * kParameterCount;

    // Every field as it came, one byte each.
    QByteArray fields;

    uint8_t firmware = 0;
    // Two BCD bytes as four hexadecimal digits ("0015"), and their reading as
    // a decimal number; none when a digit is a letter.
    QString algorithmText;
    std::optional<int> algorithm;
    // The catalogue index as two hexadecimal digits ("03") and read as decimal.
    QString effectText;
    std::optional<int> effect;

    uint8_t footswitchMode = 0;
    uint8_t tuning = 0;
    int8_t semitoneVariation = 0;
    Messages::Assignments assignments;
    std::optional<bool> bypass;
    std::optional<bool> storeBypass;
    uint8_t instrument = 0;
    std::optional<int> midiChannel;
    std::array<uint32_t, kParameterCount> values{};
    std::optional<bool> loadFirstPreset;

    QString firmwareText() const { return QString::number(firmware); }

    // The reply's fields, as the transport collected them; none when they are
    // fewer than a status reply holds.
    static std::optional<PedalStatus> decode(const QByteArray& fields);
};
