#pragma once

#include <QString>

// What the firmware procedure needs of the main window until it is a handler
// of its own: the check mark of "Upgrade Mode", the status line and the
// upgrade window's place.
class FirmwareView {
public:
    virtual ~FirmwareView() = default;
    virtual void showStatusText(const QString& text) = 0;
    virtual bool isUpgradeModeChecked() const = 0;
    virtual void setUpgradeModeChecked(bool checked) = 0;
    // The upgrade window shown below the main window.
    virtual void showUpgradeWindow() = 0;
};
