#pragma once

#include "virtualpedal/PedalModel.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>

// Two states of the pedal's twenty values for the tests of presets, editing
// and backups: A is one the effect window shows without losing a step, so it
// comes back exactly after travelling through the controls; B differs from A
// in every value.
namespace PedalStates {

using Values = std::array<uint32_t, PedalModel::kValueCount>;

// A dial level as the pedal holds it.
constexpr uint32_t level(int l)
{
    return uint32_t(l) << 13;
}

inline Values stateA()
{
    return {level(513), level(1023), 0,         level(27), 0x00600000, 0,          0, level(517), 1, 0,
            level(1023), 0x00555558, level(4),  1,         0,          level(8),   1, 1,          level(1000),
            0x00000800};
}

inline Values stateB()
{
    return {0, 0, level(1023), 0, 0x00400000, 12, 8, 0, 0, 11,
            0, 0x00400000, level(1023), 0, 1, 0, 0, 0, 0, 0x00008000};
}

// The values as a preset file's bytes: eight upper-case hex digits a line,
// CR between lines and a UTF-8 byte-order mark, as the editor saves them.
inline QByteArray fileBytes(const Values& v, const QByteArray& separator = "\r", bool bom = true)
{
    QList<QByteArray> lines;
    for (uint32_t x : v)
        lines << QByteArray::number(x, 16).toUpper().rightJustified(8, '0');
    return (bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + lines.join(separator);
}

} // namespace PedalStates
