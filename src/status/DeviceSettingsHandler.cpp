#include "status/DeviceSettingsHandler.h"

#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/DeviceSettingsMessages.h"
#include "status/PedalStatus.h"
#include "status/SettingsView.h"

namespace Settings = DeviceSettingsMessages;

DeviceSettingsHandler::DeviceSettingsHandler(PedalSession& session, Log& log) : session_(session), log_(log) {}

QString DeviceSettingsHandler::midiChannelText(int channel)
{
    return channel == Settings::kOmni ? QStringLiteral("OMNI") : QString::number(channel);
}

Outcome DeviceSettingsHandler::send(const QString& text)
{
    return session_.sendMessage(PedalOperation::PedalSetting, text);
}

Outcome DeviceSettingsHandler::menuStoreBypassStatusClick()
{
    if (view_)
        view_->showStoreBypassStatus(true);
    return ChangeStoreBypassStatus(true);
}

Outcome DeviceSettingsHandler::menuDoNotStoreBypassStatusClick()
{
    if (view_)
        view_->showStoreBypassStatus(false);
    return ChangeStoreBypassStatus(false);
}

Outcome DeviceSettingsHandler::ChangeStoreBypassStatus(bool store)
{
    const QString text = Settings::storeBypassStatus(store);
    log_.logLine(text);
    return send(text);
}

Outcome DeviceSettingsHandler::menuMIDIchannelsClickItem(int channel)
{
    if (channel < 0 || channel >= Settings::kMidiChannels)
        return Outcome::Refused;
    // A click must not move the check mark: only the pedal's reply does. Qt has
    // already toggled the item, so the marks are put back as the reply left them.
    showMidiChannel(checkedMidiChannel_);

    const QString t = midiChannelText(channel);
    log_.appendDirect(QStringLiteral("Midi channel: ") + t);
    const std::optional<int> byte = Settings::midiChannelOfText(t);
    if (!byte)
        return Outcome::Refused;
    const QString text = Settings::midiChannel(*byte);
    log_.logLine(text);
    return send(text);
}

Outcome DeviceSettingsHandler::menuLoadFirstPresetAtStartupClick(bool on)
{
    // Triggering the item has already inverted its check mark; the message
    // follows the new state.
    const QString text = Settings::loadFirstPreset(on);
    log_.logLine(text);
    return send(text);
}

void DeviceSettingsHandler::decodeStoreBypassStatus(const PedalStatus& status)
{
    const std::optional<bool> store = status.storeBypass;
    if (!store)
        return;
    if (view_)
        view_->showStoreBypassStatus(*store);
    log_.logLine(*store ? QStringLiteral("Store Bypass Status: ON") : QStringLiteral("Store Bypass Status: OFF"));
}

void DeviceSettingsHandler::decodeMidiChannel(const PedalStatus& status)
{
    const std::optional<int> channel = status.midiChannel;
    showMidiChannel(channel ? *channel : -1);
    if (!channel)
        return;
    log_.logLine(QStringLiteral("MIDI channel: ") + midiChannelText(*channel));
}

void DeviceSettingsHandler::showMidiChannel(int channel)
{
    checkedMidiChannel_ = channel;
    if (view_)
        view_->showMidiChannel(channel);
}

void DeviceSettingsHandler::decodeLoadFirstPreset(const PedalStatus& status)
{
    const std::optional<bool> on = status.loadFirstPreset;
    if (!on)
        return;
    if (view_)
        view_->showLoadFirstPresetAtStartup(*on);
    log_.logLine(*on ? QStringLiteral("Load preset at power ON: TRUE") : QStringLiteral("Load preset at power ON: FALSE"));
}
