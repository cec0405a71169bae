#include "status/Communication.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "editor/FXsettings.h"
#include "effects/CatalogueHandler.h"
#include "firmware/FirmwareUpgradeUnit.h"
#include "seams/Dialogs.h"
#include "session/PedalSession.h"
#include "seams/Log.h"
#include "status/DeviceSettingsHandler.h"
#include "status/PedalStatus.h"
#include "tracking/InstrumentRangeHandler.h"

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
    PedalSession& s = session();
    connect(&s, &PedalSession::linkLost, this, &Communication::linkLost);
    connect(&s, &PedalSession::deviceBack, this, &Communication::deviceBack);
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

Log& Communication::log()
{
    return editor_.log();
}

PedalSession& Communication::session()
{
    return *editor_.session;
}

const std::optional<PedalStatus>& Communication::lastStatus() const
{
    return editor_.session->lastStatus();
}

// ---------------------------------------------------------------- linking

void Communication::findDevices()
{
    FormMain& main = *editor_.formMain;
    for (const PedalSession::Device& device : session().devices()) {
        main.menuSerialNumber()->setText(main.menuSerialNumber()->text() + device.serialNumber);
        deviceSerialNumber = device.serialNumber;
        deviceDescription = device.description;
        main.lblDeviceName()->setText(deviceDescription);
    }
}

void Communication::scanAndLink()
{
    FormMain& main = *editor_.formMain;
    main.lblDeviceName()->setText(QStringLiteral("Device Name"));
    const QList<PedalSession::Device> devices = session().devices();
    const auto count = static_cast<int>(devices.size());
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
    std::optional<PedalSession::Device> pedal;
    bool endsOnPedal = false;
    for (const PedalSession::Device& device : devices) {
        // One handle at a time: the previous device is unlinked before the next is
        // opened, so no handle leaks, the last one stays linked, and a next one
        // that fails to open leaves an unlinked window rather than a linked-looking
        // one whose "Unlink" can no longer close anything.
        if (session().isLinked())
            Disconnect();
        log().logLine(QStringLiteral("FT_Device_String: ") + device.serialNumber);
        deviceSerialNumber = device.serialNumber;
        deviceDescription = device.description;
        main.lblDeviceName()->setText(deviceDescription);
        heldMessages_.clear();
        {
            const QScopedValueRollback<bool> hold(holdMessages_, several);
            Link();
        }
        endsOnPedal = session().isLinked() && linkState_ == LinkState::Answering;
        if (endsOnPedal)
            pedal = device;
    }
    const QStringList held = std::exchange(heldMessages_, {});
    if (!pedal || endsOnPedal) {
        for (const QString& text : held)
            editor_.dialogs().information(editor_.formMain, text);
        return;
    }
    log().logLine(
        QStringLiteral("linking %1 again: the last device that answered as a pedal").arg(pedal->serialNumber));
    if (session().isLinked())
        Disconnect();
    deviceSerialNumber = pedal->serialNumber;
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
    }
    if (legacyEntry)
        return;
    if (!opened) {
        // Nothing is open to ask: the reason the open failed is the answer.
        log().logLine(QStringLiteral("the pedal could not be opened, so the status request got no answer"));
        tell(openFailedText(openFailure_));
        return;
    }
    requestStatus();
}

bool Communication::linkBySerialNumber()
{
    FormMain& main = *editor_.formMain;
    const bool opened = session().open(deviceSerialNumber);
    openFailure_ = opened ? FtdiDriver::OpenFailure{} : session().lastOpenFailure();
    if (opened)
        main.lblDeviceName()->setText(main.lblDeviceName()->text() + QStringLiteral(" linked"));
    if (firmware_upgrade_mode) {
        // Bootloader settings, 0x7F and its reply, with a time limit, and
        // taking a bootloader that was synchronised before as listening.
        const BootloaderClient::Handshake handshake =
            opened ? session().enterBootloader() : BootloaderClient::Handshake{};
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
    if (!session().isLinked() || !session().unlink())
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
    main.setEnabledByName({QStringLiteral("menuSetAssignableParamsToDefault"), QStringLiteral("menuBypassStatus"),
                           QStringLiteral("menuLoadFirstPresetAtStartup")},
                          false);
    setLinkState(LinkState::NotLinked);
}

void Communication::linkLost(bool told)
{
    enterUnlinkedState();
    editor_.formMain->lblStatus()->setText(QStringLiteral("Status: connection lost"));
    if (!told)
        editor_.dialogs().information(editor_.formMain, connectionLostText());
}

void Communication::deviceBack()
{
    // Offered again for linking; nothing is linked without the user.
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

// ---------------------------------------------------------------- status request

bool Communication::requestStatus()
{
    using Kind = PedalSession::StatusOutcome::Kind;
    const PedalSession::StatusOutcome outcome =
        session().requestStatus([this](const PedalStatus& status) { return judge(status); });
    switch (outcome.kind) {
    case Kind::Read:
        return outcome.verdict == PedalSession::Verdict::Accepted;
    case Kind::Refused:
    case Kind::Lost:
        // Said by the session (and, for a lost link, by linkLost()).
        return false;
    case Kind::NoAnswer:
        if (session().isLinked())
            setLinkState(LinkState::Silent);
        log().logLine(QStringLiteral("the pedal did not answer the status request"));
        tell(QStringLiteral("The pedal did not answer. Check that it is connected, then click Request."));
        return false;
    case Kind::Short:
        log().logLine(QStringLiteral("status reply too short: ") + outcome.error);
        tell(QStringLiteral("The pedal's answer was incomplete. Click Request to ask again."));
        return false;
    case Kind::Malformed:
        log().logLine(QStringLiteral("status reply malformed: ") + outcome.error);
        tell(QStringLiteral("The pedal's answer could not be read. Click Request to ask again."));
        return false;
    }
    return false;
}

PedalSession::Verdict Communication::judge(const PedalStatus& status)
{
    using Verdict = PedalSession::Verdict;
    FormMain& main = *editor_.formMain;
    if (session().isLinked())
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
        return Verdict::FirmwareTooOld;
    }

    EnableUSBobjects(true);
    if (!status.algorithm) {
        log().logLine(QStringLiteral("algorithm version is not a number: ") + algorithmVersion);
        tell(QStringLiteral("The pedal reported the algorithm version ") + algorithmVersion
             + QStringLiteral(", which is not a number. Upload the algorithm again."));
        return Verdict::Failed;
    }

    CatalogueHandler& catalogue = *editor_.catalogue;
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
        return Verdict::AlgorithmTooOld;
    }

    if (selectRunningEffect() && !editor_.formFXsettings->isVisible())
        catalogue.OpenEffectWindow();
    showStatus(status);
    if (session().isLinked())
        valuesFrom_ = deviceSerialNumber;
    EnableUSBobjects(true);
    return Verdict::Accepted;
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
