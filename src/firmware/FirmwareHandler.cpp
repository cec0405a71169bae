#include "firmware/FirmwareHandler.h"

#include "data/DataItems.h"
#include "data/Placeholders.h"
#include "files/RegularFile.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareView.h"
#include "firmware/FirmwareWriter.h"
#include "presets/BackupHandler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/StatusMessages.h"

#include <QDir>
#include <QFileInfo>

FirmwareHandler::FirmwareHandler(PedalSession& session, Communication& comm, BackupHandler& backups, Log& log,
                                 Dialogs& dialogs, Clock& clock)
    : session_(session), comm_(comm), backups_(backups), log_(log), dialogs_(dialogs), clock_(clock)
{
    // Without a window to choose from, the newest image is the choice.
    imageName_ = images().constLast();
    version_ = FirmwareImage::versionFromEntry(imageName_, 0);
    connect(&session_, &PedalSession::modeChanged, this, &FirmwareHandler::sessionModeChanged);
    comm_.setLinkGreeting(this);
}

FirmwareHandler::~FirmwareHandler()
{
    comm_.setLinkGreeting(nullptr);
}

QStringList FirmwareHandler::images()
{
    return {QStringLiteral("Firmware_17")};
}

// ---------------------------------------------------------------- the state

void FirmwareHandler::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    Q_EMIT stateChanged(state_);
}

void FirmwareHandler::setUpgradeModeOn(bool on)
{
    upgradeModeOn_ = on;
    // Told even when unchanged: the menu's check item has toggled itself by
    // the time its click arrives.
    if (view_)
        view_->setUpgradeModeChecked(on);
}

void FirmwareHandler::sessionModeChanged(SessionMode mode, SessionMode previous)
{
    if (!SessionGate::isBootloader(previous) || SessionGate::isLinked(mode))
        return;
    // The bootloader's link ended (Unlink, or the pedal went away): the
    // upgrade window has nothing left to write to, and "Upgrade Mode" starts
    // afresh.
    setUpgradeModeOn(false);
    showProgress(0);
    hideWindow();
    setState(State::Normal);
}

bool FirmwareHandler::refuseWhileBusy()
{
    if (state_ != State::Writing && state_ != State::Restarting)
        return false;
    log_.logLine(QStringLiteral("refused: a firmware upgrade is writing"));
    tell(QString::fromLatin1(kWaitText));
    return true;
}

void FirmwareHandler::tell(const QString& text)
{
    dialogs_.information(nullptr, text);
}

void FirmwareHandler::showProgress(int value)
{
    if (upgradeView_)
        upgradeView_->showProgress(value);
}

void FirmwareHandler::showProgressText(const QString& text)
{
    if (upgradeView_)
        upgradeView_->showProgressText(text);
}

void FirmwareHandler::hideWindow()
{
    if (upgradeView_)
        upgradeView_->hideUpgradeWindow();
}

// ---------------------------------------------------------------- the way in

Outcome FirmwareHandler::menuFirmwareUpgradeModeClick()
{
    return setUpgradeMode(!upgradeModeOn_);
}

Outcome FirmwareHandler::setUpgradeMode(bool on)
{
    if (refuseWhileBusy()) {
        setUpgradeModeOn(upgradeModeOn_);
        return Outcome::Refused;
    }
    // A click inside the way in would change the line's settings under the
    // bootloader's reply.
    if (state_ == State::Entering) {
        setUpgradeModeOn(upgradeModeOn_);
        log_.logLine(QStringLiteral("Upgrade Mode: ignored while the bootloader is being greeted"));
        return Outcome::Refused;
    }

    if (!on) {
        setUpgradeModeOn(false);
        if (state_ != State::Armed)
            return Outcome::Done;
        setState(State::Normal);
        // A greeting that got no answer left the link speaking the
        // bootloader's even parity, which the pedal's firmware cannot read.
        // With the bootloader answering (the upgrade window open) the line
        // stays as the bootloader needs it.
        if (session_.isLinked() && !SessionGate::isBootloader(session_.mode()) && session_.bootloaderGreetingFailed()
            && session_.usesBootloaderSettings())
            session_.leaveBootloader();
        return Outcome::Done;
    }

    setUpgradeModeOn(true);
    // The pedal still runs its bootloader (an upgrade that did not finish,
    // or the window already open): the bypass and entry messages would reach
    // it as commands, and there is no SHIFT to hold or release.
    const bool inBootloader = SessionGate::isBootloader(session_.mode());
    bool bypassWasOn = false;
    if (!inBootloader) {
        bool ok = false;
        const QString firmwareVersion = comm_.firmwareVersion();
        const int firmware = firmwareVersion.toInt(&ok);
        // Nothing linked, or a firmware that cannot take the entry message:
        // the pedal is to be powered up with SHIFT held, and the link greets
        // its bootloader.
        if (!session_.isLinked() || needsPowerUpEntry_ || firmwareVersion == QLatin1String("0") || !ok
            || firmware < 9) {
            statusAfterGreeting_ = false;
            setState(State::Armed);
            return Outcome::Done;
        }

        // The pedal's settings may not survive a new firmware: keep what it
        // plays now where "Load Local Preset" can bring it back.
        backups_.backUpBefore(QStringLiteral("the firmware upgrade"));
        bypassWasOn = session_.bypassOn();
        setState(State::Entering);
        session_.sendBypass(true);
        if (!dialogs_.askYesNo(nullptr, QStringLiteral("Keep SHIFT button on the pedal pressed and click YES."))) {
            log_.logLine(QStringLiteral("Upgrade Mode cancelled"));
            leaveFailedEntry(bypassWasOn);
            return Outcome::Cancelled;
        }
        session_.send(PedalOperation::BootloaderEntry, StatusMessages::bootloaderEntry());
        clock_.sleepMs(200);
    }
    greet(inBootloader ? Entry::InBootloader : Entry::Command, bypassWasOn);
    return state_ == State::BootloaderIdle ? Outcome::Done : Outcome::NoAnswer;
}

void FirmwareHandler::setPowerUpEntry(bool on)
{
    if (state_ != State::Normal && state_ != State::Armed)
        return;
    statusAfterGreeting_ = on;
    setState(on ? State::Armed : State::Normal);
    setUpgradeModeOn(on);
}

bool FirmwareHandler::greetsAtLink(bool* asksStatus) const
{
    if (state_ != State::Armed)
        return false;
    if (asksStatus)
        *asksStatus = statusAfterGreeting_;
    return true;
}

void FirmwareHandler::greetAtLink(bool opened)
{
    greet(Entry::PowerUp, true, opened);
}

void FirmwareHandler::greet(Entry entry, bool bypassWasOn, bool opened)
{
    setState(State::Entering);
    // Bootloader settings, 0x7F and its reply, with a time limit, and taking
    // a bootloader that was synchronised before as listening.
    const BootloaderClient::Handshake handshake =
        opened ? session_.enterBootloader() : BootloaderClient::Handshake{};
    log_.appendDirect((entry == Entry::PowerUp ? QStringLiteral("received Byte: ")
                                               : QStringLiteral("received Byte from bootloader: "))
                      + handshake.reply);
    if (handshake.ok) {
        if (entry == Entry::PowerUp)
            tell(QStringLiteral("Connection to bootloader succeeded, ready for firmware upgrade"));
        else if (entry == Entry::Command)
            tell(QStringLiteral("Release SHIFT button and click OK."));
        StartFirmwareUpgrade();
        return;
    }

    switch (entry) {
    case Entry::PowerUp:
        // Still waiting for a pedal powered up with SHIFT held: the next link
        // greets again.
        tell(QStringLiteral("Connection to bootloader failed"));
        setState(State::Armed);
        return;
    case Entry::InBootloader:
        log_.logLine(QStringLiteral("the bootloader did not answer; the link goes back to the pedal's firmware"));
        // Nothing was sent to a firmware, so there is no bypass to undo.
        leaveFailedEntry(true);
        tell(QStringLiteral("Connection to bootloader failed\r\n\r\n"
                            "The pedal's bootloader did not answer. To bring the pedal back: unplug it, hold "
                            "SHIFT while connecting it to USB, check \"Upgrade Mode\" in the Firmware "
                            "Upgrade menu, then choose Scan And Link in the Connection menu."));
        needsPowerUpEntry_ = true;
        return;
    case Entry::Command:
        log_.logLine(QStringLiteral("the bootloader did not answer; the link goes back to the pedal's firmware"));
        leaveFailedEntry(bypassWasOn);
        tell(QStringLiteral("Connection to bootloader failed\r\n\r\n"
                            "The pedal's bootloader did not answer, so the pedal goes on with its firmware. "
                            "To upgrade it, check \"Upgrade Mode\" again and keep SHIFT on the pedal pressed "
                            "while you click Yes."));
        return;
    }
}

void FirmwareHandler::leaveFailedEntry(bool bypassWasOn)
{
    setUpgradeModeOn(false);
    setState(State::Normal);
    if (!session_.isLinked())
        return;
    // 115200 8N1 again (the rate never changed): the firmware reads the
    // bypass message that follows, and every one after it.
    if (session_.usesBootloaderSettings() || SessionGate::isBootloader(session_.mode()))
        session_.leaveBootloader();
    if (!bypassWasOn)
        session_.sendBypass(false);
}

void FirmwareHandler::menuStartFirmwareUpgradeClick()
{
    StartFirmwareUpgrade();
}

void FirmwareHandler::StartFirmwareUpgrade()
{
    session_.setReportErrors(false);
    resyncBeforeUpgrade_ = false;
    needsPowerUpEntry_ = false;
    setState(State::BootloaderIdle);
    if (view_)
        view_->showUpgradeWindow();
}

// ---------------------------------------------------------------- the upgrade

void FirmwareHandler::firmwareChosen(const QString& entry)
{
    imageName_ = entry;
    version_ = FirmwareImage::versionFromEntry(entry, version_);
    log_.logLine(QStringLiteral("Firmware Version(DEC): ") + QString::number(version_));
    log_.logLine(entry);
}

Outcome FirmwareHandler::btnUpgradeFirmwareClick()
{
    if (refuseWhileBusy())
        return Outcome::Refused;
    log_.logLine(Log::banner(QStringLiteral("FIRMWARE UPGRADE")));
    session_.setReportErrors(false);
    bool found = false;
    const QByteArray image = DataItems::bytes(imageName_, &found);
    if (!found || imageName_.isEmpty()) {
        log_.logLine(QStringLiteral("no firmware image named ") + imageName_);
        tell(QStringLiteral("This editor carries no firmware named \"%1\".").arg(imageName_));
        return Outcome::Refused;
    }
    log_.logLine(QStringLiteral("Firmware num of bytes: ") + QString::number(image.size()));
    if (refuse(image, imageName_, false))
        return Outcome::Refused;
    return write(image, version_);
}

Outcome FirmwareHandler::upgradeFromFile()
{
    if (refuseWhileBusy())
        return Outcome::Refused;
    const QString path = dialogs_.openFile(nullptr, openDialog.title, openDialog.initialFolder, openDialog.filter);
    if (path.isEmpty())
        return Outcome::Cancelled;
    return upgradeFromFile(path);
}

Outcome FirmwareHandler::upgradeFromFile(const QString& path, int version)
{
    if (refuseWhileBusy())
        return Outcome::Refused;
    const QFileInfo info(path);
    openDialog.initialFolder = info.absolutePath();
    log_.appendDirect(QStringLiteral("Opening: ") + info.absoluteFilePath());

    // The whole file, or a refusal: a firmware cut short would be flashed as
    // if it were whole.
    const RegularFile::Read read = RegularFile::read(path, FirmwareImage::kFlashSize);
    if (!read.ok()) {
        QString why;
        switch (read.failure) {
        case RegularFile::Failure::NotRegular: why = RegularFile::notRegularText(path); break;
        case RegularFile::Failure::TooLarge:
            why = QStringLiteral("The file is larger than the pedal's flash of %1 bytes.").arg(FirmwareImage::kFlashSize);
            break;
        default: why = QStringLiteral("The file cannot be read: ") + read.error; break;
        }
        log_.logLine(QStringLiteral("firmware file refused: ") + why);
        tell(why + QStringLiteral("\r\nNothing was sent to the pedal."));
        return Outcome::Refused;
    }
    log_.logLine(QStringLiteral("num of bytes read: ") + QString::number(read.bytes.size()));
    session_.setReportErrors(false);
    if (refuse(read.bytes, info.fileName(), true))
        return Outcome::Refused;

    // The pedal reports the stamped version as the one it runs: a file named
    // after its version gets that one, any other the version the user names.
    if (version <= 0)
        version = FirmwareImage::versionFromFileName(info.fileName());
    if (version < 0) {
        version = version_;
        const QString question =
            QStringLiteral("Which firmware version does %1 hold? The pedal will report this version once the "
                           "upgrade is done.")
                .arg(info.fileName());
        if (!dialogs_.askNumber(nullptr, question, version, FirmwareImage::kLowestVersion,
                                FirmwareImage::kHighestVersion)) {
            log_.logLine(QStringLiteral("upgrade from a file cancelled: no version chosen"));
            return Outcome::Cancelled;
        }
    }
    log_.logLine(QStringLiteral("Firmware Version(DEC): ") + QString::number(version));
    return write(read.bytes, version);
}

Outcome FirmwareHandler::upgrade(const QByteArray& image, int version, const QString& name)
{
    if (refuseWhileBusy())
        return Outcome::Refused;
    log_.logLine(Log::banner(QStringLiteral("FIRMWARE UPGRADE")));
    log_.logLine(QStringLiteral("Firmware num of bytes: ") + QString::number(image.size()));
    session_.setReportErrors(false);
    const bool embedded = images().contains(name, Qt::CaseInsensitive);
    if (refuse(image, name, !embedded))
        return Outcome::Refused;
    if (version < FirmwareImage::kLowestVersion || version > FirmwareImage::kHighestVersion) {
        const QString why = QStringLiteral("No firmware version %1 can be stamped: it must lie from %2 to %3.")
                                .arg(version)
                                .arg(FirmwareImage::kLowestVersion)
                                .arg(FirmwareImage::kHighestVersion);
        log_.logLine(QStringLiteral("firmware refused: ") + why);
        tell(why + QStringLiteral("\r\nNothing was sent to the pedal."));
        return Outcome::Refused;
    }
    log_.logLine(QStringLiteral("Firmware Version(DEC): ") + QString::number(version));
    return write(image, version);
}

bool FirmwareHandler::refuse(const QByteArray& image, const QString& name, bool fromFile)
{
    const QString unfit = FirmwareImage::check(image);
    if (!unfit.isEmpty()) {
        log_.logLine(QStringLiteral("firmware refused: ") + unfit);
        tell(unfit + QStringLiteral("\r\nNothing was sent to the pedal."));
        return true;
    }
    if (Placeholders::isPlaceholder(image) && !session_.isVirtualPedal()) {
        const QString text = Placeholders::refusal(
            Placeholders::Kind::Firmware, fromFile ? Placeholders::Source::File : Placeholders::Source::Embedded,
            fromFile ? QDir::toNativeSeparators(name) : name);
        log_.logLine(QStringLiteral("firmware refused: ") + text.simplified());
        tell(text);
        return true;
    }
    return false;
}

void FirmwareHandler::requestStop()
{
    if (state_ != State::Writing || stopRequested_)
        return;
    stopRequested_ = true;
    log_.logLine(QStringLiteral("the firmware upgrade is asked to stop; it ends at the next block"));
}

Outcome FirmwareHandler::write(const QByteArray& image, int version)
{
    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(image);
    FirmwareImage::logChunks(log_, image, chunks);
    const int count = static_cast<int>(chunks.size());

    BootloaderClient* client = session_.bootloader();
    if (!client) {
        // The bootloader no longer listens on this link (it was let go of).
        const QString text = QStringLiteral("Connection to bootloader failed");
        tell(text);
        Q_EMIT upgradeFinished(Outcome::Refused, text);
        return Outcome::Refused;
    }

    bool synced = true;
    FirmwareWriter::Outcome outcome;
    stopRequested_ = false;
    setState(State::Writing);
    session_.beginBootloaderWrite();
    // Every block is written, then read back: the bar covers both.
    const int steps = 2 * count;
    if (upgradeView_)
        upgradeView_->showProgressMaximum(steps);
    showProgress(0);

    if (resyncBeforeUpgrade_) {
        showProgressText(QStringLiteral("Connecting to the bootloader..."));
        synced = client->handshake().ok;
        if (!synced)
            log_.logLine(QStringLiteral("the bootloader did not answer before the upgrade"));
    }

    if (synced) {
        using Phase = FirmwareWriter::Phase;
        showProgressText(QStringLiteral("Erasing the flash..."));
        qint64 started = 0;
        FirmwareWriter writer(*client, clock_, log_);
        writer.setStopCheck([this] { return stopRequested_; });
        outcome = writer.write(chunks, version, [&](Phase phase, int block, int blocks) {
            if (phase == Phase::Stamp) {
                const QString text = QStringLiteral("Writing the version stamp...");
                showProgress(2 * blocks);
                showProgressText(text);
                Q_EMIT progress(2 * blocks, 2 * blocks, text);
                return;
            }
            const int step = phase == Phase::Writing ? block : blocks + block;
            if (step == 0)
                started = clock_.nowMs();
            const QString doing = phase == Phase::Writing ? QStringLiteral("Writing") : QStringLiteral("Checking");
            QString text = QStringLiteral("%1 block %2 of %3").arg(doing).arg(block + 1).arg(blocks);
            if (step > 0) {
                const qint64 perStep = (clock_.nowMs() - started) / step;
                const qint64 secondsLeft = (perStep * (2 * blocks - step) + 999) / 1000;
                text += QStringLiteral(", about %1 s left").arg(secondsLeft);
            }
            showProgress(step);
            showProgressText(text);
            Q_EMIT progress(step, 2 * blocks, text);
        });
    } else {
        outcome.failure = client->failure();
        outcome.erased = false;
        outcome.message =
            QStringLiteral("The firmware upgrade could not start: the pedal's bootloader does not answer.\r\n\r\n"
                           "To bring the pedal back: unplug it, hold SHIFT while connecting it to USB, "
                           "check \"Upgrade Mode\" in the Firmware Upgrade menu, then choose "
                           "Scan And Link in the Connection menu and upgrade again.");
    }
    session_.endBootloaderWrite();
    stopRequested_ = false;
    if (state_ == State::Writing)
        setState(State::BootloaderIdle);

    if (outcome.ok) {
        resyncBeforeUpgrade_ = false;
        showProgressText(QString());
        const QString text = QStringLiteral("Firmware Upgrade Complete, device will now restart");
        tell(text);
        Q_EMIT upgradeFinished(Outcome::Done, text);
        restart();
        return Outcome::Done;
    }

    resyncBeforeUpgrade_ = true;
    const bool lost = outcome.failure.kind == BootloaderClient::Failure::Kind::LinkLost && !outcome.differs;
    QString failedText = outcome.stopped ? QStringLiteral("Upgrade stopped") : QStringLiteral("Upgrade failed");
    if (outcome.block >= 0)
        failedText = QStringLiteral("%1 %2 block %3 of %4")
                         .arg(failedText, outcome.checking ? QStringLiteral("checking") : QStringLiteral("at"))
                         .arg(outcome.block + 1)
                         .arg(count);
    showProgressText(failedText);
    if (lost || !synced) {
        linkLost(outcome.message);
        const Outcome result = lost ? Outcome::NoPedal : Outcome::NoAnswer;
        Q_EMIT upgradeFinished(result, outcome.message);
        return result;
    }
    tell(outcome.message);
    const Outcome result = outcome.stopped ? Outcome::Cancelled : Outcome::WriteFailed;
    Q_EMIT upgradeFinished(result, outcome.message);
    return result;
}

void FirmwareHandler::linkLost(const QString& message)
{
    tell(message);
    // The device is gone from under its handle: unlinked as any lost link is,
    // whatever closing it returns, so that "Scan And Link" can open it afresh
    // and the pedal is offered for linking once it is back. The message
    // above has said what was lost.
    session_.setReportErrors(true);
    session_.connectionLost(true);
    needsPowerUpEntry_ = true;
    setUpgradeModeOn(false);
    setState(State::Normal);
    showProgress(0);
    hideWindow();
}

bool FirmwareHandler::formCloseQuery()
{
    return !refuseWhileBusy();
}

// ---------------------------------------------------------------- the way out

Outcome FirmwareHandler::restart()
{
    if (refuseWhileBusy())
        return Outcome::Refused;
    if (session_.isLinked() && !SessionGate::isBootloader(session_.mode())) {
        // The pedal runs its firmware: there is nothing to start.
        setUpgradeModeOn(false);
        setState(State::Normal);
        hideWindow();
        return Outcome::Done;
    }
    setState(State::Restarting);

    // Go into an erased or half-written flash would crash the pedal into
    // silence until it is powered again; left in its bootloader, it can take
    // the upgrade once more. What the flash holds is read back, not assumed:
    // a failed upgrade may lie behind a restart of the editor.
    bool go = false;
    QString why = QStringLiteral("the link to it was lost");
    if (BootloaderClient* client = SessionGate::isBootloader(session_.mode()) ? session_.bootloader() : nullptr) {
        session_.beginBootloaderWrite();
        FirmwareWriter writer(*client, clock_, log_);
        const FirmwareWriter::Startable startable = writer.checkStartable();
        go = startable.ok;
        why = startable.why;
        if (go)
            client->go();
        session_.endBootloaderWrite();
    }
    if (!go)
        log_.logLine(QStringLiteral("no Go: ") + why);
    session_.setReportErrors(true);
    setUpgradeModeOn(false);
    setState(State::Normal);
    if (go) {
        // The flashed program runs: the firmware's serial settings, and its
        // own status.
        session_.leaveBootloader();
        comm_.requestStatus();
    }
    showProgress(0);
    showProgressText(QString());
    hideWindow();

    if (go)
        return Outcome::Done;
    if (!session_.isLinked())
        return Outcome::NoPedal;
    // The bootloader still runs: the session stays in its bootloader mode,
    // and the controls that would reach it as bytes of a command stay off.
    if (view_)
        view_->showStatusText(QStringLiteral("Status: the pedal waits in its bootloader for a firmware upgrade"));
    tell(QStringLiteral("The pedal was not restarted: %1. It stays in its bootloader until an upgrade "
                        "completes.\r\n\r\n"
                        "To upgrade it, check \"Upgrade Mode\" in the Firmware Upgrade menu again.")
             .arg(why));
    return Outcome::Refused;
}
