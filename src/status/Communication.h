#pragma once

#include "link/FtdiDriver.h"
#include "session/Outcome.h"
#include "session/PedalSession.h"
#include "status/PedalStatus.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class CatalogueHandler;
class DeviceSettingsHandler;
class Dialogs;
class EffectView;
class InstrumentRangeHandler;
class LinkView;
class Log;

// A part a link can have besides opening the device: the firmware procedure,
// while it waits for a pedal powered up in its bootloader, greets the
// bootloader right after the device is opened.
class LinkGreeting {
public:
    virtual ~LinkGreeting() = default;
    // Whether the next link greets the bootloader; asksStatus (when given):
    // whether the status request still follows it.
    virtual bool greetsAtLink(bool* asksStatus) const = 0;
    // The device was opened (or could not be): the greeting and what follows it.
    virtual void greetAtLink(bool opened) = 0;
};

// Discovery and linking, and the status request: the handlers that put the
// pedal's state and the link's state into the windows. The bytes themselves go
// through the session.
class Communication : public QObject {
    Q_OBJECT
public:
    static constexpr int kMostRecentFirmware = 17;

    Communication(PedalSession& session, CatalogueHandler& catalogue, DeviceSettingsHandler& deviceSettings,
                  InstrumentRangeHandler& instrumentRange, Log& log, Dialogs& dialogs);

    void setLinkView(LinkView* view) { linkView_ = view; }
    void setEffectView(EffectView* view) { effectView_ = view; }

    void setLinkGreeting(LinkGreeting* greeting) { greeting_ = greeting; }

    // The device the next link opens, as the last scan found it.
    const QString& deviceSerialNumber() const { return deviceSerialNumber_; }
    // The firmware version of the last status reply read whole ("0" before one).
    QString firmwareVersion() const;

    // Discovery and linking. findDevices() returns how many devices it found.
    int findDevices();
    Outcome scanAndLink();
    Outcome Link();
    // Link() on the device with this serial number, one that devices() lists:
    // the pedal a client chose by itself rather than by a scan.
    Outcome linkDevice(const QString& serialNumber);
    Outcome Disconnect();

    // The link at a glance, shown as a mark beside the device name.
    enum class LinkState { NotLinked, Silent, Answering };
    LinkState linkState() const { return linkState_; }
    static QString linkStateText(LinkState state);
    static QString connectionLostText();
    static QString deviceBackText();
    // What the user is told when the device could not be opened, by the reason
    // the driver found.
    static QString openFailedText(const FtdiDriver::OpenFailure& failure);

    // The status request: Done when the pedal's values were taken.
    Outcome requestStatus();
    // What the last status reply that was read whole said; none before one.
    const std::optional<PedalStatus>& lastStatus() const { return session_.lastStatus(); }

private:
    bool linkBySerialNumber(bool greet);
    // The session found the device gone: the window goes to the unlinked
    // state, says so once (unless the operation that found it said it), and
    // is told when a device comes back.
    void linkLost(bool told);
    void deviceBack();
    void modeChanged(SessionMode mode, SessionMode previous);
    // Each window and unit shows its part of a status reply.
    void showStatus(const PedalStatus& status);
    PedalSession::Verdict judge(const PedalStatus& status);
    void setLinkState(LinkState state);
    void showDeviceName(const QString& text);
    void showStatusText(const QString& text);
    // A message of the status request: shown, or kept while a scan of several
    // devices has not yet decided which one it links.
    void tell(const QString& text);
    void closeEffectWindow();

    PedalSession& session_;
    CatalogueHandler& catalogue_;
    DeviceSettingsHandler& deviceSettings_;
    InstrumentRangeHandler& instrumentRange_;
    Log& log_;
    Dialogs& dialogs_;
    LinkView* linkView_ = nullptr;
    EffectView* effectView_ = nullptr;
    LinkGreeting* greeting_ = nullptr;

    QString deviceSerialNumber_;
    // What the device-name label shows: the form starts with this text.
    QString deviceName_ = QStringLiteral("No device found");
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
