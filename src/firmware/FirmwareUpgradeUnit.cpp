#include "firmware/FirmwareUpgradeUnit.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "data/DataItems.h"
#include "data/Placeholders.h"
#include "editor/FXsettings.h"
#include "files/RegularFile.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/FirmwareWriter.h"
#include "presets/BackupHandler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/StatusMessages.h"

#include <QAction>
#include <QDir>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {
const QString kUpgradeModeItem = QStringLiteral("menuFirmwareUpgradeMode");
const QString kStartItem = QStringLiteral("menuStartFirmwareUpgrade");
} // namespace

FirmwareUpgradeUnit::FirmwareUpgradeUnit(Editor& editor) : editor_(editor) {}

FirmwareUpgradeUnit::~FirmwareUpgradeUnit() = default;

void FirmwareUpgradeUnit::refuseWhileWriting()
{
    editor_.log().logLine(QStringLiteral("refused: a firmware upgrade is writing"));
    editor_.dialogs().information(editor_.formFirmwareUpgrade, QString::fromLatin1(kWaitText));
}

// ---------------------------------------------------------------- "Upgrade Mode"

void FirmwareUpgradeUnit::menuFirmwareUpgradeModeClick()
{
    FormMain& main = *editor_.formMain;
    Communication& comm = *editor_.comm;
    PedalSession& session = *editor_.session;
    QAction* item = main.item(kUpgradeModeItem);
    // The check item has already toggled itself when its click arrives.
    const bool wasChecked = !item->isChecked();

    if (writing_) {
        item->setChecked(wasChecked);
        refuseWhileWriting();
        return;
    }
    // A click inside the handshake's wait would change the line's settings
    // under the bootloader's reply.
    if (session.greetingBootloader()) {
        item->setChecked(wasChecked);
        editor_.log().logLine(QStringLiteral("Upgrade Mode: ignored while the bootloader is being greeted"));
        return;
    }

    if (wasChecked) {
        item->setChecked(false);
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

    item->setChecked(true);
    comm.firmware_upgrade_mode = true;

    // The pedal still runs its bootloader from an upgrade that did not
    // finish: the bypass and entry messages would reach it as commands, and
    // there is no SHIFT to hold or release.
    const bool inBootloader = pedalInBootloader_ && session.isLinked();
    bool bypassWasOn = false;
    if (!inBootloader) {
        bool ok = false;
        const int firmware = comm.firmwareVersion.toInt(&ok);
        if (needsPowerUpEntry_ || comm.firmwareVersion == QLatin1String("0") || !ok || firmware < 9) {
            comm.legacyEntry = true;
            return;
        }

        // The pedal's settings may not survive a new firmware: keep what it
        // plays now where "Load Local Preset" can bring it back.
        editor_.backups->backUpBefore(QStringLiteral("the firmware upgrade"));
        bypassWasOn = editor_.formFXsettings->isBypassOn();
        session.sendBypass(true);
        if (!editor_.dialogs().askYesNo(&main, QStringLiteral("Keep SHIFT button on the pedal pressed and click YES."))) {
            editor_.log().logLine(QStringLiteral("Upgrade Mode cancelled"));
            leaveFailedEntry(bypassWasOn);
            return;
        }
        session.send(PedalOperation::BootloaderEntry, StatusMessages::bootloaderEntry());
        editor_.clock().sleepMs(200);
    }

    comm.firmware_upgrade_mode = true;
    const BootloaderClient::Handshake handshake = session.enterBootloader();
    editor_.log().appendDirect(QStringLiteral("received Byte from bootloader: ") + handshake.reply);
    if (handshake.ok) {
        if (!inBootloader)
            editor_.dialogs().information(&main, QStringLiteral("Release SHIFT button and click OK."));
        main.setEnabledByName({kStartItem}, true);
        main.btnRequest()->setEnabled(false);
        main.btnUpload()->setEnabled(false);
        StartFirmwareUpgrade();
        return;
    }

    editor_.log().logLine(QStringLiteral("the bootloader did not answer; the link goes back to the pedal's firmware"));
    if (inBootloader) {
        // Nothing was sent to a firmware, so there is no bypass to undo.
        leaveFailedEntry(true);
        editor_.dialogs().information(
            &main, QStringLiteral("Connection to bootloader failed\r\n\r\n"
                                  "The pedal's bootloader did not answer. To bring the pedal back: unplug it, hold "
                                  "SHIFT while connecting it to USB, check \"Upgrade Mode\" in the Firmware Upgrade "
                                  "menu, then choose Scan And Link in the Connection menu."));
        pedalInBootloader_ = false;
        needsPowerUpEntry_ = true;
        return;
    }
    leaveFailedEntry(bypassWasOn);
    editor_.dialogs().information(
        &main, QStringLiteral("Connection to bootloader failed\r\n\r\n"
                              "The pedal's bootloader did not answer, so the pedal goes on with its firmware. "
                              "To upgrade it, check \"Upgrade Mode\" again and keep SHIFT on the pedal pressed "
                              "while you click Yes."));
}

void FirmwareUpgradeUnit::leaveFailedEntry(bool bypassWasOn)
{
    FormMain& main = *editor_.formMain;
    PedalSession& session = *editor_.session;
    main.item(kUpgradeModeItem)->setChecked(false);
    editor_.comm->firmware_upgrade_mode = false;
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
    FormMain& main = *editor_.formMain;
    editor_.session->setReportErrors(false);
    pedalInBootloader_ = false;
    resyncBeforeUpgrade_ = false;
    needsPowerUpEntry_ = false;
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;
    window.move(main.x(), main.y() + main.frameGeometry().height());
    window.show();
}

// ---------------------------------------------------------------- the window

void FirmwareUpgradeUnit::firmwareChosen(const QString& entry)
{
    imageName_ = entry;
    version_ = FirmwareImage::versionFromEntry(entry, version_);
    editor_.log().logLine(QStringLiteral("Firmware Version(DEC): ") + QString::number(version_));
    editor_.log().logLine(entry);
}

void FirmwareUpgradeUnit::btnUpgradeFirmwareClick()
{
    if (writing_) {
        refuseWhileWriting();
        return;
    }
    editor_.log().logLine(Log::banner(QStringLiteral("FIRMWARE UPGRADE")));
    editor_.session->setReportErrors(false);
    bool found = false;
    const QByteArray image = DataItems::bytes(imageName_, &found);
    if (!found || imageName_.isEmpty()) {
        editor_.log().logLine(QStringLiteral("no firmware image named ") + imageName_);
        editor_.dialogs().information(editor_.formFirmwareUpgrade,
                                      QStringLiteral("This editor carries no firmware named \"%1\".").arg(imageName_));
        return;
    }
    editor_.log().logLine(QStringLiteral("Firmware num of bytes: ") + QString::number(image.size()));
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
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;
    const QString path = editor_.dialogs().openFile(&window, window.OpenDialog1.title,
                                                    window.OpenDialog1.initialFolder, window.OpenDialog1.filter);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    window.OpenDialog1.initialFolder = info.absolutePath();
    editor_.log().appendDirect(QStringLiteral("Opening: ") + info.absoluteFilePath());

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
        editor_.log().logLine(QStringLiteral("firmware file refused: ") + why);
        editor_.dialogs().information(&window, why + QStringLiteral("\r\nNothing was sent to the pedal."));
        return;
    }
    editor_.log().logLine(QStringLiteral("num of bytes read: ") + QString::number(read.bytes.size()));
    editor_.session->setReportErrors(false);
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
        if (!editor_.dialogs().askNumber(&window, question, version, FirmwareImage::kLowestVersion,
                                         FirmwareImage::kHighestVersion)) {
            editor_.log().logLine(QStringLiteral("upgrade from a file cancelled: no version chosen"));
            return;
        }
    }
    editor_.log().logLine(QStringLiteral("Firmware Version(DEC): ") + QString::number(version));
    upgrade(read.bytes, version);
}

bool FirmwareUpgradeUnit::refuse(const QByteArray& image, const QString& name, bool fromFile)
{
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;
    Log& log = editor_.log();
    const QString unfit = FirmwareImage::check(image);
    if (!unfit.isEmpty()) {
        log.logLine(QStringLiteral("firmware refused: ") + unfit);
        editor_.dialogs().information(&window, unfit + QStringLiteral("\r\nNothing was sent to the pedal."));
        return true;
    }
    if (Placeholders::isPlaceholder(image) && !editor_.session->isVirtualPedal()) {
        const QString text = Placeholders::refusal(
            Placeholders::Kind::Firmware, fromFile ? Placeholders::Source::File : Placeholders::Source::Embedded,
            fromFile ? QDir::toNativeSeparators(name) : name);
        log.logLine(QStringLiteral("firmware refused: ") + text.simplified());
        editor_.dialogs().information(&window, text);
        return true;
    }
    return false;
}

void FirmwareUpgradeUnit::upgrade(const QByteArray& image, int version)
{
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;
    Log& log = editor_.log();
    Clock& clock = editor_.clock();

    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(image);
    FirmwareImage::logChunks(log, image, chunks);
    const int count = static_cast<int>(chunks.size());

    bool synced = true;
    FirmwareWriter::Outcome outcome;
    PedalSession& session = *editor_.session;
    BootloaderClient* client = session.bootloader();
    if (!client) {
        // The bootloader no longer listens on this link (it was let go of).
        editor_.dialogs().information(&window, QStringLiteral("Connection to bootloader failed"));
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
        editor_.dialogs().information(&window, QStringLiteral("Firmware Upgrade Complete, device will now restart"));
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
    editor_.dialogs().information(&window, outcome.message);
}

void FirmwareUpgradeUnit::linkLost(const QString& message)
{
    FormMain& main = *editor_.formMain;
    Communication& comm = *editor_.comm;
    editor_.dialogs().information(editor_.formFirmwareUpgrade, message);
    // The device is gone from under its handle: unlinked as any lost link is,
    // whatever closing it returns, so that "Scan And Link" can open it afresh
    // and the pedal is offered for linking once it is back. The message
    // above has said what was lost.
    editor_.session->setReportErrors(true);
    editor_.session->connectionLost(true);
    needsPowerUpEntry_ = true;
    pedalInBootloader_ = false;
    comm.firmware_upgrade_mode = false;
    main.item(kUpgradeModeItem)->setChecked(false);
    main.setEnabledByName({kStartItem}, false);
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;
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
    FormMain& main = *editor_.formMain;
    Communication& comm = *editor_.comm;
    PedalSession& session = *editor_.session;
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;

    // Go into an erased or half-written flash would crash the pedal into
    // silence until it is powered again; left in its bootloader, it can take
    // the upgrade once more. What the flash holds is read back, not assumed:
    // a failed upgrade may lie behind a restart of the editor.
    bool go = false;
    QString why = QStringLiteral("the link to it was lost");
    if (BootloaderClient* client = SessionGate::isBootloader(session.mode()) ? session.bootloader() : nullptr) {
        session.beginBootloaderWrite();
        FirmwareWriter writer(*client, editor_.clock(), editor_.log());
        const FirmwareWriter::Startable startable = writer.checkStartable();
        go = startable.ok;
        why = startable.why;
        if (go)
            client->go();
        session.endBootloaderWrite();
    }
    if (!go)
        editor_.log().logLine(QStringLiteral("no Go: ") + why);
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
    main.item(kUpgradeModeItem)->setChecked(false);
    main.setEnabledByName({kStartItem}, false);
    comm.firmware_upgrade_mode = false;

    if (go || !session.isLinked()) {
        main.btnRequest()->setEnabled(true);
        main.btnUpload()->setEnabled(true);
        return;
    }
    // The bootloader still runs: whatever the controls sent would reach it
    // as bytes of a command.
    pedalInBootloader_ = true;
    comm.EnableUSBobjects(false);
    main.lblStatus()->setText(QStringLiteral("Status: the pedal waits in its bootloader for a firmware upgrade"));
    editor_.dialogs().information(
        &main, QStringLiteral("The pedal was not restarted: %1. It stays in its bootloader until an upgrade "
                              "completes.\r\n\r\n"
                              "To upgrade it, check \"Upgrade Mode\" in the Firmware Upgrade menu again.")
                   .arg(why));
}
