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
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "presets/Backups.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
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

FirmwareUpgradeUnit::FirmwareUpgradeUnit(Editor& editor)
    : editor_(editor), client_(std::make_unique<BootloaderClient>(*editor.d2xx, *editor.transport, editor.log()))
{
}

FirmwareUpgradeUnit::~FirmwareUpgradeUnit() = default;

BootloaderClient& FirmwareUpgradeUnit::client()
{
    return *client_;
}

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
    if (client_->inHandshake()) {
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
        if (comm.linked && client_->handshakeFailed() && editor_.d2xx->parity != FtdiDriver::FT_PARITY_NONE)
            client_->useNormalSettings();
        return;
    }

    item->setChecked(true);
    comm.firmware_upgrade_mode = true;

    // The pedal still runs its bootloader from an upgrade that did not
    // finish: the bypass and entry messages would reach it as commands, and
    // there is no SHIFT to hold or release.
    const bool inBootloader = pedalInBootloader_ && comm.linked;
    const bool timerWasRunning = main.Timer_USB_Read.isActive();
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
        editor_.comm->sendBypass(true);
        if (!editor_.dialogs().askYesNo(&main, QStringLiteral("Keep SHIFT button on the pedal pressed and click YES."))) {
            editor_.log().logLine(QStringLiteral("Upgrade Mode cancelled"));
            leaveFailedEntry(bypassWasOn, timerWasRunning);
            return;
        }
        editor_.transport->sendHex(StatusMessages::bootloaderEntry());
        editor_.clock().sleepMs(200);
    }

    comm.firmware_upgrade_mode = true;
    main.Timer_USB_Read.stop();
    const BootloaderClient::Handshake handshake = client_->handshake();
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
        leaveFailedEntry(true, false);
        editor_.dialogs().information(
            &main, QStringLiteral("Connection to bootloader failed\r\n\r\n"
                                  "The pedal's bootloader did not answer. To bring the pedal back: unplug it, hold "
                                  "SHIFT while connecting it to USB, check \"Upgrade Mode\" in the Firmware Upgrade "
                                  "menu, then choose Scan And Link in the Connection menu."));
        pedalInBootloader_ = false;
        needsPowerUpEntry_ = true;
        return;
    }
    leaveFailedEntry(bypassWasOn, timerWasRunning);
    editor_.dialogs().information(
        &main, QStringLiteral("Connection to bootloader failed\r\n\r\n"
                              "The pedal's bootloader did not answer, so the pedal goes on with its firmware. "
                              "To upgrade it, check \"Upgrade Mode\" again and keep SHIFT on the pedal pressed "
                              "while you click Yes."));
}

void FirmwareUpgradeUnit::leaveFailedEntry(bool bypassWasOn, bool timerWasRunning)
{
    FormMain& main = *editor_.formMain;
    Communication& comm = *editor_.comm;
    main.item(kUpgradeModeItem)->setChecked(false);
    comm.firmware_upgrade_mode = false;
    if (!comm.linked)
        return;
    // 115200 8N1 again (the rate never changed): the firmware reads the
    // bypass message that follows, and every one after it.
    if (editor_.d2xx->parity != FtdiDriver::FT_PARITY_NONE)
        client_->useNormalSettings();
    if (!bypassWasOn)
        editor_.comm->sendBypass(false);
    if (timerWasRunning)
        main.Timer_USB_Read.start();
}

void FirmwareUpgradeUnit::menuStartFirmwareUpgradeClick()
{
    StartFirmwareUpgrade();
}

void FirmwareUpgradeUnit::StartFirmwareUpgrade()
{
    FormMain& main = *editor_.formMain;
    main.Timer_USB_Read.stop();
    editor_.d2xx->reportErrors = false;
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
    editor_.d2xx->reportErrors = false;
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
    editor_.d2xx->reportErrors = false;
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
    if (Placeholders::isPlaceholder(image) && !editor_.driver().isVirtualPedal()) {
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
    {
        const QScopedValueRollback<bool> writing(writing_, true);
        window.btnUpgradeFirmware()->setEnabled(false);
        window.cmbFirmwareChoose()->setEnabled(false);
        // Every block is written, then read back: the bar covers both.
        window.ProgressBar1()->setMaximum(2 * count);
        window.ProgressBar1()->setValue(0);

        if (resyncBeforeUpgrade_) {
            window.lblProgress()->setText(QStringLiteral("Connecting to the bootloader..."));
            synced = client_->handshake().ok;
            if (!synced)
                log.logLine(QStringLiteral("the bootloader did not answer before the upgrade"));
        }

        if (synced) {
            using Phase = FirmwareWriter::Phase;
            window.lblProgress()->setText(QStringLiteral("Erasing the flash..."));
            qint64 started = 0;
            FirmwareWriter writer(*client_, clock, log);
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
            outcome.failure = client_->failure();
            outcome.erased = false;
            outcome.message =
                QStringLiteral("The firmware upgrade could not start: the pedal's bootloader does not answer.\r\n\r\n"
                               "To bring the pedal back: unplug it, hold SHIFT while connecting it to USB, "
                               "check \"Upgrade Mode\" in the Firmware Upgrade menu, then choose "
                               "Scan And Link in the Connection menu and upgrade again.");
        }
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
    // and the pedal is offered for linking once it is back.
    editor_.d2xx->reportErrors = true;
    comm.unlinkLostDevice();
    BootloaderClient::selectSerialSettings(*editor_.d2xx, false);
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
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;

    // Go into an erased or half-written flash would crash the pedal into
    // silence until it is powered again; left in its bootloader, it can take
    // the upgrade once more. What the flash holds is read back, not assumed:
    // a failed upgrade may lie behind a restart of the editor.
    bool go = false;
    QString why = QStringLiteral("the link to it was lost");
    if (comm.linked) {
        FirmwareWriter writer(*client_, editor_.clock(), editor_.log());
        const FirmwareWriter::Startable startable = writer.checkStartable();
        go = startable.ok;
        why = startable.why;
    }
    if (go)
        client_->go();
    else
        editor_.log().logLine(QStringLiteral("no Go: ") + why);
    editor_.d2xx->reportErrors = true;
    client_->useNormalSettings();
    if (go) {
        comm.requestStatus();
        if (comm.linked)
            main.Timer_USB_Read.start();
    }
    window.btnUpgradeFirmware()->setEnabled(true);
    window.ProgressBar1()->setValue(0);
    window.lblProgress()->setText(QString());
    window.hide();
    main.item(kUpgradeModeItem)->setChecked(false);
    main.setEnabledByName({kStartItem}, false);
    comm.firmware_upgrade_mode = false;

    if (go || !comm.linked) {
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
