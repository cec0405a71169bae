#pragma once

#include "seams/FileDialogSettings.h"
#include "session/Outcome.h"
#include "session/SessionMode.h"
#include "status/Communication.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class BackupHandler;
class Clock;
class Dialogs;
class FirmwareView;
class Log;
class PedalSession;
class UpgradeView;

// The firmware upgrade through the pedal's bootloader, as one procedure:
// the way in (from the running firmware with SHIFT held, "Upgrade Mode", or
// at the link of a pedal powered up in its bootloader), the upgrade itself
// (an embedded image or a file: erase, write, read back, stamp) and the way
// out (Go, only into a flash that can start). Both ways in share one greeting
// and what follows it. It runs with or without windows: every view is
// optional, and what happens is told through the outcome of each call and
// the signals.
class FirmwareHandler : public QObject, public LinkGreeting {
    Q_OBJECT
public:
    enum class State {
        Normal,         // "Upgrade Mode" off
        Armed,          // "Upgrade Mode" on: the next link greets the bootloader
        Entering,       // on the way into the bootloader (the question, the entry message, the greeting)
        BootloaderIdle, // the bootloader answered; the upgrade window is open
        Writing,        // an upgrade is erasing, writing, checking or stamping
        Restarting,     // the flash is checked and Go sent
    };
    Q_ENUM(State)

    FirmwareHandler(PedalSession& session, Communication& comm, BackupHandler& backups, Log& log, Dialogs& dialogs,
                    Clock& clock);
    ~FirmwareHandler() override;

    void setView(FirmwareView* view) { view_ = view; }
    void setUpgradeView(UpgradeView* view) { upgradeView_ = view; }

    static constexpr const char* kWaitText =
        "The firmware is being written to the pedal. Wait until the upgrade has finished.";

    State state() const { return state_; }
    // Whether "Upgrade Mode" is on, as its check mark shows it.
    bool upgradeModeOn() const { return upgradeModeOn_; }
    // The next link greets the bootloader without asking the pedal's status
    // first: the firmware is too old for the way in by message.
    bool powerUpEntryOnly() const { return state_ == State::Armed && !statusAfterGreeting_; }

    // The embedded images the upgrade window offers, oldest first.
    static QStringList images();
    // The version the next upgrade of an embedded image stamps.
    int chosenVersion() const { return version_; }
    // Where a firmware file was last opened from, and the open dialog's settings.
    FileDialogSettings openDialog;

    // "Upgrade Mode" clicked: on gets into the bootloader from a linked pedal
    // (the bypass, the backup, the SHIFT question, the entry message, the
    // greeting), or arms the entry at the next link when the pedal's firmware
    // cannot take the message; off disarms.
    Outcome menuFirmwareUpgradeModeClick();
    // The same for a caller without the menu: on or off as asked.
    Outcome setUpgradeMode(bool on);
    // The hidden check box: arms (or disarms) the greeting at the next link
    // and nothing else; a status request still follows that link.
    void setPowerUpEntry(bool on);
    // "Firmware Upgrade": the upgrade window, for the bootloader now listening.
    void menuStartFirmwareUpgradeClick();
    // The bootloader answered: the upgrade window opens (without one, the
    // procedure waits for upgrade() or restart()).
    void StartFirmwareUpgrade();

    // The upgrade window's handlers.
    void firmwareChosen(const QString& entry);
    Outcome btnUpgradeFirmwareClick();
    // Ctrl+Shift+O: a file the user chooses.
    Outcome upgradeFromFile();
    // A file named by the caller; version 0 stamps the version the file's name
    // gives, and asks for one when it names none.
    Outcome upgradeFromFile(const QString& path, int version = 0);
    // The image and the version to stamp, name for the messages: every check
    // (the vector table, no placeholder to a real pedal, a version a stamp can
    // carry), then the upgrade. An embedded image is named as the list names it.
    Outcome upgrade(const QByteArray& image, int version, const QString& name);
    // Ends a running upgrade at the next block, as a failed one: no stamp, no
    // Go, the pedal stays in its bootloader.
    void requestStop();
    // False while the window must stay (an upgrade is writing); says why.
    bool formCloseQuery();
    // Back to the pedal's firmware: Go (when the flash holds a program that
    // can start), normal serial settings, a status request. Done when the
    // pedal was started.
    Outcome restart();

    // LinkGreeting
    bool greetsAtLink(bool* asksStatus) const override;
    void greetAtLink(bool opened) override;

Q_SIGNALS:
    void stateChanged(FirmwareHandler::State state);
    // Before each block is written or checked: the step of steps, and the line
    // the window shows.
    void progress(int step, int steps, const QString& text);
    // An upgrade ended: Done, or why not, with what the user was told.
    void upgradeFinished(Outcome outcome, const QString& message);

private:
    enum class Entry { Command, InBootloader, PowerUp };
    void setState(State state);
    void setUpgradeModeOn(bool on);
    void sessionModeChanged(SessionMode mode, SessionMode previous);
    // The greeting and what follows it, for every way in.
    void greet(Entry entry, bool bypassWasOn, bool opened = true);
    // A way in that did not reach the bootloader, or the user said No: the
    // link, the check mark and the bypass as they were.
    void leaveFailedEntry(bool bypassWasOn);
    void linkLost(const QString& message);
    bool refuseWhileBusy();
    // The user is told why the image must not be written: it cannot start,
    // or it is a placeholder and the pedal is not the virtual one.
    bool refuse(const QByteArray& image, const QString& name, bool fromFile);
    Outcome write(const QByteArray& image, int version);
    void tell(const QString& text);
    void showProgress(int value);
    void showProgressText(const QString& text);
    void hideWindow();

    PedalSession& session_;
    Communication& comm_;
    BackupHandler& backups_;
    Log& log_;
    Dialogs& dialogs_;
    Clock& clock_;
    FirmwareView* view_ = nullptr;
    UpgradeView* upgradeView_ = nullptr;

    State state_ = State::Normal;
    bool upgradeModeOn_ = false;
    // Armed by the hidden check box: the link asks the status after greeting.
    bool statusAfterGreeting_ = false;
    QString imageName_;
    int version_ = 0;
    bool stopRequested_ = false;
    // After a failed write the bootloader may sit in the middle of a command:
    // the next upgrade synchronises again before it erases.
    bool resyncBeforeUpgrade_ = false;
    // The link was lost in the middle of an upgrade, or the bootloader stopped
    // answering: the pedal has no firmware that could take the entry message,
    // only the power-up with SHIFT.
    bool needsPowerUpEntry_ = false;
};
