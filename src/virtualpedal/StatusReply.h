#pragma once

#include "virtualpedal/PedalModel.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

// The pedal's answer to 02 00: 107 byte values, each written as a decimal
// number ended by CR, with LF between two numbers.
namespace StatusReply {

constexpr int kValueCount = 107;

// The values by index: versions, effect, footswitch mode, tuning, the five
// assignments, bypass, device settings, the twenty values and the power-on preset.
QList<uint8_t> values(const PedalModel& model);

// "17\r\n0\r\n21\r...\r": the text of the given values.
QByteArray text(const QList<uint8_t>& values);

// The text as the faults shape it: only the first shortValues values when that
// is not negative, and a first field that is no number when garbled.
QByteArray text(const PedalModel& model, int shortValues, bool garbled);

} // namespace StatusReply
