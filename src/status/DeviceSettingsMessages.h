#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The pedal-wide settings as two-byte messages, and what the status reply says
// of them. Plain code, shared by the Settings menu and its tests.
namespace DeviceSettingsMessages {

constexpr int kMidiChannels = 17; // OMNI, then 1 to 16
constexpr int kOmni = 0;

// "1001" store the bypass state, "10FF" do not.
QString storeBypassStatus(bool store);
// "07" and the channel: "00" for OMNI, "01" to "10" for 1 to 16.
QString midiChannel(int channel);
// The channel byte of a menu item's text: "OMNI" is 0, "1" to "16" their number.
std::optional<int> midiChannelOfText(const QString& text);
// "1101" load the first preset at power on, "11FF" do not.
QString loadFirstPreset(bool on);

// Reply bytes. nullopt: the byte means nothing, and the menu stays as it is.
std::optional<bool> decodeStoreBypassStatus(uint8_t byte); // 1 on, 0 off
std::optional<int> decodeMidiChannel(uint8_t byte);        // 0 and 255 OMNI, 1 to 16
std::optional<bool> decodeLoadFirstPreset(uint8_t byte);   // 1 on, 255 off

} // namespace DeviceSettingsMessages
