#pragma once

#include <QString>

// The firmware's requests about the pedal as a whole, as the hexadecimal text
// every command starts as. Plain code.
namespace StatusMessages {

// "0200": the pedal answers with its status reply.
QString statusRequest();
// "0500010203040506": the firmware hands over to its bootloader, which takes
// the line once SHIFT is held on the pedal.
QString bootloaderEntry();

} // namespace StatusMessages
