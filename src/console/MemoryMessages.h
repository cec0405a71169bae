#pragma once

#include <QString>

// The requests to the pedal's settings memories, as hexadecimal text. A memory
// is named by its bus address as two hexadecimal digits ("50", "51"), as the
// console's list offers them. Plain code.
namespace MemoryMessages {

// The memory that holds the pedal's settings: what "Erase Settings" erases
// and then checks.
QString settingsMemory();
// "0B", the bus address, "00" and "0000": every byte of that memory becomes FF.
QString erase(const QString& busAddress);
// "0C", the bus address, "0000" and "0000": the pedal sends AB and the memory's
// 16384 bytes (see MemoryDump).
QString read(const QString& busAddress);

} // namespace MemoryMessages
