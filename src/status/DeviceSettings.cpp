#include "status/DeviceSettings.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "status/Communication.h"
#include "link/Transport.h"
#include "status/DeviceSettingsMessages.h"

#include <QAction>
#include <QMenu>

namespace Messages = DeviceSettingsMessages;

DeviceSettings::DeviceSettings(Editor& editor) : editor_(editor) {}

void DeviceSettings::buildMidiMenu()
{
    QMenu* menu = editor_.formMain->menuMIDIchannel();
    for (int channel = 0; channel < Messages::kMidiChannels; ++channel) {
        QAction* item = menu->addAction(channel == Messages::kOmni ? QStringLiteral("OMNI") : QString::number(channel));
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, menu, [this, channel] { menuMIDIchannelsClickItem(channel); });
        midiChannelItems_.append(item);
    }
}

void DeviceSettings::menuStoreBypassStatusClick()
{
    FormMain& main = *editor_.formMain;
    main.menuStoreBypassStatus()->setChecked(true);
    main.menuDoNotStoreBypassStatus()->setChecked(false);
    ChangeStoreBypassStatus(true);
}

void DeviceSettings::menuDoNotStoreBypassStatusClick()
{
    FormMain& main = *editor_.formMain;
    main.menuDoNotStoreBypassStatus()->setChecked(true);
    main.menuStoreBypassStatus()->setChecked(false);
    ChangeStoreBypassStatus(false);
}

void DeviceSettings::ChangeStoreBypassStatus(bool store)
{
    const QString text = Messages::storeBypassStatus(store);
    editor_.log().logLine(text);
    editor_.transport->sendHex(text);
}

void DeviceSettings::menuMIDIchannelsClickItem(int channel)
{
    if (channel < 0 || channel >= midiChannelItems_.size())
        return;
    // A click must not move the check mark: only the pedal's reply does. Qt has
    // already toggled the item, so the marks are put back as the reply left them.
    showMidiChannel(checkedMidiChannel_);

    const QString t = midiChannelItems_.at(channel)->text();
    editor_.log().appendDirect(QStringLiteral("Midi channel: ") + t);
    const std::optional<int> byte = Messages::midiChannelOfText(t);
    if (!byte)
        return;
    const QString text = Messages::midiChannel(*byte);
    editor_.log().logLine(text);
    editor_.transport->sendHex(text);
}

void DeviceSettings::menuLoadFirstPresetAtStartupClick()
{
    // Triggering the item has already inverted its check mark; the message
    // follows the new state.
    const bool on = editor_.formMain->menuLoadFirstPresetAtStartup()->isChecked();
    const QString text = Messages::loadFirstPreset(on);
    editor_.log().logLine(text);
    editor_.transport->sendHex(text);
}

bool DeviceSettings::replyByte(int index, uint8_t* byte) const
{
    const QByteArray& reply = editor_.transport->received_bytes_array;
    if (index < 0 || index >= reply.size())
        return false;
    *byte = static_cast<uint8_t>(reply.at(index));
    return true;
}

void DeviceSettings::decodeStoreBypassStatus(int index)
{
    uint8_t byte = 0;
    if (!replyByte(index, &byte))
        return;
    const std::optional<bool> store = Messages::decodeStoreBypassStatus(byte);
    if (!store)
        return;
    FormMain& main = *editor_.formMain;
    main.menuStoreBypassStatus()->setChecked(*store);
    main.menuDoNotStoreBypassStatus()->setChecked(!*store);
    editor_.log().logLine(*store ? QStringLiteral("Store Bypass Status: ON") : QStringLiteral("Store Bypass Status: OFF"));
}

void DeviceSettings::decodeMidiChannel(int index)
{
    uint8_t byte = 0;
    if (!replyByte(index, &byte))
        return;
    const std::optional<int> channel = Messages::decodeMidiChannel(byte);
    showMidiChannel(channel ? *channel : -1);
    if (!channel)
        return;
    editor_.log().logLine(QStringLiteral("MIDI channel: ")
                          + (*channel == Messages::kOmni ? QStringLiteral("OMNI") : QString::number(*channel)));
}

void DeviceSettings::showMidiChannel(int channel)
{
    checkedMidiChannel_ = channel;
    for (int k = 0; k < midiChannelItems_.size(); ++k)
        midiChannelItems_.at(k)->setChecked(k == channel);
}

void DeviceSettings::decodeLoadFirstPreset(int index)
{
    uint8_t byte = 0;
    if (!replyByte(index, &byte))
        return;
    const std::optional<bool> on = Messages::decodeLoadFirstPreset(byte);
    if (!on)
        return;
    editor_.formMain->menuLoadFirstPresetAtStartup()->setChecked(*on);
    editor_.log().logLine(*on ? QStringLiteral("Load preset at power ON: TRUE")
                              : QStringLiteral("Load preset at power ON: FALSE"));
}
