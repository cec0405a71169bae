#pragma once

#include "virtualpedal/VirtualPedal.h"

#include <QString>

// The ways the pedal's bootloader can fail a Write Memory, by the names the
// tests' tables give them: "nack" refuses the block, "silent" stops answering
// from it on, "unplug" loses the link at it, "worn" acknowledges it but keeps
// its sixth byte with a bit flipped. Block -1 lifts the fault.
inline void failWriteAt(VirtualPedal& pedal, const QString& fault, int block)
{
    if (fault == QLatin1String("nack"))
        pedal.setNackWrite(block);
    else if (fault == QLatin1String("silent"))
        pedal.setSilentFromWrite(block);
    else if (fault == QLatin1String("unplug"))
        pedal.setUnplugAtWrite(block);
    else if (fault == QLatin1String("worn"))
        pedal.setCorruptAt(block < 0 ? -1 : qint64(PedalModel::kFlashBase) + 256 * block + 5);
    else
        qFatal("no write fault named %s", qPrintable(fault));
}
