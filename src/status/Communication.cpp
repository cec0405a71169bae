#include "status/Communication.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/Maintenance.h"
#include "editor/FXsettings.h"
#include "editor/Messages.h"
#include "effects/Catalogue.h"
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareUpgradeUnit.h"
#include "link/D2XXUnit.h"
#include "link/Hex.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "status/DeviceSettings.h"
#include "status/PedalStatus.h"
#include "status/StatusMessages.h"
#include "tracking/InstrumentRange.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QCoreApplication>
#include <QDir>
#include <QScopedValueRollback>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

QString trueFalse(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

const QStringList kUsbObjects = {
    QStringLiteral("btnUpload"),           QStringLiteral("btnSaveParameters"),
    QStringLiteral("btnAssign"),           QStringLiteral("btnSetFootswitchMode"),
    QStringLiteral("btnSetTuning"),        QStringLiteral("menuInstrumentRange"),
    QStringLiteral("menuBypassStatus"),    QStringLiteral("btnRequest"),
    QStringLiteral("menuLoadPreset"),      QStringLiteral("menuSavePreset"),
    QStringLiteral("menuLoadAlgorithmFromFile"), QStringLiteral("lstEffects"),
    QStringLiteral("menuUploadTuningsData"), QStringLiteral("menuMIDI"),
    QStringLiteral("menuRangeLimit"),      QStringLiteral("menuSetAssignableParamsToDefault"),
};
const QStringList kCommandButtons = {
    QStringLiteral("btnRequest"), QStringLiteral("btnSaveParameters"), QStringLiteral("btnAssign"),
    QStringLiteral("btnSetFootswitchMode"), QStringLiteral("btnSetTuning"),
};

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

Communication::Communication(Editor& editor) : editor_(editor)
{
    deviceWatch.setInterval(kDeviceWatchMs);
    QObject::connect(&deviceWatch, &QTimer::timeout, [this] { watchForDevice(); });
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
        editor_.dialogs().information(editor_.formMain, text);
}

void Communication::setLinkState(LinkState state)
{
    linkState_ = state;
    editor_.formMain->showLinkState(static_cast<int>(state), linkStateText(state));
}

D2XXUnit& Communication::d2xx()
{
    return *editor_.d2xx;
}

Transport& Communication::transport()
{
    return *editor_.transport;
}

Log& Communication::log()
{
    return editor_.log();
}

// ---------------------------------------------------------------- linking

void Communication::selectSerialSettings(SerialMode mode)
{
    BootloaderClient::selectSerialSettings(d2xx(), mode == SerialMode::Bootloader);
}

void Communication::findDevices()
{
    FormMain& main = *editor_.formMain;
    d2xx().GetFTDeviceCount();
    for (uint32_t i = 0; i < d2xx().deviceCount; ++i) {
        d2xx().GetFTDeviceSerialNo(i);
        const QString serial = QString::fromLatin1(d2xx().FT_Device_String);
        main.menuSerialNumber()->setText(main.menuSerialNumber()->text() + serial);
        deviceSerialNumber = serial;
        d2xx().GetFTDeviceDescription(i);
        deviceDescription = QString::fromLatin1(d2xx().FT_Device_String);
        main.lblDeviceName()->setText(deviceDescription);
    }
}

void Communication::scanAndLink()
{
    FormMain& main = *editor_.formMain;
    main.lblDeviceName()->setText(QStringLiteral("Device Name"));
    d2xx().GetFTDeviceCount();
    const uint32_t count = d2xx().deviceCount;
    log().logLine(QStringLiteral("FT device count: ") + QString::number(count));
    if (count == 0) {
        editor_.dialogs().information(editor_.formMain, QStringLiteral("No device found"));
        main.lblDeviceName()->setText(QStringLiteral("No device found"));
        return;
    }
    // With several devices the link ends on the last one that answered the
    // status request as a pedal: another FTDI gadget listed after the pedal
    // must not take the link from it. Until the scan knows where it ends, what
    // the requests have to say is kept, and told only for that device.
    const bool several = count > 1;
    struct Found {
        QString serial;
        QString description;
    };
    std::optional<Found> pedal;
    bool endsOnPedal = false;
    for (uint32_t i = 0; i < count; ++i) {
        // One handle at a time: the previous device is unlinked before the next is
        // opened, so no handle leaks, the last one stays linked, and a next one
        // that fails to open leaves an unlinked window rather than a linked-looking
        // one whose "Unlink" can no longer close anything.
        if (linked)
            Disconnect();
        d2xx().GetFTDeviceSerialNo(i);
        const QString serial = QString::fromLatin1(d2xx().FT_Device_String);
        log().logLine(QStringLiteral("FT_Device_String: ") + serial);
        deviceSerialNumber = serial;
        d2xx().GetFTDeviceDescription(i);
        deviceDescription = QString::fromLatin1(d2xx().FT_Device_String);
        main.lblDeviceName()->setText(deviceDescription);
        heldMessages_.clear();
        {
            const QScopedValueRollback<bool> hold(holdMessages_, several);
            Link();
        }
        endsOnPedal = linked && linkState_ == LinkState::Answering;
        if (endsOnPedal)
            pedal = Found{deviceSerialNumber, deviceDescription};
    }
    const QStringList held = std::exchange(heldMessages_, {});
    if (!pedal || endsOnPedal) {
        for (const QString& text : held)
            editor_.dialogs().information(editor_.formMain, text);
        return;
    }
    log().logLine(QStringLiteral("linking %1 again: the last device that answered as a pedal").arg(pedal->serial));
    if (linked)
        Disconnect();
    deviceSerialNumber = pedal->serial;
    deviceDescription = pedal->description;
    main.lblDeviceName()->setText(deviceDescription);
    Link();
}

void Communication::Link()
{
    FormMain& main = *editor_.formMain;
    const bool opened = linkBySerialNumber();
    openFailed_ = !opened;
    if (opened) {
        linked = true;
        deviceWatch.stop();
        setLinkState(LinkState::Silent);
        if (!valuesFrom_.isEmpty() && valuesFrom_ != deviceSerialNumber) {
            // The effect window shows another device's values: its controls
            // would send them on to this one. It comes back with this
            // device's own values when they are read.
            log().logLine(QStringLiteral("the effect window showed the values of %1; closed until %2 answers")
                              .arg(valuesFrom_, deviceSerialNumber));
            if (editor_.formFXsettings->isVisible())
                editor_.formFXsettings->close();
            editor_.formFXsettings->forgetPedalValues();
            valuesFrom_.clear();
        }
        if (main.lblStatus()->text() == deviceBackText()
            || main.lblStatus()->text() == QLatin1String("Status: connection lost"))
            main.lblStatus()->setText(QStringLiteral("Status: "));
        main.setEnabledByName({QStringLiteral("menuFirmwareUpgradeMode")}, true);
        main.setEnabledByName({QStringLiteral("chkFirmwareUpgradeMode"), QStringLiteral("menuScan"),
                               QStringLiteral("menuConnect")},
                              false);
        main.setEnabledByName({QStringLiteral("menuDisconnect"), QStringLiteral("menuEraseSettings"),
                               QStringLiteral("menuLoadFirstPresetAtStartup")},
                              true);
        EnableUSBobjects(true);
        // The bootloader answered and the upgrade window is open: a status
        // request or an effect upload now would go to the bootloader as
        // commands, and its reply wait would take the upgrade's acknowledges.
        if (firmware_upgrade_mode && main.isEnabledByName(QStringLiteral("menuStartFirmwareUpgrade"))) {
            main.btnRequest()->setEnabled(false);
            main.btnUpload()->setEnabled(false);
        }
        log().logLine(QStringLiteral("firmware upgrade mode: ") + trueFalse(firmware_upgrade_mode));
        if (firmware_upgrade_mode)
            main.Timer_USB_Read.stop();
        else
            main.Timer_USB_Read.start();
    }
    if (!legacyEntry)
        requestStatus();
}

bool Communication::linkBySerialNumber()
{
    FormMain& main = *editor_.formMain;
    log().logLine(QStringLiteral("serial number: ") + deviceSerialNumber);
    const bool opened = d2xx().Open_USB_Device_By_Serial_Number(deviceSerialNumber) == FtdiDriver::FT_OK;
    openFailure_ = opened ? FtdiDriver::OpenFailure{} : d2xx().lastOpenFailure();
    if (!opened && !openFailure_.systemText.isEmpty())
        log().logLine(QStringLiteral("could not open %1: %2")
                          .arg(QDir::toNativeSeparators(openFailure_.location), openFailure_.systemText));
    if (opened) {
        log().logLine(QStringLiteral("driver: ") + d2xx().driverInUse());
        main.lblDeviceName()->setText(main.lblDeviceName()->text() + QStringLiteral(" linked"));
        d2xx().setBaudRate();
        d2xx().setDataCharacteristics();
        d2xx().setLatencyTimer();
        const auto handle = static_cast<uint32_t>(reinterpret_cast<quintptr>(d2xx().handle()));
        log().logLine(QStringLiteral("FT_HANDLE: 0x") + Hex::hex(handle, 8));
        log().appendDirect(QStringLiteral("baud rate = ") + QString::number(d2xx().baudRate));
    }
    if (firmware_upgrade_mode) {
        // Bootloader settings, 0x7F and its reply, with a time limit, and
        // taking a bootloader that was synchronised before as listening.
        const BootloaderClient::Handshake handshake = editor_.firmware->client().handshake();
        log().appendDirect(QStringLiteral("received Byte: ") + handshake.reply);
        if (handshake.ok) {
            editor_.dialogs().information(editor_.formMain,
                                          QStringLiteral("Connection to bootloader succeeded, ready for firmware upgrade"));
            editor_.formMain->setEnabledByName({QStringLiteral("menuStartFirmwareUpgrade")}, true);
            main.btnRequest()->setEnabled(false);
            main.btnUpload()->setEnabled(false);
            editor_.firmware->StartFirmwareUpgrade();
        } else {
            editor_.dialogs().information(editor_.formMain, QStringLiteral("Connection to bootloader failed"));
        }
    }
    return opened;
}

void Communication::Disconnect()
{
    if (d2xx().closeDevice() != FtdiDriver::FT_OK)
        return;
    enterUnlinkedState();
}

void Communication::enterUnlinkedState()
{
    FormMain& main = *editor_.formMain;
    main.lblDeviceName()->setText(main.lblDeviceName()->text().remove(QStringLiteral("linked")));
    main.setEnabledByName({QStringLiteral("menuScan"), QStringLiteral("menuConnect")}, true);
    main.setEnabledByName({QStringLiteral("menuDisconnect"), QStringLiteral("btnUpload"), QStringLiteral("btnRequest"),
                           QStringLiteral("btnAssign"), QStringLiteral("btnSaveParameters"),
                           QStringLiteral("btnSetFootswitchMode"), QStringLiteral("btnSetTuning"),
                           QStringLiteral("menuMIDI"), QStringLiteral("menuUploadTuningsData")},
                          false);
    editor_.formFXsettings->enableEffectControls(false);
    main.setEnabledByName({QStringLiteral("menuEraseSettings"), QStringLiteral("menuLoadPreset"),
                           QStringLiteral("menuSavePreset"), QStringLiteral("menuLoadAlgorithmFromFile"),
                           QStringLiteral("menuInstrumentRange"), QStringLiteral("menuRangeLimit")},
                          false);
    linked = false;
    main.Timer_USB_Read.stop();
    main.setEnabledByName({QStringLiteral("menuSetAssignableParamsToDefault"), QStringLiteral("menuBypassStatus"),
                           QStringLiteral("menuLoadFirstPresetAtStartup")},
                          false);
    setLinkState(LinkState::NotLinked);
}

void Communication::connectionLost()
{
    if (losing_ || !linked)
        return;
    const QScopedValueRollback<bool> losing(losing_, true);
    log().logLine(QStringLiteral("the pedal is gone: the device's queue cannot be read any more"));
    unlinkLostDevice();
    editor_.dialogs().information(editor_.formMain, connectionLostText());
}

void Communication::unlinkLostDevice()
{
    if (!linked)
        return;
    FormMain& main = *editor_.formMain;
    main.Timer_USB_Read.stop();
    {
        // Closing a device that is gone may fail; the handle is released as far
        // as the driver can, and the window is unlinked whatever it says.
        D2XXUnit::QuietErrors quiet(d2xx());
        const uint32_t status = d2xx().closeDevice();
        if (status != FtdiDriver::FT_OK)
            log().logLine(QStringLiteral("closing the lost device failed (status %1); unlinked anyway").arg(status));
    }
    enterUnlinkedState();
    main.lblStatus()->setText(QStringLiteral("Status: connection lost"));
    // Offered again for linking ("Pedal found: Scan And Link") once it is back.
    deviceWatch.start();
}

void Communication::watchForDevice()
{
    if (linked) {
        deviceWatch.stop();
        return;
    }
    D2XXUnit::QuietErrors quiet(d2xx());
    const bool listed = d2xx().GetFTDeviceCount() == FtdiDriver::FT_OK;
    if (!listed || d2xx().deviceCount == 0)
        return;
    deviceWatch.stop();
    log().logLine(QStringLiteral("an FTDI device is connected again; Scan And Link links it"));
    FormMain& main = *editor_.formMain;
    main.lblStatus()->setText(deviceBackText());
    main.setEnabledByName({QStringLiteral("menuScan")}, true);
}

void Communication::EnableUSBobjects(bool status)
{
    editor_.formMain->setEnabledByName(kUsbObjects, status);
    editor_.formFXsettings->enableEffectControls(status);
}

void Communication::enableCommandButtons(bool status)
{
    editor_.formMain->setEnabledByName(kCommandButtons, status);
}

void Communication::uploadWatchdogExpired()
{
    // Stopped before the message: a modal box must not let the watchdog fire
    // again behind it and unlink a second time.
    editor_.formMain->UploadCheckTimer.stop();
    editor_.formMain->lblStatus()->setText(QStringLiteral("Upload Failed"));
    Disconnect();
    editor_.dialogs().information(editor_.formMain,
                                  QStringLiteral("Upload failed! Disconnect the pedal from USB and try again."));
}

// ---------------------------------------------------------------- unsolicited bytes

void Communication::pollUnsolicited()
{
    bool failed = false;
    const QByteArray bytes = transport().readUnsolicited(&failed);
    if (failed && linked) {
        connectionLost();
        return;
    }
    if (bytes.isEmpty())
        return;
    log().logLine(QStringLiteral("num of bytes read: ") + QString::number(bytes.size()));
    editor_.maintenance->unsolicitedBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                          static_cast<uint32_t>(bytes.size()));
}

// ---------------------------------------------------------------- bypass

void Communication::sendBypass(bool on)
{
    transport().sendHex(Messages::bypass(on));
}

// ---------------------------------------------------------------- status request

bool Communication::requestStatus()
{
    if (requesting_) {
        // Started from inside the wait of another request (a second click on
        // "Request", say): nesting would read the first request's reply.
        log().logLine(QStringLiteral("status request refused: another request is waiting for the pedal"));
        return false;
    }
    const QScopedValueRollback<bool> requesting(requesting_, true);

    FormMain& main = *editor_.formMain;
    const bool timerWasRunning = main.Timer_USB_Read.isActive();
    const bool wasUpdating = updatingFromPedal;

    log().logLine(Log::banner(QStringLiteral("REQUEST")));
    updatingFromPedal = true;
    main.Timer_USB_Read.stop();
    transport().dropStaleBytes(QStringLiteral("the status request"));
    // No pause before the reply: it is read as it comes, until its last value.
    transport().sendHex(StatusMessages::statusRequest(), true);

    const auto giveUp = [&](const QString& logText, const QString& message) {
        log().logLine(logText);
        tell(message);
        updatingFromPedal = wasUpdating;
        // An "Unlink" (or the upload watchdog) inside the wait has stopped the
        // timer for good: polling a closed device is not the window as it was.
        if (timerWasRunning && linked)
            main.Timer_USB_Read.start();
        return false;
    };
    const Transport::StatusReply reply = transport().readReply(PedalStatus::kFieldCount);
    switch (reply.outcome) {
    case Transport::StatusReply::Outcome::Whole:
        break;
    case Transport::StatusReply::Outcome::NoAnswer:
        if (reply.queueFailed && linked) {
            updatingFromPedal = wasUpdating;
            connectionLost();
            return false;
        }
        if (linked)
            setLinkState(LinkState::Silent);
        if (openFailed_ && !linked)
            return giveUp(QStringLiteral("the pedal could not be opened, so the status request got no answer"),
                          openFailedText(openFailure_));
        return giveUp(QStringLiteral("the pedal did not answer the status request"),
                      QStringLiteral("The pedal did not answer. Check that it is connected, then click Request."));
    case Transport::StatusReply::Outcome::Short:
        return giveUp(QStringLiteral("status reply too short: ") + reply.error,
                      QStringLiteral("The pedal's answer was incomplete. Click Request to ask again."));
    case Transport::StatusReply::Outcome::Malformed:
        return giveUp(QStringLiteral("status reply malformed: ") + reply.error,
                      QStringLiteral("The pedal's answer could not be read. Click Request to ask again."));
    }

    // Whole, so it holds every field a status has.
    const std::optional<PedalStatus> decoded = PedalStatus::decode(reply.values);
    if (!decoded)
        return giveUp(QStringLiteral("status reply too short: %1 values").arg(reply.values.size()),
                      QStringLiteral("The pedal's answer was incomplete. Click Request to ask again."));
    const PedalStatus& status = *decoded;
    lastStatus_ = status;

    if (linked)
        setLinkState(LinkState::Answering);
    firmwareVersion = status.firmwareText();
    main.lblFirmwareVersion()->setText(QStringLiteral("Device Firmware: ") + firmwareVersion);
    log().logLine(QStringLiteral("Firmware Version: ") + firmwareVersion);
    algorithmVersion = status.algorithmText;
    log().logLine(QStringLiteral("Algorithm version: ") + algorithmVersion);
    main.lblAlgorithmVersion()->setText(QStringLiteral("Device Algorithm: ") + algorithmVersion);
    log().logLine(QStringLiteral("Current device firmware: ") + firmwareVersion);
    log().logLine(QStringLiteral("Most recent firmware: ") + QString::number(kMostRecentFirmware));
    effectNumber = status.effectText;
    log().logLine(QStringLiteral("Effect Number: ") + effectNumber);

    if (status.firmware < kMostRecentFirmware) {
        if (editor_.formFXsettings->isVisible())
            editor_.formFXsettings->close();
        tell(QStringLiteral("A firmware upgrade is required. Upgrade to Firmware ") + QString::number(kMostRecentFirmware));
        tell(kFirmwareLegacyHelp);
        EnableUSBobjects(false);
        return false;
    }

    EnableUSBobjects(true);
    if (!status.algorithm)
        return giveUp(QStringLiteral("algorithm version is not a number: ") + algorithmVersion,
                      QStringLiteral("The pedal reported the algorithm version ") + algorithmVersion
                          + QStringLiteral(", which is not a number. Upload the algorithm again."));

    Catalogue& catalogue = *editor_.catalogue;
    const auto selectRunningEffect = [&] {
        if (status.effect && catalogue.selectEntry(*status.effect)) {
            catalogue.GetResourceFile();
            return true;
        }
        log().logLine(QStringLiteral("effect number not in the catalogue: ") + effectNumber);
        tell(QStringLiteral("The pedal runs effect number ") + effectNumber
             + QStringLiteral(", which this editor does not know."));
        return false;
    };

    if (*status.algorithm < catalogue.catalogueVersion()) {
        if (editor_.formFXsettings->isVisible())
            editor_.formFXsettings->close();
        tell(QStringLiteral("Upload the latest version of Quarnel MK3 algorithm:\r\nUpload Quarnel MK3 00")
             + QString::number(catalogue.catalogueVersion()));
        selectRunningEffect();
        enableCommandButtons(false);
        return false;
    }

    if (selectRunningEffect() && !editor_.formFXsettings->isVisible())
        catalogue.OpenEffectWindow();
    showStatus(status);
    if (linked)
        valuesFrom_ = deviceSerialNumber;
    EnableUSBobjects(true);
    updatingFromPedal = false;
    main.Timer_USB_Read.start();
    return true;
}

void Communication::showStatus(const PedalStatus& status)
{
    // In the order of the fields: the log lines follow the reply.
    FXsettings& fx = *editor_.formFXsettings;
    fx.getFootswitchMode(status);
    fx.getTuning(status);
    fx.getControlAssignments(status);
    fx.getBypassStatus(status);
    editor_.deviceSettings->decodeStoreBypassStatus(status);
    editor_.instrumentRange->decodeInstrumentRange(status);
    editor_.deviceSettings->decodeMidiChannel(status);
    fx.getParameterValues(status);
    editor_.deviceSettings->decodeLoadFirstPreset(status);
}
