#pragma once

#include <cstdint>

// The check marks of the Settings menu: what the pedal holds, or what was
// just chosen.
class SettingsView {
public:
    virtual ~SettingsView() = default;
    virtual void showStoreBypassStatus(bool store) = 0;
    // The channel's item checked (0 OMNI, 1 to 16); -1 checks none.
    virtual void showMidiChannel(int channel) = 0;
    virtual void showLoadFirstPresetAtStartup(bool on) = 0;
    // Standard or Low, by the instrument's code.
    virtual void showInstrument(uint8_t code) = 0;
    virtual void showRangeLimit(bool on) = 0;
};
