#include "status/StatusMessages.h"

namespace StatusMessages {

QString statusRequest()
{
    return QStringLiteral("0200");
}

QString bootloaderEntry()
{
    return QStringLiteral("0500010203040506");
}

} // namespace StatusMessages
