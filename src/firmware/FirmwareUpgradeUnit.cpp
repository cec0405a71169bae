#include "firmware/FirmwareUpgradeUnit.h"

#include "app/Editor.h"

FirmwareUpgradeUnit::FirmwareUpgradeUnit(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void FirmwareUpgradeUnit::menuFirmwareUpgradeModeClick()
{
}

void FirmwareUpgradeUnit::menuStartFirmwareUpgradeClick()
{
}

void FirmwareUpgradeUnit::StartFirmwareUpgrade()
{
}
