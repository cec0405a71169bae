#pragma once

#include "session/SessionMode.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>

class BackupHandler;
class Clock;
class Communication;
class Dialogs;
class FirmwareUpgrade;
class FirmwareView;
class FXsettings;
class Log;
class PedalSession;

// The firmware upgrade through the bootloader: "Upgrade Mode" and the way
// into the bootloader, the upgrade window's work (the whole upgrade, from an
// embedded image or a file) and the restart back into the pedal's firmware.
class FirmwareUpgradeUnit : public QObject {
    Q_OBJECT
public:
    FirmwareUpgradeUnit(PedalSession& session, Communication& comm, BackupHandler& backups, Log& log,
                        Dialogs& dialogs, Clock& clock);
    ~FirmwareUpgradeUnit() override;
    // The windows it works in, as they are made: the main window's part, the
    // upgrade window, and the effect window (whose Bypass switch says what to
    // put back after a failed entry).
    void setMainView(FirmwareView* view) { view_ = view; }
    void setWindows(FirmwareUpgrade* window, FXsettings* effectWindow)
    {
        window_ = window;
        effectWindow_ = effectWindow;
    }

    static constexpr const char* kWaitText =
        "The firmware is being written to the pedal. Wait until the upgrade has finished.";

    void menuFirmwareUpgradeModeClick();
    void menuStartFirmwareUpgradeClick();
    void StartFirmwareUpgrade();

    // The upgrade window's handlers.
    void firmwareChosen(const QString& entry);
    void btnUpgradeFirmwareClick();
    void upgradeFromFile();
    // False while the window must stay (an upgrade is writing); says why.
    bool formCloseQuery();
    // Back to the pedal's firmware: Go (when the flash holds a program that
    // can start), normal serial settings, a status request.
    void restart();

private:
    void modeChanged(SessionMode mode, SessionMode previous);
    // True (and the user told why) when the image must not be written: it
    // cannot start, or it is a placeholder and the pedal is not the virtual one.
    bool refuse(const QByteArray& image, const QString& name, bool fromFile);
    void upgrade(const QByteArray& image, int version);
    // "Upgrade Mode" did not get into the bootloader, or the user said No:
    // the link, the check mark and the bypass as they were.
    void leaveFailedEntry(bool bypassWasOn);
    void linkLost(const QString& message);
    void refuseWhileWriting();

    PedalSession& session_;
    Communication& comm_;
    BackupHandler& backups_;
    Log& log_;
    Dialogs& dialogs_;
    Clock& clock_;
    FirmwareView* view_ = nullptr;
    FirmwareUpgrade* window_ = nullptr;
    FXsettings* effectWindow_ = nullptr;
    QString imageName_;
    int version_ = 0;
    bool writing_ = false;
    // After a failed write the bootloader may sit in the middle of a command:
    // the next upgrade synchronises again before it erases.
    bool resyncBeforeUpgrade_ = false;
    // The link was lost in the middle of an upgrade: the pedal has no firmware
    // that could take the bootloader request, only the power-up with SHIFT.
    bool needsPowerUpEntry_ = false;
};
