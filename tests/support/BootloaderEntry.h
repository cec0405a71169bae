#pragma once

#include "EditorFixture.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "firmware/FirmwareUpgrade.h"
#include "status/Communication.h"
#include "virtualpedal/VirtualPedal.h"

#include <QAction>

// The editor on a pedal whose bootloader it reaches, by either way in.
struct BootloaderEntry : EditorFixture {
    QAction* upgradeMode() { return main().item(QStringLiteral("menuFirmwareUpgradeMode")); }
    FirmwareUpgrade& window() { return *editor().formFirmwareUpgrade; }

    // A pedal with firmware 16, linked; then "Upgrade Mode" with SHIFT held.
    void enterByCommand()
    {
        pedal().setFirmwareVersion(16);
        startLinked();
        pedal().setShiftHeld(true);
        upgradeMode()->trigger();
    }
    // An old pedal powered up with SHIFT held, "Upgrade Mode", then the link.
    void enterByPowerUp()
    {
        pedal().setFirmwareVersion(8);
        pedal().setShiftHeld(true);
        pedal().powerCycle();
        start();
        upgradeMode()->trigger();
        comm().scanAndLink();
    }
};
