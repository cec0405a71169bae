#include "console/Maintenance.h"

#include "app/Editor.h"

Maintenance::Maintenance(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void Maintenance::EraseEEPROM(const QString& /*i2cAddr*/)
{
}

void Maintenance::ReadEEPROM(const QString& /*i2cAddr*/)
{
}

void Maintenance::menuEraseSettingsClick()
{
}

void Maintenance::unsolicitedBytes(const uint8_t* /*data*/, uint32_t /*count*/)
{
}
