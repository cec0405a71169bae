#pragma once

#include <QList>
#include <QString>

#include <cstdint>

class Editor;
class QAction;
struct PedalStatus;

// The pedal-wide settings in the Settings menu: bypass storing, MIDI channel,
// first preset at power on. Each choice is sent at once; the status reply
// shows what the pedal holds.
class DeviceSettingsHandler {
public:
    explicit DeviceSettingsHandler(Editor& editor);

    // The seventeen channel items under "Channel": OMNI, then 1 to 16.
    void buildMidiMenu();
    const QList<QAction*>& midiChannelItems() const { return midiChannelItems_; }

    void menuStoreBypassStatusClick();
    void menuDoNotStoreBypassStatusClick();
    void ChangeStoreBypassStatus(bool store);
    // The handler of every channel item; channel is the item's place in the table.
    void menuMIDIchannelsClickItem(int channel);
    void menuLoadFirstPresetAtStartupClick();

    // The menus' parts of a status reply.
    void decodeStoreBypassStatus(const PedalStatus& status);
    void decodeMidiChannel(const PedalStatus& status);
    void decodeLoadFirstPreset(const PedalStatus& status);

private:
    void showMidiChannel(int channel);

    Editor& editor_;
    QList<QAction*> midiChannelItems_;
    int checkedMidiChannel_ = -1; // -1: no item checked
};
