#include "status/DeviceSettingsHandler.h"

#include "session/PedalSession.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "status/Communication.h"
#include "status/DeviceSettingsMessages.h"
#include "status/PedalStatus.h"

#include <QAction>
#include <QMenu>

namespace Settings = DeviceSettingsMessages;

DeviceSettingsHandler::DeviceSettingsHandler(Editor& editor) : editor_(editor) {}

void DeviceSettingsHandler::buildMidiMenu()
{
    QMenu* menu = editor_.formMain->menuMIDIchannel();
    for (int channel = 0; channel < Settings::kMidiChannels; ++channel) {
        QAction* item = menu->addAction(channel == Settings::kOmni ? QStringLiteral("OMNI") : QString::number(channel));
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, menu, [this, channel] { menuMIDIchannelsClickItem(channel); });
        midiChannelItems_.append(item);
    }
}

void DeviceSettingsHandler::menuStoreBypassStatusClick()
{
    FormMain& main = *editor_.formMain;
    main.menuStoreBypassStatus()->setChecked(true);
    main.menuDoNotStoreBypassStatus()->setChecked(false);
    ChangeStoreBypassStatus(true);
}

void DeviceSettingsHandler::menuDoNotStoreBypassStatusClick()
{
    FormMain& main = *editor_.formMain;
    main.menuDoNotStoreBypassStatus()->setChecked(true);
    main.menuStoreBypassStatus()->setChecked(false);
    ChangeStoreBypassStatus(false);
}

void DeviceSettingsHandler::ChangeStoreBypassStatus(bool store)
{
    const QString text = Settings::storeBypassStatus(store);
    editor_.log().logLine(text);
    editor_.session->send(PedalOperation::PedalSetting, text);
}

void DeviceSettingsHandler::menuMIDIchannelsClickItem(int channel)
{
    if (channel < 0 || channel >= midiChannelItems_.size())
        return;
    // A click must not move the check mark: only the pedal's reply does. Qt has
    // already toggled the item, so the marks are put back as the reply left them.
    showMidiChannel(checkedMidiChannel_);

    const QString t = midiChannelItems_.at(channel)->text();
    editor_.log().appendDirect(QStringLiteral("Midi channel: ") + t);
    const std::optional<int> byte = Settings::midiChannelOfText(t);
    if (!byte)
        return;
    const QString text = Settings::midiChannel(*byte);
    editor_.log().logLine(text);
    editor_.session->send(PedalOperation::PedalSetting, text);
}

void DeviceSettingsHandler::menuLoadFirstPresetAtStartupClick()
{
    // Triggering the item has already inverted its check mark; the message
    // follows the new state.
    const bool on = editor_.formMain->menuLoadFirstPresetAtStartup()->isChecked();
    const QString text = Settings::loadFirstPreset(on);
    editor_.log().logLine(text);
    editor_.session->send(PedalOperation::PedalSetting, text);
}

void DeviceSettingsHandler::decodeStoreBypassStatus(const PedalStatus& status)
{
    const std::optional<bool> store = status.storeBypass;
    if (!store)
        return;
    FormMain& main = *editor_.formMain;
    main.menuStoreBypassStatus()->setChecked(*store);
    main.menuDoNotStoreBypassStatus()->setChecked(!*store);
    editor_.log().logLine(*store ? QStringLiteral("Store Bypass Status: ON") : QStringLiteral("Store Bypass Status: OFF"));
}

void DeviceSettingsHandler::decodeMidiChannel(const PedalStatus& status)
{
    const std::optional<int> channel = status.midiChannel;
    showMidiChannel(channel ? *channel : -1);
    if (!channel)
        return;
    editor_.log().logLine(QStringLiteral("MIDI channel: ")
                          + (*channel == Settings::kOmni ? QStringLiteral("OMNI") : QString::number(*channel)));
}

void DeviceSettingsHandler::showMidiChannel(int channel)
{
    checkedMidiChannel_ = channel;
    for (int k = 0; k < midiChannelItems_.size(); ++k)
        midiChannelItems_.at(k)->setChecked(k == channel);
}

void DeviceSettingsHandler::decodeLoadFirstPreset(const PedalStatus& status)
{
    const std::optional<bool> on = status.loadFirstPreset;
    if (!on)
        return;
    editor_.formMain->menuLoadFirstPresetAtStartup()->setChecked(*on);
    editor_.log().logLine(*on ? QStringLiteral("Load preset at power ON: TRUE")
                              : QStringLiteral("Load preset at power ON: FALSE"));
}
