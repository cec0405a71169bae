#pragma once

#include "virtualpedal/VirtualPedal.h"

#include <QString>

// The three ways the pedal's bootloader can fail a Write Memory, by the names
// the tests' tables give them: "nack" refuses the block, "silent" stops
// answering from it on, "unplug" loses the link at it. Block -1 lifts the fault.
inline void failWriteAt(VirtualPedal& pedal, const QString& fault, int block)
{
    if (fault == QLatin1String("nack"))
        pedal.setNackWrite(block);
    else if (fault == QLatin1String("silent"))
        pedal.setSilentFromWrite(block);
    else if (fault == QLatin1String("unplug"))
        pedal.setUnplugAtWrite(block);
    else
        qFatal("no write fault named %s", qPrintable(fault));
}
