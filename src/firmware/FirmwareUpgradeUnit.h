#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class BootloaderClient;
class Editor;

// The firmware upgrade through the bootloader: "Upgrade Mode" and the way
// into the bootloader, the upgrade window's work (the whole upgrade, from an
// embedded image or a file) and the restart back into the pedal's firmware.
class FirmwareUpgradeUnit {
public:
    explicit FirmwareUpgradeUnit(Editor& editor);
    ~FirmwareUpgradeUnit();

    static constexpr const char* kWaitText =
        "The firmware is being written to the pedal. Wait until the upgrade has finished.";

    BootloaderClient& client();

    void menuFirmwareUpgradeModeClick();
    void menuStartFirmwareUpgradeClick();
    void StartFirmwareUpgrade();

    // The upgrade window's handlers.
    void firmwareChosen(const QString& entry);
    void btnUpgradeFirmwareClick();
    void upgradeFromFile();
    // False while the window must stay (an upgrade is writing); says why.
    bool formCloseQuery();
    // Back to the pedal's firmware: Go, normal serial settings, a status request.
    void restart();

    bool isWriting() const { return writing_; }
    // Whether the flash holds a program the pedal can start: untouched since
    // the bootloader was entered, or written whole.
    bool flashHoldsProgram() const { return flashHoldsProgram_; }

private:
    void upgrade(const QByteArray& image);
    void linkLost(const QString& message);
    void refuseWhileWriting();

    Editor& editor_;
    std::unique_ptr<BootloaderClient> client_;
    QString imageName_;
    int version_ = 0;
    bool writing_ = false;
    bool flashHoldsProgram_ = true;
    // After a failed write the bootloader may sit in the middle of a command:
    // the next upgrade synchronises again before it erases.
    bool resyncBeforeUpgrade_ = false;
    // The window was closed with the flash incomplete: the pedal still runs
    // its bootloader, so "Upgrade Mode" goes straight to the handshake.
    bool pedalInBootloader_ = false;
    // The link was lost in the middle of an upgrade: the pedal has no firmware
    // that could take the bootloader request, only the power-up with SHIFT.
    bool needsPowerUpEntry_ = false;
};
