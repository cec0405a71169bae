// The console's raw sender: an address and data as typed.

#include "FuzzInput.h"

#include "console/RawMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QString address = in.field();
    const QString value = in.field();
    const std::optional<QString> message = RawMessage::parameterMessage(address, value);
    if (message) {
        // Only a whole parameter message goes out: 01, four digits, eight digits.
        if (message->size() != 14 || !message->startsWith(QLatin1String("01")))
            __builtin_trap();
        for (QChar c : *message)
            if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
                  || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
                __builtin_trap();
    }
    return 0;
}
