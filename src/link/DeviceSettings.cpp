#include "link/DeviceSettings.h"

#include "app/Editor.h"

DeviceSettings::DeviceSettings(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void DeviceSettings::buildMidiMenu()
{
}

void DeviceSettings::menuStoreBypassStatusClick()
{
}

void DeviceSettings::menuDoNotStoreBypassStatusClick()
{
}

void DeviceSettings::menuMIDIchannelsClickItem(int /*channel*/)
{
}

void DeviceSettings::menuLoadFirstPresetAtStartupClick()
{
}

void DeviceSettings::decodeStoreBypassStatus(int /*index*/)
{
}

void DeviceSettings::decodeMidiChannel(int /*index*/)
{
}

void DeviceSettings::decodeLoadFirstPreset(int /*index*/)
{
}
