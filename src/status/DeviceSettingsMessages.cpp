#include "status/DeviceSettingsMessages.h"

#include "link/Hex.h"

namespace DeviceSettingsMessages {

QString storeBypassStatus(bool store)
{
    return store ? QStringLiteral("1001") : QStringLiteral("10FF");
}

QString midiChannel(int channel)
{
    return QStringLiteral("07") + Hex::hex(static_cast<uint32_t>(channel), 2);
}

std::optional<int> midiChannelOfText(const QString& text)
{
    if (text == QLatin1String("OMNI"))
        return kOmni;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n >= kMidiChannels)
        return std::nullopt;
    return n;
}

QString loadFirstPreset(bool on)
{
    return on ? QStringLiteral("1101") : QStringLiteral("11FF");
}

std::optional<bool> decodeStoreBypassStatus(uint8_t byte)
{
    if (byte == 0 || byte == 1)
        return byte == 1;
    return std::nullopt;
}

std::optional<int> decodeMidiChannel(uint8_t byte)
{
    if (byte == 255)
        return kOmni;
    if (byte < kMidiChannels)
        return byte;
    return std::nullopt;
}

std::optional<bool> decodeLoadFirstPreset(uint8_t byte)
{
    if (byte == 1 || byte == 255)
        return byte == 1;
    return std::nullopt;
}

} // namespace DeviceSettingsMessages
