#pragma once

#include "editor/ParameterModel.h"
#include "firmware/BootloaderClient.h"
#include "link/FtdiDriver.h"
#include "session/Outcome.h"
#include "session/PacedWriter.h"
#include "session/SessionMode.h"
#include "status/PedalStatus.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class D2XXUnit;
class Log;
class Transport;

// The one owner of the link to the pedal. It holds the device (through the
// FTDI layer and the transport), the link's mode, the timers that watch the
// link, the paced parameter writer, the parameter model and the last status
// the pedal reported. Every message to the pedal goes through here and is
// checked against the mode first: a message the mode does not allow is not
// sent, and the log says so. Handlers and windows follow its signals; it knows
// none of them.
class PedalSession : public QObject {
    Q_OBJECT
public:
    using Mode = SessionMode;
    using Operation = PedalOperation;

    // The read timer picks up what the pedal sends unasked between exchanges.
    static constexpr int kReadIntervalMs = 50;
    // An effect upload that has no answer by then has failed.
    static constexpr int kUploadWatchdogMs = 7000;
    // How soon an unplugged pedal is noticed in the modes where nothing else
    // reads from it, and how often a lost one is looked for.
    static constexpr int kLinkWatchMs = 1000;
    static constexpr int kDeviceWatchMs = 1000;

    PedalSession(FtdiDriver& driver, Clock& clock, Log& log, QObject* parent = nullptr);
    ~PedalSession() override;
    PedalSession(const PedalSession&) = delete;
    PedalSession& operator=(const PedalSession&) = delete;

    Mode mode() const { return mode_; }
    // The mode the windows show: a status request is over in a moment and
    // its reply decides the mode that follows, so while it waits they go on
    // showing the mode it started from (the gate refuses what they would send
    // meanwhile).
    Mode shownMode() const { return mode_ == Mode::Requesting ? requestFrom_ : mode_; }
    bool isLinked() const { return SessionGate::isLinked(mode_); }
    // Whether the mode lets the operation through now.
    bool allows(Operation operation) const { return SessionGate::allows(mode_, operation); }
    // As allows(), and a log line when it does not: for a handler that
    // would start an operation of several messages.
    bool mayStart(Operation operation);

    Clock& clock() const { return clock_; }
    Log& log() const { return log_; }
    // The driver's kind, for the placeholder check: the virtual pedal is the
    // only one that may be sent a placeholder image.
    bool isVirtualPedal() const;

    // ---- devices and the link
    struct Device {
        QString serialNumber;
        QString description;
    };
    // The FTDI devices connected now, in the driver's index order.
    QList<Device> devices();
    // Opens the device and sets the line for the pedal's firmware: 115200
    // baud, 8N1, the short latency timer. Linked on success.
    bool open(const QString& serialNumber);
    const QString& serialNumber() const { return serialNumber_; }
    // Why the last open failed, as far as the driver knows.
    FtdiDriver::OpenFailure lastOpenFailure() const;
    // Closes the device; false (and still linked) when the driver refuses.
    bool unlink();
    // The device went away while linked: closed as far as the driver still
    // can, whatever it answers, and Lost. linkLost() follows, once; told says
    // that the operation which found the loss has told the user itself.
    void connectionLost(bool told = false);

    // ---- messages
    // The hexadecimal text converted and written in one write (Transport::sendHex);
    // false when the mode refused it or the write did not go out whole. written
    // (when given) receives the count the write reported, 0 when refused.
    bool send(Operation operation, const QString& hexText, bool purgeTransmitFirst = false, int pauseMs = 0,
              uint32_t* written = nullptr);
    // As send(), told as the outcome of an operation: Done, Refused by the
    // mode (no pedal linked: NoPedal), or WriteFailed.
    Outcome sendMessage(Operation operation, const QString& hexText, bool purgeTransmitFirst = false,
                        int pauseMs = 0, uint32_t* written = nullptr);
    // Why an operation cannot start now: NoPedal when nothing is linked, else Refused.
    Outcome refusal() const { return isLinked() ? Outcome::Refused : Outcome::NoPedal; }
    // Raw bytes in one write; the count written, 0 when refused.
    uint32_t writeBytes(Operation operation, const QByteArray& bytes);
    // 0D 01 / 0D 00.
    bool sendBypass(bool on);
    // Whether the pedal is bypassed, as far as the editor knows: what the last
    // status reply said, or the last bypass message written since.
    bool bypassOn() const { return bypassOn_; }
    // Empties the receive queue before a message whose answer is to be read
    // (the memory dump must begin with its own first byte); the count dropped.
    int dropStaleBytes(const QString& before);
    // Whether the driver holds bytes nobody has read yet, asked quietly: a
    // reader that gives up on silence first looks whether the read timer
    // still has something to hand over. False while the read timer is off.
    bool bytesQueued();
    // The FTDI error-report switch: a failed driver call becomes a log line
    // while it is on. The read timer turns it on with its first tick.
    bool reportsErrors() const;
    void setReportErrors(bool on);

    // ---- parameters
    ParameterModel& parameters() { return parameters_; }
    const ParameterModel& parameters() const { return parameters_; }
    // The write-parameter message for a value, paced or at once.
    PacedWriter& pacedWriter() { return *paced_; }
    // Values written as the effect window's controls write them: each one
    // marked in send logged with its write-parameter message and handed to the
    // paced writer; the attack three times, as the pedal takes it only so. A
    // message that usable refuses is logged and not sent.
    void writeParameters(const std::array<uint32_t, kParameterCount>& values,
                         const std::array<bool, kParameterCount>& send,
                         const std::function<bool(const QString& text)>& usable = {});
    // Raised while a status reply is put on the controls: their handlers then
    // send nothing. Stays raised after a refusal, as the pedal's values were
    // not taken.
    bool updatingFromPedal() const { return updatingFromPedal_; }

    // ---- the status request
    enum class Verdict { Accepted, FirmwareTooOld, AlgorithmTooOld, Failed };
    struct StatusOutcome {
        enum class Kind { Read, Refused, NoAnswer, Short, Malformed, Lost };
        Kind kind = Kind::Refused;
        Verdict verdict = Verdict::Failed; // for Read: what the judge said
        QString error;                     // for Short and Malformed
    };
    // 02 00 and the reply, whole. A whole reply is decoded and handed to judge
    // while the mode is Requesting and updatingFromPedal is raised; what judge
    // answers decides the mode that follows: Linked (values taken), one of the
    // two refusals, or back to where the request started.
    StatusOutcome requestStatus(const std::function<Verdict(const PedalStatus&)>& judge);
    bool requestInProgress() const { return mode_ == Mode::Requesting; }
    const std::optional<PedalStatus>& lastStatus() const { return lastStatus_; }

    // ---- effect upload
    // Uploading, the watchdog running; false (and a log line) when the mode
    // does not allow an upload.
    bool beginUpload();
    // Whatever is queued now is not the answer to the image; then the image.
    uint32_t writeUpload(const QByteArray& image);
    // The pedal's answer, each read handed to onRead, until the line is quiet;
    // false when none came within the watchdog's time or the device is gone.
    bool awaitUploadAnswer(const std::function<void(const QByteArray&)>& onRead, bool* failed = nullptr);
    void stopUploadWatchdog();
    bool uploadWatchdogRunning() const { return UploadCheckTimer.isActive(); }
    void endUpload();

    // ---- the bootloader
    // The bootloader's serial settings, 0x7F and its answer; BootloaderIdle
    // when it answered, the mode as it was when not (the line keeps the
    // bootloader's settings until leaveBootloader()). The greeting is an
    // exchange like any other: BootloaderWriting while it waits, so the read
    // timer cannot take the answer and nothing else is sent into it.
    BootloaderClient::Handshake enterBootloader();
    // True while the greeting waits for its answer.
    bool greetingBootloader() const { return bootloader_->inHandshake(); }
    // The last greeting got no answer from a bootloader.
    bool bootloaderGreetingFailed() const { return bootloader_->handshakeFailed(); }
    // The line speaks the bootloader's even parity.
    bool usesBootloaderSettings() const;
    // The client, in the bootloader modes only; null (and a log line) otherwise.
    BootloaderClient* bootloader();
    // BootloaderWriting for the length of an erase, write, check or Go.
    void beginBootloaderWrite();
    void endBootloaderWrite();
    // The pedal runs its firmware again (after Go), or the link goes back to
    // it after a handshake that found no bootloader: the firmware's serial
    // settings, and Linked.
    void leaveBootloader();

    // The read timer's tick: what the pedal sent unasked, handed on; a
    // device that is gone is noticed here too.
    void pollUnsolicited();

    // The timers, for tests that wait for them (and shorten them where the
    // interval is not the point); they run by the mode alone.
    QTimer& readTimer() { return Timer_USB_Read; }
    QTimer& uploadWatchdog() { return UploadCheckTimer; }
    QTimer& linkWatch() { return linkWatch_; }
    QTimer& deviceWatch() { return deviceWatch_; }
    const QTimer& readTimer() const { return Timer_USB_Read; }
    const QTimer& linkWatch() const { return linkWatch_; }
    const QTimer& deviceWatch() const { return deviceWatch_; }

Q_SIGNALS:
    void modeChanged(SessionMode mode, SessionMode previous);
    // A whole status reply was read (before it is judged).
    void statusRead(const PedalStatus& status);
    // The device went away while linked; told: the user has been told already.
    void linkLost(bool told);
    // After a loss: an FTDI device is connected again.
    void deviceBack();
    // Bytes the pedal sent unasked (a memory dump, say).
    void unsolicitedBytes(const QByteArray& bytes);
    // The upload's answer did not come in time.
    void uploadWatchdogExpired();

private:
    void setMode(Mode mode);
    bool permitted(Operation operation);
    void linkWatchTick();
    void deviceWatchTick();
    void uploadWatchdogTick();
    void useSerialSettings(bool bootloader);

    FtdiDriver& driver_;
    Clock& clock_;
    Log& log_;
    std::unique_ptr<D2XXUnit> d2xx_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<BootloaderClient> bootloader_;
    ParameterModel parameters_;
    std::unique_ptr<PacedWriter> paced_;
    std::optional<PedalStatus> lastStatus_;

    Mode mode_ = Mode::Unlinked;
    Mode requestFrom_ = Mode::Unlinked;
    QString serialNumber_;
    bool updatingFromPedal_ = false;
    bool bypassOn_ = false;
    bool losing_ = false;

    QTimer Timer_USB_Read;
    QTimer UploadCheckTimer;
    QTimer linkWatch_;
    QTimer deviceWatch_;
};
