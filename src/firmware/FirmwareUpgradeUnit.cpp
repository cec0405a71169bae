#include "firmware/FirmwareUpgradeUnit.h"

#include "data/DataItems.h"
#include "data/Placeholders.h"
#include "editor/FXsettings.h"
#include "files/RegularFile.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/FirmwareView.h"
#include "firmware/FirmwareWriter.h"
#include "presets/BackupHandler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/StatusMessages.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>

FirmwareUpgradeUnit::FirmwareUpgradeUnit(PedalSession& session, Communication& comm, BackupHandler& backups,
                                         Log& log, Dialogs& dialogs, Clock& clock)
    : session_(session), comm_(comm), backups_(backups), log_(log), dialogs_(dialogs), clock_(clock)
{
    connect(&session_, &PedalSession::modeChanged, this, &FirmwareUpgradeUnit::modeChanged);
}

void FirmwareUpgradeUnit::modeChanged(SessionMode mode, SessionMode previous)
{
    if (!SessionGate::isBootloader(previous) || SessionGate::isLinked(mode))
        return;
    // The bootloader's link ended (Unlink, or the pedal went away): the
    // upgrade window has nothing left to write to, and "Upgrade Mode" starts
    // afresh.
    comm_.firmware_upgrade_mode = false;
    if (view_)
        view_->setUpgradeModeChecked(false);
    if (window_ && window_->isVisible()) {
        window_->ProgressBar1()->setValue(0);
        window_->hide();
    }
}

FirmwareUpgradeUnit::~FirmwareUpgradeUnit() = default;

void FirmwareUpgradeUnit::refuseWhileWriting()
{
    log_.logLine(QStringLiteral("refused: a firmware upgrade is writing"));
    dialogs_.information(window_, QString::fromLatin1(kWaitText));
}

// ---------------------------------------------------------------- "Upgrade Mode"

void FirmwareUpgradeUnit::menuFirmwareUpgradeModeClick()
{
    Communication& comm = comm_;
    PedalSession& session = session_;
    // The check item has already toggled itself when its click arrives.
    const bool wasChecked = !view_->isUpgradeModeChecked();

    if (writing_) {
        view_->setUpgradeModeChecked(wasChecked);
        refuseWhileWriting();
        return;
    }
    // A click inside the handshake's wait would change the line's settings
    // under the bootloader's reply.
    if (session.greetingBootloader()) {
        view_->setUpgradeModeChecked(wasChecked);
        log_.logLine(QStringLiteral("Upgrade Mode: ignored while the bootloader is being greeted"));
        return;
    }

    if (wasChecked) {
        view_->setUpgradeModeChecked(false);
        comm.firmware_upgrade_mode = false;
        // A greeting that got no answer left the link speaking the
        // bootloader's even parity, which the pedal's firmware cannot read.
        // With the bootloader answering (the upgrade window open) the line
        // stays as the bootloader needs it.
        if (session.isLinked() && !SessionGate::isBootloader(session.mode()) && session.bootloaderGreetingFailed()
            && session.usesBootloaderSettings())
            session.leaveBootloader();
        return;
    }

    view_->setUpgradeModeChecked(true);
    comm.firmware_upgrade_mode = true;

    // The pedal still runs its bootloader (an upgrade that did not finish,
    // or the window already open): the bypass and entry messages would reach
    // it as commands, and there is no SHIFT to hold or release.
    const bool inBootloader = SessionGate::isBootloader(session.mode());
    bool bypassWasOn = false;
    if (!inBootloader) {
        bool ok = false;
        const QString firmwareVersion = comm.firmwareVersion();
        const int firmware = firmwareVersion.toInt(&ok);
        if (needsPowerUpEntry_ || firmwareVersion == QLatin1String("0") || !ok || firmware < 9) {
            comm.legacyEntry = true;
            return;
        }

        // The pedal's settings may not survive a new firmware: keep what it
        // plays now where "Load Local Preset" can bring it back.
        backups_.backUpBefore(QStringLiteral("the firmware upgrade"));
        bypassWasOn = effectWindow_ && effectWindow_->isBypassOn();
        session.sendBypass(true);
        if (!dialogs_.askYesNo(nullptr, QStringLiteral("Keep SHIFT button on the pedal pressed and click YES."))) {
            log_.logLine(QStringLiteral("Upgrade Mode cancelled"));
            leaveFailedEntry(bypassWasOn);
            return;
        }
        session.send(PedalOperation::BootloaderEntry, StatusMessages::bootloaderEntry());
        clock_.sleepMs(200);
    }

    comm.firmware_upgrade_mode = true;
    const BootloaderClient::Handshake handshake = session.enterBootloader();
    log_.appendDirect(QStringLiteral("received Byte from bootloader: ") + handshake.reply);
    if (handshake.ok) {
        if (!inBootloader)
            dialogs_.information(nullptr, QStringLiteral("Release SHIFT button and click OK."));
        StartFirmwareUpgrade();
        return;
    }

    log_.logLine(QStringLiteral("the bootloader did not answer; the link goes back to the pedal's firmware"));
    if (inBootloader) {
        // Nothing was sent to a firmware, so there is no bypass to undo.
        leaveFailedEntry(true);
        dialogs_.information(
            nullptr, QStringLiteral("Connection to bootloader failed\r\n\r\n"
                                    "The pedal's bootloader did not answer. To bring the pedal back: unplug it, hold "
                                    "SHIFT while connecting it to USB, check \"Upgrade Mode\" in the Firmware "
                                    "Upgrade menu, then choose Scan And Link in the Connection menu."));
        needsPowerUpEntry_ = true;
        return;
    }
    leaveFailedEntry(bypassWasOn);
    dialogs_.information(
        nullptr, QStringLiteral("Connection to bootloader failed\r\n\r\n"
                                "The pedal's bootloader did not answer, so the pedal goes on with its firmware. "
                                "To upgrade it, check \"Upgrade Mode\" again and keep SHIFT on the pedal pressed "
                                "while you click Yes."));
}

void FirmwareUpgradeUnit::leaveFailedEntry(bool bypassWasOn)
{
    PedalSession& session = session_;
    view_->setUpgradeModeChecked(false);
    comm_.firmware_upgrade_mode = false;
    if (!session.isLinked())
        return;
    // 115200 8N1 again (the rate never changed): the firmware reads the
    // bypass message that follows, and every one after it.
    if (session.usesBootloaderSettings() || SessionGate::isBootloader(session.mode()))
        session.leaveBootloader();
    if (!bypassWasOn)
        session.sendBypass(false);
}

void FirmwareUpgradeUnit::menuStartFirmwareUpgradeClick()
{
    StartFirmwareUpgrade();
}

void FirmwareUpgradeUnit::StartFirmwareUpgrade()
{
    session_.setReportErrors(false);
    resyncBeforeUpgrade_ = false;
    needsPowerUpEntry_ = false;
    view_->showUpgradeWindow();
}

// ---------------------------------------------------------------- the window

void FirmwareUpgradeUnit::firmwareChosen(const QString& entry)
{
    imageName_ = entry;
    version_ = FirmwareImage::versionFromEntry(entry, version_);
    log_.logLine(QStringLiteral("Firmware Version(DEC): ") + QString::number(version_));
    log_.logLine(entry);
}

void FirmwareUpgradeUnit::btnUpgradeFirmwareClick()
{
    if (writing_) {
        refuseWhileWriting();
        return;
    }
    log_.logLine(Log::banner(QStringLiteral("FIRMWARE UPGRADE")));
    session_.setReportErrors(false);
    bool found = false;
    const QByteArray image = DataItems::bytes(imageName_, &found);
    if (!found || imageName_.isEmpty()) {
        log_.logLine(QStringLiteral("no firmware image named ") + imageName_);
        dialogs_.information(window_,
                                      QStringLiteral("This editor carries no firmware named \"%1\".").arg(imageName_));
        return;
    }
    log_.logLine(QStringLiteral("Firmware num of bytes: ") + QString::number(image.size()));
    if (refuse(image, imageName_, false))
        return;
    upgrade(image, version_);
}

void FirmwareUpgradeUnit::upgradeFromFile()
{
    if (writing_) {
        refuseWhileWriting();
        return;
    }
    FirmwareUpgrade& window = *window_;
    const QString path = dialogs_.openFile(&window, window.OpenDialog1.title,
                                                    window.OpenDialog1.initialFolder, window.OpenDialog1.filter);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    window.OpenDialog1.initialFolder = info.absolutePath();
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
        dialogs_.information(&window, why + QStringLiteral("\r\nNothing was sent to the pedal."));
        return;
    }
    log_.logLine(QStringLiteral("num of bytes read: ") + QString::number(read.bytes.size()));
    session_.setReportErrors(false);
    if (refuse(read.bytes, info.fileName(), true))
        return;

    // The pedal reports the stamped version as the one it runs: a file named
    // after its version gets that one, any other the version the user names.
    int version = FirmwareImage::versionFromFileName(info.fileName());
    if (version < 0) {
        version = version_;
        const QString question =
            QStringLiteral("Which firmware version does %1 hold? The pedal will report this version once the "
                           "upgrade is done.")
                .arg(info.fileName());
        if (!dialogs_.askNumber(&window, question, version, FirmwareImage::kLowestVersion,
                                         FirmwareImage::kHighestVersion)) {
            log_.logLine(QStringLiteral("upgrade from a file cancelled: no version chosen"));
            return;
        }
    }
    log_.logLine(QStringLiteral("Firmware Version(DEC): ") + QString::number(version));
    upgrade(read.bytes, version);
}

bool FirmwareUpgradeUnit::refuse(const QByteArray& image, const QString& name, bool fromFile)
{
    FirmwareUpgrade& window = *window_;
    Log& log = log_;
    const QString unfit = FirmwareImage::check(image);
    if (!unfit.isEmpty()) {
        log.logLine(QStringLiteral("firmware refused: ") + unfit);
        dialogs_.information(&window, unfit + QStringLiteral("\r\nNothing was sent to the pedal."));
        return true;
    }
    if (Placeholders::isPlaceholder(image) && !session_.isVirtualPedal()) {
        const QString text = Placeholders::refusal(
            Placeholders::Kind::Firmware, fromFile ? Placeholders::Source::File : Placeholders::Source::Embedded,
            fromFile ? QDir::toNativeSeparators(name) : name);
        log.logLine(QStringLiteral("firmware refused: ") + text.simplified());
        dialogs_.information(&window, text);
        return true;
    }
    return false;
}

void FirmwareUpgradeUnit::upgrade(const QByteArray& image, int version)
{
    FirmwareUpgrade& window = *window_;
    Log& log = log_;
    Clock& clock = clock_;

    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(image);
    FirmwareImage::logChunks(log, image, chunks);
    const int count = static_cast<int>(chunks.size());

    bool synced = true;
    FirmwareWriter::Outcome outcome;
    PedalSession& session = session_;
    BootloaderClient* client = session.bootloader();
    if (!client) {
        // The bootloader no longer listens on this link (it was let go of).
        dialogs_.information(&window, QStringLiteral("Connection to bootloader failed"));
        return;
    }
    {
        const QScopedValueRollback<bool> writing(writing_, true);
        session.beginBootloaderWrite();
        window.btnUpgradeFirmware()->setEnabled(false);
        window.cmbFirmwareChoose()->setEnabled(false);
        // Every block is written, then read back: the bar covers both.
        window.ProgressBar1()->setMaximum(2 * count);
        window.ProgressBar1()->setValue(0);

        if (resyncBeforeUpgrade_) {
            window.lblProgress()->setText(QStringLiteral("Connecting to the bootloader..."));
            synced = client->handshake().ok;
            if (!synced)
                log.logLine(QStringLiteral("the bootloader did not answer before the upgrade"));
        }

        if (synced) {
            using Phase = FirmwareWriter::Phase;
            window.lblProgress()->setText(QStringLiteral("Erasing the flash..."));
            qint64 started = 0;
            FirmwareWriter writer(*client, clock, log);
            outcome = writer.write(
                chunks, version,
                [&](Phase phase, int block, int blocks) {
                    if (phase == Phase::Stamp) {
                        window.ProgressBar1()->setValue(2 * blocks);
                        window.lblProgress()->setText(QStringLiteral("Writing the version stamp..."));
                        return;
                    }
                    const int step = phase == Phase::Writing ? block : blocks + block;
                    window.ProgressBar1()->setValue(step);
                    if (step == 0)
                        started = clock.nowMs();
                    const QString doing =
                        phase == Phase::Writing ? QStringLiteral("Writing") : QStringLiteral("Checking");
                    QString text = QStringLiteral("%1 block %2 of %3").arg(doing).arg(block + 1).arg(blocks);
                    if (step > 0) {
                        const qint64 perStep = (clock.nowMs() - started) / step;
                        const qint64 secondsLeft = (perStep * (2 * blocks - step) + 999) / 1000;
                        text += QStringLiteral(", about %1 s left").arg(secondsLeft);
                    }
                    window.lblProgress()->setText(text);
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
        session.endBootloaderWrite();
    }
    window.cmbFirmwareChoose()->setEnabled(true);
    window.btnUpgradeFirmware()->setEnabled(true);

    if (outcome.ok) {
        resyncBeforeUpgrade_ = false;
        window.lblProgress()->setText(QString());
        dialogs_.information(&window, QStringLiteral("Firmware Upgrade Complete, device will now restart"));
        restart();
        return;
    }

    resyncBeforeUpgrade_ = true;
    const bool lost = outcome.failure.kind == BootloaderClient::Failure::Kind::LinkLost && !outcome.differs;
    QString failedText = QStringLiteral("Upgrade failed");
    if (outcome.block >= 0)
        failedText = QStringLiteral("Upgrade failed %1 block %2 of %3")
                         .arg(outcome.checking ? QStringLiteral("checking") : QStringLiteral("at"))
                         .arg(outcome.block + 1)
                         .arg(count);
    window.lblProgress()->setText(failedText);
    if (lost || !synced) {
        linkLost(outcome.message);
        return;
    }
    dialogs_.information(&window, outcome.message);
}

void FirmwareUpgradeUnit::linkLost(const QString& message)
{
    Communication& comm = comm_;
    dialogs_.information(window_, message);
    // The device is gone from under its handle: unlinked as any lost link is,
    // whatever closing it returns, so that "Scan And Link" can open it afresh
    // and the pedal is offered for linking once it is back. The message
    // above has said what was lost.
    session_.setReportErrors(true);
    session_.connectionLost(true);
    needsPowerUpEntry_ = true;
    comm.firmware_upgrade_mode = false;
    view_->setUpgradeModeChecked(false);
    FirmwareUpgrade& window = *window_;
    window.ProgressBar1()->setValue(0);
    window.hide();
}

bool FirmwareUpgradeUnit::formCloseQuery()
{
    if (!writing_)
        return true;
    refuseWhileWriting();
    return false;
}

// ---------------------------------------------------------------- restart

void FirmwareUpgradeUnit::restart()
{
    if (writing_) {
        refuseWhileWriting();
        return;
    }
    Communication& comm = comm_;
    PedalSession& session = session_;
    FirmwareUpgrade& window = *window_;

    // Go into an erased or half-written flash would crash the pedal into
    // silence until it is powered again; left in its bootloader, it can take
    // the upgrade once more. What the flash holds is read back, not assumed:
    // a failed upgrade may lie behind a restart of the editor.
    bool go = false;
    QString why = QStringLiteral("the link to it was lost");
    if (BootloaderClient* client = SessionGate::isBootloader(session.mode()) ? session.bootloader() : nullptr) {
        session.beginBootloaderWrite();
        FirmwareWriter writer(*client, clock_, log_);
        const FirmwareWriter::Startable startable = writer.checkStartable();
        go = startable.ok;
        why = startable.why;
        if (go)
            client->go();
        session.endBootloaderWrite();
    }
    if (!go)
        log_.logLine(QStringLiteral("no Go: ") + why);
    session.setReportErrors(true);
    if (go) {
        // The flashed program runs: the firmware's serial settings, and its
        // own status.
        session.leaveBootloader();
        comm.requestStatus();
    }
    window.btnUpgradeFirmware()->setEnabled(true);
    window.ProgressBar1()->setValue(0);
    window.lblProgress()->setText(QString());
    window.hide();
    view_->setUpgradeModeChecked(false);
    comm.firmware_upgrade_mode = false;

    if (go || !session.isLinked())
        return;
    // The bootloader still runs: the session stays in its bootloader mode,
    // and the controls that would reach it as bytes of a command stay off.
    view_->showStatusText(QStringLiteral("Status: the pedal waits in its bootloader for a firmware upgrade"));
    dialogs_.information(
        nullptr, QStringLiteral("The pedal was not restarted: %1. It stays in its bootloader until an upgrade "
                                "completes.\r\n\r\n"
                                "To upgrade it, check \"Upgrade Mode\" in the Firmware Upgrade menu again.")
                     .arg(why));
}
