#include "tracking/InstrumentRange.h"

#include "app/Editor.h"

InstrumentRange::InstrumentRange(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void InstrumentRange::menuStandardClick()
{
}

void InstrumentRange::menuLowClick()
{
}

void InstrumentRange::menuRangeLimitONClick()
{
}

void InstrumentRange::menuRangeLimitOFFClick()
{
}

void InstrumentRange::decodeInstrumentRange(int /*index*/)
{
}
