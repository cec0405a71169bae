#pragma once

#include <QList>
#include <QString>

#include <cstdint>

class Editor;
class QAction;

// The pedal-wide settings in the Settings menu: bypass storing, MIDI channel,
// first preset at power on. Each choice is sent at once; the status reply
// shows what the pedal holds.
class DeviceSettings {
public:
    explicit DeviceSettings(Editor& editor);

    // The seventeen channel items under "Channel": OMNI, then 1 to 16.
    void buildMidiMenu();
    const QList<QAction*>& midiChannelItems() const { return midiChannelItems_; }

    void menuStoreBypassStatusClick();
    void menuDoNotStoreBypassStatusClick();
    void ChangeStoreBypassStatus(bool store);
    // The handler of every channel item; channel is the item's place in the table.
    void menuMIDIchannelsClickItem(int channel);
    void menuLoadFirstPresetAtStartupClick();

    // Decoders of the status reply, by index into received_bytes_array.
    void decodeStoreBypassStatus(int index);
    void decodeMidiChannel(int index);
    void decodeLoadFirstPreset(int index);

private:
    // The reply byte at index; false when the reply is too short to hold it.
    bool replyByte(int index, uint8_t* byte) const;
    void showMidiChannel(int channel);

    Editor& editor_;
    QList<QAction*> midiChannelItems_;
    int checkedMidiChannel_ = -1; // -1: no item checked
};
