#include "status/Communication.h"

#include "editor/EffectView.h"
#include "editor/Messages.h"
#include "editor/ParameterModel.h"
#include "effects/CatalogueHandler.h"
#include "link/Hex.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "status/DeviceSettingsHandler.h"
#include "status/LinkView.h"
#include "status/PedalStatus.h"
#include "tracking/InstrumentRangeHandler.h"

#include <QDir>
#include <QScopedValueRollback>

#include <utility>

namespace {

QString trueFalse(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

const QString kFirmwareLegacyHelp = QStringList{
    QStringLiteral("If current firmware is below 9 follow legacy firmware upgrade mode:"),
    QStringLiteral("1) close editor application and disconnect pedal from USB"),
    QStringLiteral("2) hold shift button while connecting pedal to USB"),
    QStringLiteral("3) start application, check Firmware Upgrade Mode in Firmware Upgrade menu"),
    QStringLiteral("4) clink Link under Connection menu"),
    QStringLiteral("5) go to Firmware Upgrade menu again and select Firmware Upgrade"),
    QString(),
    QStringLiteral("If current firmware is 9 or above go to Firmware Upgrade menu and follow instructions."),
}.join(QStringLiteral("\r\n"));
} // namespace

Communication::Communication(PedalSession& session, CatalogueHandler& catalogue,
                             DeviceSettingsHandler& deviceSettings, InstrumentRangeHandler& instrumentRange, Log& log,
                             Dialogs& dialogs)
    : session_(session), catalogue_(catalogue), deviceSettings_(deviceSettings), instrumentRange_(instrumentRange),
      log_(log), dialogs_(dialogs)
{
    connect(&session_, &PedalSession::linkLost, this, &Communication::linkLost);
    connect(&session_, &PedalSession::deviceBack, this, &Communication::deviceBack);
    connect(&session_, &PedalSession::modeChanged, this, &Communication::modeChanged);
}

QString Communication::linkStateText(LinkState state)
{
    switch (state) {
    case LinkState::Answering: return QStringLiteral("Linked: the pedal answers");
    case LinkState::Silent: return QStringLiteral("Linked, but the pedal has not answered");
    case LinkState::NotLinked: break;
    }
    return QStringLiteral("Not linked");
}

QString Communication::connectionLostText()
{
    return QStringLiteral("The connection to the pedal was lost: it was unplugged or switched off.\r\n"
                          "Connect the pedal again, then choose Scan And Link in the Connection menu.");
}

QString Communication::deviceBackText()
{
    return QStringLiteral("Pedal found: Scan And Link");
}

QString Communication::openFailedText(const FtdiDriver::OpenFailure& failure)
{
    using Reason = FtdiDriver::OpenFailure::Reason;
    const QString port = QDir::toNativeSeparators(failure.location);
    switch (failure.reason) {
    case Reason::NoPermission:
        return QStringLiteral("The pedal could not be opened: this user may not open the port %1 (%2).\r\n"
                              "To give access, install the editor's udev rule 60-quarnel-ftdi.rules (the package "
                              "installs it; after cmake --install, copy it from lib/udev/rules.d to "
                              "/etc/udev/rules.d) and plug the pedal in again, or add yourself to the dialout "
                              "group (sudo usermod -aG dialout $USER) and log in again. "
                              "Then choose Scan And Link.")
            .arg(port, failure.systemText);
    case Reason::NotASerialPort:
        return QStringLiteral("The pedal could not be opened: %1 is not a serial port (%2). "
                              "QUARNEL_SERIAL_PORT must name the pedal's port, such as /dev/ttyUSB0.")
            .arg(port, failure.systemText);
    case Reason::InUse:
    case Reason::Unknown:
        break;
    }
    return QStringLiteral("The pedal could not be opened. It may be in use by another program: "
                          "close that program, then choose Scan And Link to try again.");
}

void Communication::tell(const QString& text)
{
    if (holdMessages_)
        heldMessages_.append(text);
    else
        dialogs_.information(nullptr, text);
}

void Communication::setLinkState(LinkState state)
{
    linkState_ = state;
    if (linkView_)
        linkView_->showLinkState(static_cast<int>(state), linkStateText(state));
}

void Communication::showDeviceName(const QString& text)
{
    deviceName_ = text;
    if (linkView_)
        linkView_->showDeviceName(text);
}

void Communication::showStatusText(const QString& text)
{
    if (linkView_)
        linkView_->showStatusText(text);
}

void Communication::closeEffectWindow()
{
    if (effectView_ && effectView_->isEffectWindowShown())
        effectView_->closeEffectWindow();
}

QString Communication::firmwareVersion() const
{
    const std::optional<PedalStatus>& status = session_.lastStatus();
    return status ? status->firmwareText() : QStringLiteral("0");
}

// ---------------------------------------------------------------- linking

int Communication::findDevices()
{
    const QList<PedalSession::Device> devices = session_.devices();
    for (const PedalSession::Device& device : devices) {
        if (linkView_)
            linkView_->addSerialNumber(device.serialNumber);
        deviceSerialNumber_ = device.serialNumber;
        showDeviceName(device.description);
    }
    return static_cast<int>(devices.size());
}

Outcome Communication::scanAndLink()
{
    showDeviceName(QStringLiteral("Device Name"));
    const QList<PedalSession::Device> devices = session_.devices();
    const auto count = static_cast<int>(devices.size());
    log_.logLine(QStringLiteral("FT device count: ") + QString::number(count));
    if (count == 0) {
        dialogs_.information(nullptr, QStringLiteral("No device found"));
        showDeviceName(QStringLiteral("No device found"));
        return Outcome::NoPedal;
    }
    // With several devices the link ends on the last one that answered the
    // status request as a pedal: another FTDI gadget listed after the pedal
    // must not take the link from it. Until the scan knows where it ends, what
    // the requests have to say is kept, and told only for that device.
    const bool several = count > 1;
    std::optional<PedalSession::Device> pedal;
    bool endsOnPedal = false;
    Outcome outcome = Outcome::NoPedal;
    for (const PedalSession::Device& device : devices) {
        // One handle at a time: the previous device is unlinked before the next is
        // opened, so no handle leaks, the last one stays linked, and a next one
        // that fails to open leaves an unlinked window rather than a linked-looking
        // one whose "Unlink" can no longer close anything.
        if (session_.isLinked())
            Disconnect();
        log_.logLine(QStringLiteral("FT_Device_String: ") + device.serialNumber);
        deviceSerialNumber_ = device.serialNumber;
        showDeviceName(device.description);
        heldMessages_.clear();
        {
            const QScopedValueRollback<bool> hold(holdMessages_, several);
            outcome = Link();
        }
        endsOnPedal = session_.isLinked() && linkState_ == LinkState::Answering;
        if (endsOnPedal)
            pedal = device;
    }
    const QStringList held = std::exchange(heldMessages_, {});
    if (!pedal || endsOnPedal) {
        for (const QString& text : held)
            dialogs_.information(nullptr, text);
        return outcome;
    }
    log_.logLine(
        QStringLiteral("linking %1 again: the last device that answered as a pedal").arg(pedal->serialNumber));
    if (session_.isLinked())
        Disconnect();
    deviceSerialNumber_ = pedal->serialNumber;
    showDeviceName(pedal->description);
    return Link();
}

Outcome Communication::Link()
{
    bool asksStatus = true;
    const bool greet = greeting_ && greeting_->greetsAtLink(&asksStatus);
    const bool opened = linkBySerialNumber(greet);
    openFailed_ = !opened;
    if (opened) {
        setLinkState(LinkState::Silent);
        if (!valuesFrom_.isEmpty() && valuesFrom_ != deviceSerialNumber_) {
            // The effect window shows another device's values: its controls
            // would send them on to this one. It comes back with this
            // device's own values when they are read.
            log_.logLine(QStringLiteral("the effect window showed the values of %1; closed until %2 answers")
                             .arg(valuesFrom_, deviceSerialNumber_));
            closeEffectWindow();
            if (effectView_)
                effectView_->forgetPedalValues();
            valuesFrom_.clear();
        }
        if (linkView_
            && (linkView_->statusText() == deviceBackText()
                || linkView_->statusText() == QLatin1String("Status: connection lost")))
            showStatusText(QStringLiteral("Status: "));
        log_.logLine(QStringLiteral("firmware upgrade mode: ") + trueFalse(greet));
    }
    // A pedal whose firmware is too old for the way in by message runs its
    // bootloader here, and would read a status request as a command.
    if (greet && !asksStatus)
        return opened ? Outcome::Done : Outcome::NoPedal;
    if (!opened) {
        // Nothing is open to ask: the reason the open failed is the answer.
        log_.logLine(QStringLiteral("the pedal could not be opened, so the status request got no answer"));
        tell(openFailedText(openFailure_));
        return Outcome::NoPedal;
    }
    return requestStatus();
}

Outcome Communication::linkDevice(const QString& serialNumber)
{
    deviceSerialNumber_ = serialNumber;
    return Link();
}

bool Communication::linkBySerialNumber(bool greet)
{
    const bool opened = session_.open(deviceSerialNumber_);
    openFailure_ = opened ? FtdiDriver::OpenFailure{} : session_.lastOpenFailure();
    if (opened)
        showDeviceName(deviceName_ + QStringLiteral(" linked"));
    if (greet)
        greeting_->greetAtLink(opened);
    return opened;
}

Outcome Communication::Disconnect()
{
    if (!session_.isLinked())
        return Outcome::NoPedal;
    if (!session_.unlink())
        return session_.allows(PedalOperation::Unlink) ? Outcome::WriteFailed : Outcome::Refused;
    return Outcome::Done;
}

void Communication::modeChanged(SessionMode mode, SessionMode previous)
{
    // However the link ended (Unlink, a lost device, the upload's watchdog),
    // the window stops saying it is linked.
    if (SessionGate::isLinked(mode) || !SessionGate::isLinked(previous))
        return;
    showDeviceName(QString(deviceName_).remove(QStringLiteral("linked")));
    setLinkState(LinkState::NotLinked);
}

void Communication::linkLost(bool told)
{
    showStatusText(QStringLiteral("Status: connection lost"));
    if (!told)
        dialogs_.information(nullptr, connectionLostText());
}

void Communication::deviceBack()
{
    // Offered again for linking; nothing is linked without the user.
    showStatusText(deviceBackText());
}

// ---------------------------------------------------------------- status request

Outcome Communication::requestStatus()
{
    using Kind = PedalSession::StatusOutcome::Kind;
    const PedalSession::StatusOutcome outcome =
        session_.requestStatus([this](const PedalStatus& status) { return judge(status); });
    switch (outcome.kind) {
    case Kind::Read:
        switch (outcome.verdict) {
        case PedalSession::Verdict::Accepted: return Outcome::Done;
        case PedalSession::Verdict::FirmwareTooOld:
        case PedalSession::Verdict::AlgorithmTooOld: return Outcome::Refused;
        case PedalSession::Verdict::Failed: return Outcome::NoAnswer;
        }
        return Outcome::NoAnswer;
    case Kind::Refused:
        // Said by the session in the log.
        return session_.refusal();
    case Kind::Lost:
        // Said by linkLost().
        return Outcome::NoPedal;
    case Kind::NoAnswer:
        if (session_.isLinked())
            setLinkState(LinkState::Silent);
        log_.logLine(QStringLiteral("the pedal did not answer the status request"));
        tell(QStringLiteral("The pedal did not answer. Check that it is connected, then click Request."));
        return Outcome::NoAnswer;
    case Kind::Short:
        log_.logLine(QStringLiteral("status reply too short: ") + outcome.error);
        tell(QStringLiteral("The pedal's answer was incomplete. Click Request to ask again."));
        return Outcome::NoAnswer;
    case Kind::Malformed:
        log_.logLine(QStringLiteral("status reply malformed: ") + outcome.error);
        tell(QStringLiteral("The pedal's answer could not be read. Click Request to ask again."));
        return Outcome::NoAnswer;
    }
    return Outcome::NoAnswer;
}

PedalSession::Verdict Communication::judge(const PedalStatus& status)
{
    using Verdict = PedalSession::Verdict;
    if (session_.isLinked())
        setLinkState(LinkState::Answering);
    const QString firmware = status.firmwareText();
    if (linkView_)
        linkView_->showFirmwareVersion(QStringLiteral("Device Firmware: ") + firmware);
    log_.logLine(QStringLiteral("Firmware Version: ") + firmware);
    const QString algorithm = status.algorithmText;
    log_.logLine(QStringLiteral("Algorithm version: ") + algorithm);
    if (linkView_)
        linkView_->showAlgorithmVersion(QStringLiteral("Device Algorithm: ") + algorithm);
    log_.logLine(QStringLiteral("Current device firmware: ") + firmware);
    log_.logLine(QStringLiteral("Most recent firmware: ") + QString::number(kMostRecentFirmware));
    log_.logLine(QStringLiteral("Effect Number: ") + status.effectText);

    if (status.firmware < kMostRecentFirmware) {
        closeEffectWindow();
        tell(QStringLiteral("A firmware upgrade is required. Upgrade to Firmware ") + QString::number(kMostRecentFirmware));
        tell(kFirmwareLegacyHelp);
        return Verdict::FirmwareTooOld;
    }

    if (!status.algorithm) {
        log_.logLine(QStringLiteral("algorithm version is not a number: ") + algorithm);
        tell(QStringLiteral("The pedal reported the algorithm version ") + algorithm
             + QStringLiteral(", which is not a number. Upload the algorithm again."));
        return Verdict::Failed;
    }

    const auto selectRunningEffect = [&] {
        if (status.effect && catalogue_.selectEntry(*status.effect)) {
            catalogue_.GetResourceFile();
            return true;
        }
        log_.logLine(QStringLiteral("effect number not in the catalogue: ") + status.effectText);
        tell(QStringLiteral("The pedal runs effect number ") + status.effectText
             + QStringLiteral(", which this editor does not know."));
        return false;
    };

    if (*status.algorithm < catalogue_.catalogueVersion()) {
        closeEffectWindow();
        tell(QStringLiteral("Upload the latest version of Quarnel MK3 algorithm:\r\nUpload Quarnel MK3 00")
             + QString::number(catalogue_.catalogueVersion()));
        selectRunningEffect();
        return Verdict::AlgorithmTooOld;
    }

    if (selectRunningEffect() && !(effectView_ && effectView_->isEffectWindowShown()))
        catalogue_.OpenEffectWindow();
    showStatus(status);
    if (session_.isLinked())
        valuesFrom_ = deviceSerialNumber_;
    return Verdict::Accepted;
}

void Communication::showStatus(const PedalStatus& status)
{
    // The tuning as the pedal has it (the window's lists may then keep
    // showing another, which it follows): a note cut needs one.
    ParameterModel& model = session_.parameters();
    model.currentTuning = status.tuning;
    model.semitoneVariation = status.semitoneVariation;
    // In the order of the fields: the log lines follow the reply.
    if (effectView_) {
        effectView_->getFootswitchMode(status);
        effectView_->getTuning(status);
        effectView_->getControlAssignments(status);
        effectView_->getBypassStatus(status);
    }
    deviceSettings_.decodeStoreBypassStatus(status);
    instrumentRange_.decodeInstrumentRange(status);
    deviceSettings_.decodeMidiChannel(status);
    // The pedal's values are the session's from now on, with or without a
    // window to show them.
    model.setValues(status.values);
    // What the controls show for them, window or not: a preset loaded
    // next sends what changes.
    ControlStates::show(session_.controlStates(), status.values);
    for (int k = 0; k < kParameterCount; ++k) {
        const auto id = static_cast<ParameterId>(k);
        log_.logLine(Messages::valueLogLabel(id, model.name(id)) + Hex::hex(model.value(id), 8));
    }
    if (effectView_)
        effectView_->getParameterValues(status);
    deviceSettings_.decodeLoadFirstPreset(status);
}
