#pragma once

#include "link/FtdiDriver.h"
#include "session/PedalSession.h"
#include "status/PedalStatus.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class Editor;
class Log;

// Discovery and linking, and the status request: the handlers that put the
// pedal's state and the link's state into the windows. The bytes themselves go
// through the session.
class Communication : public QObject {
    Q_OBJECT
public:
    static constexpr int kMostRecentFirmware = 17;

    explicit Communication(Editor& editor);

    // Until the firmware procedure owns the way into the bootloader: "Upgrade
    // Mode" checked, and a link then greets the bootloader (the power-up entry).
    bool firmware_upgrade_mode = false;
    bool legacyEntry = false; // pedals below firmware 9: a link runs no status request
    QString deviceSerialNumber;
    QString deviceDescription;

    // What the last status reply said.
    QString firmwareVersion = QStringLiteral("0");
    QString algorithmVersion;
    QString effectNumber;

    // Discovery and linking.
    void findDevices();
    void scanAndLink();
    void Link();
    bool linkBySerialNumber();
    void Disconnect();
    void EnableUSBobjects(bool status);
    void enableCommandButtons(bool status);

    // The link at a glance, shown as a mark beside the device name.
    enum class LinkState { NotLinked, Silent, Answering };
    LinkState linkState() const { return linkState_; }
    static QString linkStateText(LinkState state);
    static QString connectionLostText();
    static QString deviceBackText();
    // What the user is told when the device could not be opened, by the reason
    // the driver found.
    static QString openFailedText(const FtdiDriver::OpenFailure& failure);

    // The status request; false when it did not get through to its end.
    bool requestStatus();
    // What the last status reply that was read whole said; none before one.
    const std::optional<PedalStatus>& lastStatus() const;

private:
    Log& log();
    PedalSession& session();
    // The session found the device gone: the window goes to the unlinked
    // state, says so once (unless the operation that found it said it), and
    // is told when a device comes back.
    void linkLost(bool told);
    void deviceBack();
    // Each window and unit shows its part of a status reply.
    void showStatus(const PedalStatus& status);
    PedalSession::Verdict judge(const PedalStatus& status);
    void setLinkState(LinkState state);
    void enterUnlinkedState();
    // A message of the status request: shown, or kept while a scan of several
    // devices has not yet decided which one it links.
    void tell(const QString& text);

    Editor& editor_;
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
};
