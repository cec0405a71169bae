#include "firmware/FirmwareUpgrade.h"

#include "app/Editor.h"

FirmwareUpgrade::FirmwareUpgrade(Editor& editor) : editor_(editor)
{
    (void)editor_;
    setObjectName(QStringLiteral("formFirmwareUpgrade"));
    setWindowTitle(QStringLiteral("Firmware Upgrade"));
    setFixedSize(196, 140);
}
