#pragma once

#include <QString>

// What the firmware procedure shows in the main window: the check mark of
// "Upgrade Mode", the status line, and the upgrade window (placed below it).
class FirmwareView {
public:
    virtual ~FirmwareView() = default;
    virtual void showStatusText(const QString& text) = 0;
    virtual void setUpgradeModeChecked(bool checked) = 0;
    virtual void showUpgradeWindow() = 0;
};

// What the procedure shows in the upgrade window: how far an upgrade is, and
// the window going away when the pedal is restarted or lost.
class UpgradeView {
public:
    virtual ~UpgradeView() = default;
    virtual void showProgressMaximum(int maximum) = 0;
    virtual void showProgress(int value) = 0;
    virtual void showProgressText(const QString& text) = 0;
    virtual void hideUpgradeWindow() = 0;
};
