#pragma once

#include <QString>

#include <cstdint>

class Editor;

// The pedal-wide settings: bypass storing, MIDI channel, first preset at power on.
class DeviceSettings {
public:
    explicit DeviceSettings(Editor& editor);

    void buildMidiMenu();
    void menuStoreBypassStatusClick();
    void menuDoNotStoreBypassStatusClick();
    void menuMIDIchannelsClickItem(int channel);
    void menuLoadFirstPresetAtStartupClick();
    void decodeStoreBypassStatus(int index);
    void decodeMidiChannel(int index);
    void decodeLoadFirstPreset(int index);

private:
    Editor& editor_;
};
