#include "console/MemoryMessages.h"

namespace MemoryMessages {

QString settingsMemory()
{
    return QStringLiteral("50");
}

QString erase(const QString& busAddress)
{
    return QStringLiteral("0B") + busAddress + QStringLiteral("00") + QStringLiteral("0000");
}

QString read(const QString& busAddress)
{
    return QStringLiteral("0C") + busAddress + QStringLiteral("0000") + QStringLiteral("0000");
}

} // namespace MemoryMessages
