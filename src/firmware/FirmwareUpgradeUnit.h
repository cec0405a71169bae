#pragma once

#include <QString>

#include <cstdint>

class Editor;

// The firmware upgrade through the bootloader.
class FirmwareUpgradeUnit {
public:
    explicit FirmwareUpgradeUnit(Editor& editor);

    void menuFirmwareUpgradeModeClick();
    void menuStartFirmwareUpgradeClick();
    void StartFirmwareUpgrade();

private:
    Editor& editor_;
};
