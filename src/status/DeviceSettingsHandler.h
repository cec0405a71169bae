#pragma once

#include "session/Outcome.h"

#include <QString>

class Log;
class PedalSession;
class SettingsView;
struct PedalStatus;

// The pedal-wide settings in the Settings menu: bypass storing, MIDI channel,
// first preset at power on. Each choice is sent at once; the status reply
// shows what the pedal holds.
class DeviceSettingsHandler {
public:
    DeviceSettingsHandler(PedalSession& session, Log& log);
    void setView(SettingsView* view) { view_ = view; }

    // The text of the channel's item under "Channel": OMNI, then 1 to 16.
    static QString midiChannelText(int channel);

    Outcome menuStoreBypassStatusClick();
    Outcome menuDoNotStoreBypassStatusClick();
    Outcome ChangeStoreBypassStatus(bool store);
    // The handler of every channel item; channel is the item's place in the table.
    Outcome menuMIDIchannelsClickItem(int channel);
    // on: the item's check mark after the click.
    Outcome menuLoadFirstPresetAtStartupClick(bool on);

    // The menus' parts of a status reply.
    void decodeStoreBypassStatus(const PedalStatus& status);
    void decodeMidiChannel(const PedalStatus& status);
    void decodeLoadFirstPreset(const PedalStatus& status);

private:
    void showMidiChannel(int channel);
    Outcome send(const QString& text);

    PedalSession& session_;
    Log& log_;
    SettingsView* view_ = nullptr;
    int checkedMidiChannel_ = -1; // -1: no item checked
};
