#include "virtualpedal/StatusReply.h"

namespace StatusReply {

QList<uint8_t> values(const PedalModel& m)
{
    QList<uint8_t> v;
    v.reserve(kValueCount);
    v << m.firmwareVersion << m.algorithmHigh << m.algorithmLow << m.effectNumber << m.footswitchMode
      << m.tuning << m.semitones;
    for (uint8_t flag : m.assignedFlags)
        v << flag;
    for (uint16_t address : m.assignedAddresses)
        v << uint8_t(address >> 8) << uint8_t(address & 0xFF);
    v << m.bypass << m.storeBypass << m.instrumentRange << m.midiChannel;
    for (uint32_t value : m.values)
        v << uint8_t(value >> 24) << uint8_t(value >> 16) << uint8_t(value >> 8) << uint8_t(value);
    v << m.powerOnPreset;
    return v;
}

QByteArray text(const QList<uint8_t>& values)
{
    QByteArray out;
    out.reserve(values.size() * 5);
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += '\n';
        out += QByteArray::number(values.at(i));
        out += '\r';
    }
    return out;
}

QByteArray text(const PedalModel& model, int shortValues, bool garbled)
{
    QList<uint8_t> v = values(model);
    if (shortValues >= 0 && shortValues < v.size())
        v = v.mid(0, shortValues);
    QByteArray out = text(v);
    if (garbled && !out.isEmpty()) {
        // A letter where the first number's digits belong: the editor must not
        // take this for a firmware version.
        const int end = out.indexOf('\r');
        out.replace(0, end < 0 ? out.size() : end, QByteArrayLiteral("1?"));
    }
    return out;
}

} // namespace StatusReply
