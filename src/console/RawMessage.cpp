#include "console/RawMessage.h"

namespace {
bool isHexOfLength(const QString& text, int digits)
{
    if (text.size() != digits)
        return false;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
        if (!hex)
            return false;
    }
    return true;
}
} // namespace

namespace RawMessage {

std::optional<QString> parameterMessage(const QString& address, const QString& data)
{
    if (!isHexOfLength(address, 4) || !isHexOfLength(data, 8))
        return std::nullopt;
    return QStringLiteral("01") + address + data;
}

} // namespace RawMessage
