#pragma once

#include "link/FtdiDriver.h"
#include "status/PedalStatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <optional>

class Editor;
class D2XXUnit;
class Log;
class Transport;

// Discovery and linking, and the status request: the handlers that put the
// pedal's state and the link's state into the windows. The bytes themselves go
// through Transport.
class Communication {
public:
    enum class SerialMode { Normal, Bootloader };

    static constexpr int kMostRecentFirmware = 17;

    explicit Communication(Editor& editor);

    // Link state shared by the windows.
    bool linked = false;
    bool firmware_upgrade_mode = false;
    bool updatingFromPedal = false;
    bool legacyEntry = false; // pedals below firmware 9: a link runs no status request
    QString deviceSerialNumber;
    QString deviceDescription;

    // What the last status reply said.
    QString firmwareVersion = QStringLiteral("0");
    QString algorithmVersion;
    QString effectNumber;

    // Discovery and linking.
    void selectSerialSettings(SerialMode mode);
    void findDevices();
    void scanAndLink();
    void Link();
    bool linkBySerialNumber();
    void Disconnect();
    void EnableUSBobjects(bool status);
    void enableCommandButtons(bool status);
    void uploadWatchdogExpired();

    // The link at a glance, shown as a mark beside the device name.
    enum class LinkState { NotLinked, Silent, Answering };
    LinkState linkState() const { return linkState_; }
    static QString linkStateText(LinkState state);
    // The device went away while linked (unplugged, switched off): the window
    // goes to the unlinked state even when the driver cannot close what is
    // gone, says so once, and watches for a device to come back.
    void connectionLost();
    // The same unlinking, without the message: for an operation that says
    // itself what was lost (a firmware upgrade whose cable came out).
    void unlinkLostDevice();
    // While it runs, a device that appears is offered for linking (a line in
    // the status label); nothing is linked without the user.
    QTimer deviceWatch;
    static constexpr int kDeviceWatchMs = 1000;
    static QString connectionLostText();
    static QString deviceBackText();
    // What the user is told when the device could not be opened, by the reason
    // the driver found.
    static QString openFailedText(const FtdiDriver::OpenFailure& failure);

    // Handler of Timer_USB_Read.
    void pollUnsolicited();

    // The pedal into bypass, or out of it: the effect window's switch and the
    // operations that need a quiet pedal (uploads, the way into the
    // bootloader) all send it here.
    void sendBypass(bool on);

    // The status request; false when it did not get through to its end.
    bool requestStatus();
    // What the last status reply that was read whole said; none before one.
    const std::optional<PedalStatus>& lastStatus() const { return lastStatus_; }

private:
    D2XXUnit& d2xx();
    Transport& transport();
    Log& log();
    // Each window and unit shows its part of a status reply.
    void showStatus(const PedalStatus& status);
    void setLinkState(LinkState state);
    void enterUnlinkedState();
    void watchForDevice();
    // A message of the status request: shown, or kept while a scan of several
    // devices has not yet decided which one it links.
    void tell(const QString& text);

    Editor& editor_;
    bool requesting_ = false;
    // The last link attempt could not open the device (held by another
    // program, say): the request that follows it cannot get an answer.
    bool openFailed_ = false;
    FtdiDriver::OpenFailure openFailure_;
    // The serial number of the device whose status reply the effect window
    // shows; empty while it shows none.
    QString valuesFrom_;
    bool holdMessages_ = false;
    QStringList heldMessages_;
    LinkState linkState_ = LinkState::NotLinked;
    bool losing_ = false;
    std::optional<PedalStatus> lastStatus_;
};
