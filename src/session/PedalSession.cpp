#include "session/PedalSession.h"

#include "editor/Messages.h"
#include "link/D2XXUnit.h"
#include "link/FtdiDriver.h"
#include "link/Hex.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Log.h"
#include "status/StatusMessages.h"

#include <QDir>
#include <QScopedValueRollback>

PedalSession::PedalSession(FtdiDriver& driver, Clock& clock, Log& log, QObject* parent)
    : QObject(parent), driver_(driver), clock_(clock), log_(log),
      d2xx_(std::make_unique<D2XXUnit>(driver, log)),
      transport_(std::make_unique<Transport>(*d2xx_, clock, log)),
      bootloader_(std::make_unique<BootloaderClient>(*d2xx_, *transport_, log))
{
    paced_ = std::make_unique<PacedWriter>(
        [this](const QString& text) { return send(Operation::ParameterWrite, text); },
        [this] { return SessionGate::isWaiting(mode_); }, this);

    Timer_USB_Read.setObjectName(QStringLiteral("Timer_USB_Read"));
    Timer_USB_Read.setInterval(kReadIntervalMs);
    connect(&Timer_USB_Read, &QTimer::timeout, this, &PedalSession::pollUnsolicited);
    UploadCheckTimer.setObjectName(QStringLiteral("UploadCheckTimer"));
    UploadCheckTimer.setInterval(kUploadWatchdogMs);
    connect(&UploadCheckTimer, &QTimer::timeout, this, &PedalSession::uploadWatchdogTick);
    linkWatch_.setObjectName(QStringLiteral("linkWatch"));
    linkWatch_.setInterval(kLinkWatchMs);
    connect(&linkWatch_, &QTimer::timeout, this, &PedalSession::linkWatchTick);
    deviceWatch_.setObjectName(QStringLiteral("deviceWatch"));
    deviceWatch_.setInterval(kDeviceWatchMs);
    connect(&deviceWatch_, &QTimer::timeout, this, &PedalSession::deviceWatchTick);

    // The line is set for the pedal's firmware before any device is open.
    BootloaderClient::selectSerialSettings(*d2xx_, false);
}

PedalSession::~PedalSession()
{
    Timer_USB_Read.stop();
    UploadCheckTimer.stop();
    linkWatch_.stop();
    deviceWatch_.stop();
    paced_->dropAll();
}

bool PedalSession::isVirtualPedal() const
{
    return driver_.isVirtualPedal();
}

// ---------------------------------------------------------------- the mode

void PedalSession::setMode(Mode mode)
{
    if (mode == mode_)
        return;
    const Mode previous = mode_;
    mode_ = mode;
    // The timers follow the mode, and nothing else starts or stops them: the
    // read timer would take an exchange's reply out of the queue, so it runs
    // only while nothing waits; the link watch runs while a device is open.
    if (mode_ == Mode::Linked)
        Timer_USB_Read.start();
    else
        Timer_USB_Read.stop();
    if (SessionGate::isLinked(mode_)) {
        if (!linkWatch_.isActive())
            linkWatch_.start();
        deviceWatch_.stop();
    } else {
        linkWatch_.stop();
        paced_->dropAll();
    }
    Q_EMIT modeChanged(mode_, previous);
}

bool PedalSession::permitted(Operation operation)
{
    if (SessionGate::allows(mode_, operation))
        return true;
    log_.logLine(QStringLiteral("not sent while %1: %2")
                     .arg(SessionGate::modeName(mode_), SessionGate::operationName(operation)));
    return false;
}

bool PedalSession::mayStart(Operation operation)
{
    return permitted(operation);
}

// ---------------------------------------------------------------- devices and the link

QList<PedalSession::Device> PedalSession::devices()
{
    QList<Device> found;
    if (d2xx_->GetFTDeviceCount() != FtdiDriver::FT_OK)
        return found;
    for (uint32_t i = 0; i < d2xx_->deviceCount; ++i) {
        Device device;
        d2xx_->GetFTDeviceSerialNo(i);
        device.serialNumber = QString::fromLatin1(d2xx_->FT_Device_String);
        d2xx_->GetFTDeviceDescription(i);
        device.description = QString::fromLatin1(d2xx_->FT_Device_String);
        found.append(device);
    }
    return found;
}

bool PedalSession::open(const QString& serialNumber)
{
    if (!permitted(Operation::Link))
        return false;
    log_.logLine(QStringLiteral("serial number: ") + serialNumber);
    if (d2xx_->Open_USB_Device_By_Serial_Number(serialNumber) != FtdiDriver::FT_OK) {
        const FtdiDriver::OpenFailure failure = d2xx_->lastOpenFailure();
        if (!failure.systemText.isEmpty())
            log_.logLine(QStringLiteral("could not open %1: %2")
                             .arg(QDir::toNativeSeparators(failure.location), failure.systemText));
        return false;
    }
    serialNumber_ = serialNumber;
    log_.logLine(QStringLiteral("driver: ") + d2xx_->driverInUse());
    BootloaderClient::selectSerialSettings(*d2xx_, false);
    d2xx_->setBaudRate();
    d2xx_->setDataCharacteristics();
    d2xx_->setLatencyTimer();
    const auto handle = static_cast<uint32_t>(reinterpret_cast<quintptr>(d2xx_->handle()));
    log_.logLine(QStringLiteral("FT_HANDLE: 0x") + Hex::hex(handle, 8));
    log_.appendDirect(QStringLiteral("baud rate = ") + QString::number(d2xx_->baudRate));
    updatingFromPedal_ = false;
    bypassOn_ = false;
    setMode(Mode::Linked);
    return true;
}

FtdiDriver::OpenFailure PedalSession::lastOpenFailure() const
{
    return d2xx_->lastOpenFailure();
}

bool PedalSession::unlink()
{
    if (!permitted(Operation::Unlink))
        return false;
    if (d2xx_->closeDevice() != FtdiDriver::FT_OK)
        return false;
    BootloaderClient::selectSerialSettings(*d2xx_, false);
    setMode(Mode::Unlinked);
    return true;
}

void PedalSession::connectionLost(bool told)
{
    if (losing_ || !isLinked())
        return;
    QScopedValueRollback<bool> once(losing_, true);
    log_.logLine(QStringLiteral("the pedal is gone: the device's queue cannot be read any more"));
    {
        // Closing a device that is gone may fail; the handle is released as far
        // as the driver can, and the link is given up whatever it says.
        D2XXUnit::QuietErrors quiet(*d2xx_);
        const uint32_t status = d2xx_->closeDevice();
        if (status != FtdiDriver::FT_OK)
            log_.logLine(QStringLiteral("closing the lost device failed (status %1); unlinked anyway").arg(status));
    }
    BootloaderClient::selectSerialSettings(*d2xx_, false);
    UploadCheckTimer.stop();
    setMode(Mode::Lost);
    deviceWatch_.start();
    Q_EMIT linkLost(told);
}

// ---------------------------------------------------------------- messages

bool PedalSession::send(Operation operation, const QString& hexText, bool purgeTransmitFirst, int pauseMs,
                        uint32_t* written)
{
    if (written)
        *written = 0;
    if (!permitted(operation))
        return false;
    const uint32_t count = transport_->sendHex(hexText, purgeTransmitFirst, pauseMs);
    if (written)
        *written = count;
    return count == static_cast<uint32_t>(hexText.size() / 2);
}

Outcome PedalSession::sendMessage(Operation operation, const QString& hexText, bool purgeTransmitFirst, int pauseMs,
                                  uint32_t* written)
{
    if (!SessionGate::allows(mode_, operation)) {
        permitted(operation); // the log line
        return refusal();
    }
    return send(operation, hexText, purgeTransmitFirst, pauseMs, written) ? Outcome::Done : Outcome::WriteFailed;
}

uint32_t PedalSession::writeBytes(Operation operation, const QByteArray& bytes)
{
    if (!permitted(operation))
        return 0;
    return transport_->writeBytes(bytes);
}

bool PedalSession::sendBypass(bool on)
{
    if (!send(Operation::Bypass, Messages::bypass(on)))
        return false;
    bypassOn_ = on;
    return true;
}

int PedalSession::dropStaleBytes(const QString& before)
{
    if (!isLinked())
        return 0;
    return transport_->dropStaleBytes(before);
}

bool PedalSession::bytesQueued()
{
    if (!Timer_USB_Read.isActive())
        return false;
    D2XXUnit::QuietErrors quiet(*d2xx_);
    return d2xx_->queryQueue() == FtdiDriver::FT_OK && d2xx_->rxQueueCount > 0;
}

bool PedalSession::reportsErrors() const
{
    return d2xx_->reportErrors;
}

void PedalSession::setReportErrors(bool on)
{
    d2xx_->reportErrors = on;
}

// ---------------------------------------------------------------- parameters

void PedalSession::writeParameters(const std::array<uint32_t, kParameterCount>& values,
                                   const std::array<bool, kParameterCount>& send,
                                   const std::function<bool(const QString& text)>& usable)
{
    for (int k = 0; k < kParameterCount; ++k) {
        if (!send[static_cast<size_t>(k)])
            continue;
        const auto id = static_cast<ParameterId>(k);
        const uint16_t address = parameters_.address(id);
        const QString text = Messages::writeParameter(address, values[static_cast<size_t>(k)]);
        const QString kind = parameters_.isAssignable(id) ? QStringLiteral(" string (assignable par): ")
                                                          : QStringLiteral(" string (standard par): ");
        log_.logLine(QStringLiteral("Send ") + parameters_.name(id) + kind + text);
        if (usable && !usable(text))
            continue;
        paced_->queue(address, text, id == ParameterId::Attack ? 3 : 1);
    }
}

// ---------------------------------------------------------------- the status request

PedalSession::StatusOutcome PedalSession::requestStatus(const std::function<Verdict(const PedalStatus&)>& judge)
{
    StatusOutcome outcome;
    if (mode_ == Mode::Requesting) {
        // Started from inside the wait of another request (a second click on
        // "Request", say): nesting would read the first request's reply.
        log_.logLine(QStringLiteral("status request refused: another request is waiting for the pedal"));
        return outcome;
    }
    if (!permitted(Operation::StatusRequest))
        return outcome;

    const Mode before = mode_;
    const bool wasUpdating = updatingFromPedal_;
    log_.logLine(Log::banner(QStringLiteral("REQUEST")));
    updatingFromPedal_ = true;
    requestFrom_ = before;
    setMode(Mode::Requesting);
    transport_->dropStaleBytes(QStringLiteral("the status request"));
    // No pause before the reply: it is read as it comes, until its last value.
    transport_->sendHex(StatusMessages::statusRequest(), true);
    const Transport::StatusReply reply = transport_->readReply(PedalStatus::kFieldCount);

    const auto giveUp = [&](StatusOutcome::Kind kind) {
        outcome.kind = kind;
        outcome.error = reply.error;
        updatingFromPedal_ = wasUpdating;
        // An unlink inside the wait has already left the mode.
        if (mode_ == Mode::Requesting)
            setMode(before);
        return outcome;
    };
    std::optional<PedalStatus> status;
    switch (reply.outcome) {
    case Transport::StatusReply::Outcome::Whole:
        status = PedalStatus::decode(transport_->received_bytes_array);
        if (!status)
            return giveUp(StatusOutcome::Kind::Short);
        break;
    case Transport::StatusReply::Outcome::NoAnswer:
        if (reply.queueFailed && mode_ == Mode::Requesting) {
            giveUp(StatusOutcome::Kind::Lost);
            connectionLost();
            return outcome;
        }
        return giveUp(StatusOutcome::Kind::NoAnswer);
    case Transport::StatusReply::Outcome::Short: return giveUp(StatusOutcome::Kind::Short);
    case Transport::StatusReply::Outcome::Malformed: return giveUp(StatusOutcome::Kind::Malformed);
    }

    lastStatus_ = status;
    if (status->bypass)
        bypassOn_ = *status->bypass;
    outcome.kind = StatusOutcome::Kind::Read;
    Q_EMIT statusRead(*status);
    outcome.verdict = judge ? judge(*status) : Verdict::Accepted;
    if (mode_ != Mode::Requesting)
        return outcome; // the link went away while the reply was put on the controls
    switch (outcome.verdict) {
    case Verdict::Accepted:
        updatingFromPedal_ = false;
        setMode(Mode::Linked);
        break;
    case Verdict::FirmwareTooOld:
        // The pedal's values were not taken: the controls stay quiet.
        setMode(Mode::FirmwareTooOld);
        break;
    case Verdict::AlgorithmTooOld:
        setMode(Mode::AlgorithmTooOld);
        break;
    case Verdict::Failed:
        updatingFromPedal_ = wasUpdating;
        setMode(before);
        break;
    }
    return outcome;
}

// ---------------------------------------------------------------- effect upload

bool PedalSession::beginUpload()
{
    if (!permitted(Operation::EffectUpload))
        return false;
    setMode(Mode::Uploading);
    UploadCheckTimer.start();
    return true;
}

uint32_t PedalSession::writeUpload(const QByteArray& image)
{
    if (!permitted(Operation::EffectUpload))
        return 0;
    // Whatever is queued now (a memory dump nobody read, say) is not the
    // answer to this image.
    transport_->dropStaleBytes(QStringLiteral("the upload"));
    return transport_->writeBytes(image);
}

bool PedalSession::awaitUploadAnswer(const std::function<void(const QByteArray&)>& onRead, bool* failed)
{
    bool gone = false;
    const bool answered = transport_->readAnswer(UploadCheckTimer.interval(), onRead, &gone);
    if (failed)
        *failed = gone;
    // The link watch does not ask under a wait: the wait itself has found the
    // device gone. (Unlinked by the watchdog meanwhile, it is no loss.)
    if (gone && mode_ == Mode::Uploading)
        connectionLost();
    return answered;
}

void PedalSession::stopUploadWatchdog()
{
    UploadCheckTimer.stop();
}

void PedalSession::endUpload()
{
    UploadCheckTimer.stop();
    if (mode_ == Mode::Uploading)
        setMode(Mode::Linked);
}

void PedalSession::uploadWatchdogTick()
{
    // Stopped before anyone is told: a modal box must not let it fire again
    // behind it.
    UploadCheckTimer.stop();
    if (mode_ == Mode::Uploading)
        setMode(Mode::Linked);
    Q_EMIT uploadWatchdogExpired();
}

// ---------------------------------------------------------------- the bootloader

void PedalSession::useSerialSettings(bool bootloader)
{
    BootloaderClient::selectSerialSettings(*d2xx_, bootloader);
    d2xx_->setDataCharacteristics();
}

BootloaderClient::Handshake PedalSession::enterBootloader()
{
    if (!permitted(Operation::BootloaderGreeting))
        return {};
    const Mode before = mode_;
    setMode(Mode::BootloaderWriting);
    const BootloaderClient::Handshake handshake = bootloader_->handshake();
    if (mode_ == Mode::BootloaderWriting)
        setMode(handshake.ok ? Mode::BootloaderIdle : before);
    return handshake;
}

bool PedalSession::usesBootloaderSettings() const
{
    return d2xx_->parity != FtdiDriver::FT_PARITY_NONE;
}

BootloaderClient* PedalSession::bootloader()
{
    return permitted(Operation::BootloaderCommand) ? bootloader_.get() : nullptr;
}

void PedalSession::beginBootloaderWrite()
{
    if (mode_ == Mode::BootloaderIdle)
        setMode(Mode::BootloaderWriting);
}

void PedalSession::endBootloaderWrite()
{
    if (mode_ == Mode::BootloaderWriting)
        setMode(Mode::BootloaderIdle);
}

void PedalSession::leaveBootloader()
{
    if (!isLinked())
        return;
    useSerialSettings(false);
    setMode(Mode::Linked);
}

// ---------------------------------------------------------------- the watches

void PedalSession::pollUnsolicited()
{
    bool failed = false;
    const QByteArray bytes = transport_->readUnsolicited(&failed);
    if (failed && mode_ == Mode::Linked) {
        connectionLost();
        return;
    }
    if (bytes.isEmpty())
        return;
    log_.logLine(QStringLiteral("num of bytes read: ") + QString::number(bytes.size()));
    Q_EMIT unsolicitedBytes(bytes);
}

void PedalSession::linkWatchTick()
{
    // An exchange that waits notices a lost device itself; asking the queue
    // under it would only race it.
    if (!isLinked() || SessionGate::isWaiting(mode_))
        return;
    D2XXUnit::QuietErrors quiet(*d2xx_);
    if (d2xx_->queryQueue() != FtdiDriver::FT_OK)
        connectionLost();
}

void PedalSession::deviceWatchTick()
{
    if (isLinked()) {
        deviceWatch_.stop();
        return;
    }
    D2XXUnit::QuietErrors quiet(*d2xx_);
    if (d2xx_->GetFTDeviceCount() != FtdiDriver::FT_OK || d2xx_->deviceCount == 0)
        return;
    deviceWatch_.stop();
    log_.logLine(QStringLiteral("an FTDI device is connected again; Scan And Link links it"));
    Q_EMIT deviceBack();
}
