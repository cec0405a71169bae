#include "firmware/FirmwareUpgradeUnit.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/RegularFile.h"
#include "console/Log.h"
#include "data/DataItems.h"
#include "editor/Messages.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/FirmwareWriter.h"
#include "presets/Backups.h"
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "status/Communication.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
const QString kBanner = QStringLiteral("********************");
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
        // A failed handshake left the link speaking the bootloader's even
        // parity; the pedal's firmware would not read a single message.
        if (comm.linked && editor_.d2xx->parity != FtdiDriver::FT_PARITY_NONE && !pedalInBootloader_)
            client_->useNormalSettings();
        return;
    }

    item->setChecked(true);
    comm.firmware_upgrade_mode = true;

    if (!(pedalInBootloader_ && comm.linked)) {
        bool ok = false;
        const int firmware = comm.firmwareVersion.toInt(&ok);
        if (needsPowerUpEntry_ || comm.firmwareVersion == QLatin1String("0") || !ok || firmware < 9) {
            comm.legacyEntry = true;
            return;
        }

        // The pedal's settings may not survive a new firmware: keep what it
        // plays now where "Load Local Preset" can bring it back.
        editor_.backups->backUpBefore(QStringLiteral("the firmware upgrade"));
        editor_.transport->sendHex(Messages::bypass(true));
        if (!editor_.dialogs().askYesNo(&main, QStringLiteral("Keep SHIFT button on the pedal pressed and click YES."))) {
            comm.firmware_upgrade_mode = false;
            item->setChecked(false);
            return;
        }
        editor_.transport->sendHex(QStringLiteral("0500010203040506"));
        editor_.clock().sleepMs(200);
        // The firmware that took the request runs from the flash, so the
        // flash holds a program to go back to.
        flashHoldsProgram_ = true;
    }
    // else: the pedal still runs its bootloader from an upgrade that did not
    // finish; the bypass and entry messages would reach it as commands.

    comm.firmware_upgrade_mode = true;
    main.Timer_USB_Read.stop();
    const BootloaderClient::Handshake handshake = client_->handshake();
    editor_.log().appendDirect(QStringLiteral("received Byte from bootloader: ") + handshake.reply);
    if (handshake.ok) {
        editor_.dialogs().information(&main, QStringLiteral("Release SHIFT button and click OK."));
        main.setEnabledByName({kStartItem}, true);
        main.btnRequest()->setEnabled(false);
        main.btnUpload()->setEnabled(false);
        StartFirmwareUpgrade();
    } else {
        editor_.dialogs().information(&main, QStringLiteral("Connection to bootloader failed"));
    }
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
    editor_.log().logLine(kBanner + QStringLiteral("FIRMWARE UPGRADE") + kBanner);
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
    upgrade(image);
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
    window.OpenDialog1.initialFolder = QFileInfo(path).absolutePath();
    editor_.log().appendDirect(QStringLiteral("Opening: ") + QFileInfo(path).absoluteFilePath());

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
    upgrade(read.bytes);
}

void FirmwareUpgradeUnit::upgrade(const QByteArray& image)
{
    FirmwareUpgrade& window = *editor_.formFirmwareUpgrade;
    Log& log = editor_.log();
    Clock& clock = editor_.clock();

    const QString refused = FirmwareImage::check(image);
    if (!refused.isEmpty()) {
        log.logLine(QStringLiteral("firmware refused: ") + refused);
        editor_.dialogs().information(&window, refused + QStringLiteral("\r\nNothing was sent to the pedal."));
        return;
    }
    const QList<FirmwareImage::Chunk> chunks = FirmwareImage::chunks(image);
    FirmwareImage::logChunks(log, image, chunks);

    writing_ = true;
    window.btnUpgradeFirmware()->setEnabled(false);
    window.cmbFirmwareChoose()->setEnabled(false);
    window.ProgressBar1()->setMaximum(static_cast<int>(chunks.size()));
    window.ProgressBar1()->setValue(0);

    bool synced = true;
    if (resyncBeforeUpgrade_) {
        window.lblProgress()->setText(QStringLiteral("Connecting to the bootloader..."));
        synced = client_->handshake().ok;
        if (!synced)
            log.logLine(QStringLiteral("the bootloader did not answer before the upgrade"));
    }

    FirmwareWriter::Outcome outcome;
    if (synced) {
        window.lblProgress()->setText(QStringLiteral("Erasing the flash..."));
        qint64 started = 0;
        FirmwareWriter writer(*client_, clock, log);
        outcome = writer.write(
            chunks, version_,
            [&](int block, int count) {
                window.ProgressBar1()->setValue(block);
                if (block == 0)
                    started = clock.nowMs();
                if (block >= count) {
                    window.lblProgress()->setText(QStringLiteral("Writing the version stamp..."));
                    return;
                }
                QString text = QStringLiteral("Writing block %1 of %2").arg(block + 1).arg(count);
                if (block > 0) {
                    const qint64 perBlock = (clock.nowMs() - started) / block;
                    const qint64 secondsLeft = (perBlock * (count - block) + 999) / 1000;
                    text += QStringLiteral(", about %1 s left").arg(secondsLeft);
                }
                window.lblProgress()->setText(text);
            },
            [&] { return editor_.formMain->Timer_USB_Read.isActive(); });
    } else {
        outcome.failure = client_->failure();
        outcome.erased = false;
        outcome.message = QStringLiteral("The firmware upgrade could not start: the pedal's bootloader does not answer.\r\n\r\n"
                                         "To bring the pedal back: unplug it, hold SHIFT while connecting it to USB, "
                                         "check \"Upgrade Mode\" in the Firmware Upgrade menu, then choose "
                                         "Scan And Link in the Connection menu and upgrade again.");
    }
    writing_ = false;
    window.cmbFirmwareChoose()->setEnabled(true);
    window.btnUpgradeFirmware()->setEnabled(true);

    if (outcome.ok) {
        flashHoldsProgram_ = true;
        resyncBeforeUpgrade_ = false;
        window.lblProgress()->setText(QString());
        editor_.dialogs().information(&window, QStringLiteral("Firmware Upgrade Complete, device will now restart"));
        restart();
        return;
    }

    if (outcome.erased)
        flashHoldsProgram_ = false;
    resyncBeforeUpgrade_ = true;
    const bool lost = outcome.failure.kind == BootloaderClient::Failure::Kind::LinkLost;
    window.lblProgress()->setText(outcome.block >= 0
                                      ? QStringLiteral("Upgrade failed at block %1 of %2").arg(outcome.block + 1).arg(chunks.size())
                                      : QStringLiteral("Upgrade failed"));
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
    // The device is gone from under its handle: unlink, so that "Scan And
    // Link" can open it afresh once the pedal is back.
    editor_.d2xx->reportErrors = true;
    if (comm.linked)
        comm.Disconnect();
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
    // the upgrade once more.
    const bool go = flashHoldsProgram_ && comm.linked;
    if (go)
        client_->go();
    else
        editor_.log().logLine(QStringLiteral("no Go: the flash holds no complete firmware"));
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
    main.btnRequest()->setEnabled(true);
    main.btnUpload()->setEnabled(true);

    if (!go && comm.linked) {
        pedalInBootloader_ = true;
        editor_.dialogs().information(
            &main, QStringLiteral("The firmware upgrade did not finish, so the pedal was not restarted: it stays in "
                                  "its bootloader without a working firmware.\r\n\r\n"
                                  "To upgrade it, check \"Upgrade Mode\" in the Firmware Upgrade menu again."));
    }
}
