#include "app/FormMain.h"

#include "app/ControlText.h"
#include "app/Editor.h"
#include "app/FunctionsUnit.h"
#include "app/Looks.h"
#include "console/MaintenanceHandler.h"
#include "console/PrintConsole.h"
#include "editor/FXsettings.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "firmware/FirmwareHandler.h"
#include "firmware/FirmwareUpgrade.h"
#include "presets/LocalPresetHandler.h"
#include "presets/PresetLibrary.h"
#include "presets/SaveParametersHandler.h"
#include "seams/Dialogs.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/DeviceSettingsHandler.h"
#include "status/DeviceSettingsMessages.h"
#include "tracking/InstrumentRangeHandler.h"
#include "tracking/TrackingMessages.h"
#include "tracking/Tunings.h"
#include "ui_FormMain.h"
#include "update/NewVersionMsg.h"
#include "update/UpdateCheckHandler.h"
#include "update/UpdateUpdaterUnit.h"
#include "virtualpedal/VirtualPedal.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int kClientWidth = 356;
constexpr int kClientHeight = 228;
constexpr const char* kEnabledState = "quarnelEnabled";
constexpr double kTextSize = 11.0;      // 1/96 inch
constexpr double kSmallTextSize = 10.5; // 1/96 inch

// Items never shown in this version; their enabled state is still kept.
const QStringList kHiddenItems = {
    QStringLiteral("menuLoadIR"),           QStringLiteral("menuConnect"),
    QStringLiteral("menuLiveEnable"),       QStringLiteral("menuEnableAllParameters"),
    QStringLiteral("menuReportUSBErrors"),  QStringLiteral("menuRangeLimit"),
    QStringLiteral("menuStartFirmwareUpgrade"), QStringLiteral("menuQuickStart"),
};
const QStringList kDisabledAtDesign = {
    QStringLiteral("menuLoadPreset"),        QStringLiteral("menuSavePreset"),
    QStringLiteral("menuLoadIR"),            QStringLiteral("menuLoadAlgorithmFromFile"),
    QStringLiteral("menuDisconnect"),        QStringLiteral("menuInstrumentRange"),
    QStringLiteral("menuBypassStatus"),      QStringLiteral("menuRangeLimit"),
    QStringLiteral("menuLoadFirstPresetAtStartup"), QStringLiteral("menuStartFirmwareUpgrade"),
    QStringLiteral("menuEraseSettings"),     QStringLiteral("menuAppVersion"),
    QStringLiteral("menuNewAppVersion"),     QStringLiteral("menuUpdateNow"),
    QStringLiteral("menuSerialNumber"),      QStringLiteral("btnGetFXInfo"),
};

// What can be clicked in which mode of the session. A control that would send
// to the pedal is enabled only where the session lets its message through;
// the catalogue and the firmware's way in follow what the pedal runs.
using M = SessionMode;
constexpr ModeSet kNoLink{M::Unlinked, M::Lost};
// The firmware answered and takes every message.
constexpr ModeSet kFirmware{M::Linked, M::AlgorithmTooOld};
struct EnabledWhen {
    const char* control;
    ModeSet modes;
};
const EnabledWhen kEnabledWhen[] = {
    {"menuScan", kNoLink},
    {"menuConnect", kNoLink},
    {"chkFirmwareUpgradeMode", kNoLink},
    {"menuDisconnect", {M::Linked, M::FirmwareTooOld, M::AlgorithmTooOld, M::BootloaderIdle}},
    {"menuFirmwareUpgradeMode", kNoLink | ModeSet{M::Linked, M::FirmwareTooOld, M::AlgorithmTooOld, M::BootloaderIdle}},
    {"menuStartFirmwareUpgrade", {M::BootloaderIdle}},
    {"lstEffects", kNoLink | kFirmware},
    // The commands that need the pedal's values (an older algorithm has none
    // to take).
    {"btnRequest", {M::Linked}},
    {"btnSaveParameters", {M::Linked}},
    {"btnAssign", {M::Linked}},
    {"btnSetFootswitchMode", {M::Linked}},
    {"btnSetTuning", {M::Linked}},
    {"btnUpload", kFirmware},
    {"menuLoadAlgorithmFromFile", kFirmware},
    {"menuInstrumentRange", kFirmware},
    {"menuBypassStatus", kFirmware},
    {"menuLoadPreset", kFirmware},
    {"menuSavePreset", kFirmware},
    {"menuUploadTuningsData", kFirmware},
    {"menuMIDI", kFirmware},
    {"menuRangeLimit", kFirmware},
    {"menuSetAssignableParamsToDefault", kFirmware},
    {"menuLoadFirstPresetAtStartup", kFirmware},
    // The settings memory can be erased while the firmware is too old.
    {"menuEraseSettings", {M::Linked, M::FirmwareTooOld, M::AlgorithmTooOld}},
};
} // namespace

FormMain::FormMain(Editor& editor)
    // The flags go with the construction: set afterwards, they re-create the
    // window and restyle every control once more.
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                               | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::formMain), editor_(editor)
{
    ui->setupUi(this);
    ui->centralWidget->setFixedSize(kClientWidth, kClientHeight);
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    move(37, 31);

    // The layout's text sizes are in 1/96 inch, like its geometry: Arial 11 is
    // 8.25 points. Each control carries its own font, since style sheets stop
    // fonts from being inherited from the parent.
    const QFont arial = ControlText::layoutFont(kTextSize);
    for (QWidget* w : ui->centralWidget->findChildren<QWidget*>())
        w->setFont(arial);
    const QFont smaller = ControlText::layoutFont(kSmallTextSize);
    ui->btnSetFootswitchMode->setFont(smaller);
    ui->btnSetTuning->setFont(smaller);
    ui->btnGetFXInfo->setCursor(Qt::WhatsThisCursor);
    ui->btnSaveParametersInfo->raise();

    // Beside the device name, in the gap before the catalogue.
    lblLinkState_ = new QLabel(ui->centralWidget);
    lblLinkState_->setObjectName(QStringLiteral("lblLinkState"));
    lblLinkState_->setGeometry(185, 35, 12, 12);
    showLinkState(0, QStringLiteral("Not linked"));

    SaveDialog1 = {QStringLiteral("Save Preset File"), QStringLiteral("Text file (*.txt)"), QStringLiteral("txt"), {}};

    applyDesignState();
    PedalSession& session = *editor_.session;
    showMode(session.shownMode());
    connect(&session, &PedalSession::modeChanged, this, [this, &session] { showMode(session.shownMode()); });
    connectHandlers();
    ui->lstEffects->installEventFilter(this);
}

FormMain::~FormMain()
{
    delete ui;
}

QLabel* FormMain::lblStatus() const
{
    return ui->lblStatus;
}

QLabel* FormMain::lblFirmwareVersion() const
{
    return ui->lblFirmwareVersion;
}

QPushButton* FormMain::btnRequest() const
{
    return ui->btnRequest;
}

QPushButton* FormMain::btnUpload() const
{
    return ui->btnUpload;
}

void FormMain::showMode(SessionMode mode)
{
    for (const EnabledWhen& row : kEnabledWhen)
        setEnabledByName({QString::fromLatin1(row.control)}, row.modes.contains(mode));
}

// ---------------------------------------------------------------- what the handlers show

void FormMain::showDeviceName(const QString& text)
{
    ui->lblDeviceName->setText(text);
}

void FormMain::addSerialNumber(const QString& serialNumber)
{
    ui->menuSerialNumber->setText(ui->menuSerialNumber->text() + serialNumber);
}

void FormMain::showLinkState(int state, const QString& text)
{
    static const char* const colours[] = {"#9a9a9a", "#e0a000", "#2eb82e"};
    const char* colour = colours[std::clamp(state, 0, 2)];
    // Its own sheet: the looks restyle labels, and the mark must keep its colour.
    lblLinkState_->setStyleSheet(
        QStringLiteral("QLabel { background-color: %1; border: 1px solid #505050; border-radius: 6px; }")
            .arg(QLatin1String(colour)));
    lblLinkState_->setToolTip(text);
    lblLinkState_->setAccessibleName(text);
}

void FormMain::showStatusText(const QString& text)
{
    ui->lblStatus->setText(text);
}

QString FormMain::statusText() const
{
    return ui->lblStatus->text();
}

void FormMain::showFirmwareVersion(const QString& text)
{
    ui->lblFirmwareVersion->setText(text);
}

void FormMain::showAlgorithmVersion(const QString& text)
{
    ui->lblAlgorithmVersion->setText(text);
}

void FormMain::showStoreBypassStatus(bool store)
{
    ui->menuStoreBypassStatus->setChecked(store);
    ui->menuDoNotStoreBypassStatus->setChecked(!store);
}

void FormMain::showMidiChannel(int channel)
{
    for (int k = 0; k < midiChannelItems_.size(); ++k)
        midiChannelItems_.at(k)->setChecked(k == channel);
}

void FormMain::showLoadFirstPresetAtStartup(bool on)
{
    ui->menuLoadFirstPresetAtStartup->setChecked(on);
}

void FormMain::showInstrument(uint8_t code)
{
    ui->menuStandard->setChecked(code == TrackingMessages::kStandard);
    ui->menuLow->setChecked(code == TrackingMessages::kLow);
}

void FormMain::showRangeLimit(bool on)
{
    ui->menuRangeLimitON->setChecked(on);
    ui->menuRangeLimitOFF->setChecked(!on);
}

void FormMain::showEntries(const QStringList& entries)
{
    ui->lstEffects->clear();
    ui->lstEffects->addItems(entries);
}

void FormMain::showSelectedEntry(int row)
{
    ui->lstEffects->setCurrentRow(row);
    if (row < 0)
        ui->lstEffects->clearSelection();
}

void FormMain::showNewVersion(const QString& newest)
{
    ui->menuNewAppVersion->setText(ui->menuNewAppVersion->text() + QLatin1Char(' ') + newest);
    setEnabledByName({QStringLiteral("menuUpdateNow")}, true);
}

void FormMain::showNoUpdate()
{
    ui->menuNewAppVersion->setText(QStringLiteral("No update available"));
    setEnabledByName({QStringLiteral("menuUpdateNow")}, false);
}

void FormMain::showNewVersionMessage(const QString& editorVersion, const QString& newest)
{
    if (editor_.formNewVersionMsg)
        editor_.formNewVersionMsg->showVersions(editorVersion, newest);
}

void FormMain::showUpdateMessageChoice(bool show)
{
    ui->menuShowUpdateMsg->setChecked(show);
}

UpdaterCheck::Outcome FormMain::checkUpdater(const UpdateServer& server, const UpdateSetup& setup)
{
    if (!editor_.formUpdateUpdater)
        return UpdaterCheck::Outcome::Stop;
    return editor_.formUpdateUpdater->checkUpdater(server, setup, this);
}

void FormMain::closeForUpdater()
{
    close();
}

void FormMain::setUpgradeModeChecked(bool checked)
{
    ui->menuFirmwareUpgradeMode->setChecked(checked);
}

void FormMain::showUpgradeWindow()
{
    FirmwareUpgrade* window = editor_.formFirmwareUpgrade;
    if (!window)
        return;
    window->move(x(), y() + frameGeometry().height());
    window->show();
}

void FormMain::applyDesignState()
{
    // A hidden QAction reports itself disabled; the enabled state the editor
    // keeps for hidden items lives beside it.
    for (const QString& name : kHiddenItems)
        if (QAction* a = item(name)) {
            a->setVisible(false);
            a->setProperty(kEnabledState, true);
        }
    setEnabledByName(kDisabledAtDesign, false);
    ui->btnGetFXInfo->setVisible(false);
    ui->chkFirmwareUpgradeMode->setVisible(false);
    ui->menuReportUSBErrors->setChecked(true);
    ui->menuDoNotStoreBypassStatus->setChecked(true);
}

QAction* FormMain::item(const QString& name) const
{
    if (auto* menu = findChild<QMenu*>(name))
        return menu->menuAction();
    return findChild<QAction*>(name);
}

QWidget* FormMain::control(const QString& name) const
{
    return findChild<QWidget*>(name);
}

void FormMain::setEnabledByName(const QStringList& names, bool enabled)
{
    for (const QString& name : names) {
        if (QAction* a = item(name)) {
            a->setEnabled(enabled);
            if (!a->isVisible())
                a->setProperty(kEnabledState, enabled);
        }
        else if (QWidget* w = control(name))
            w->setEnabled(enabled);
    }
}

bool FormMain::isEnabledByName(const QString& name) const
{
    if (QAction* a = item(name)) {
        const QVariant kept = a->property(kEnabledState);
        return kept.isValid() ? kept.toBool() : a->isEnabled();
    }
    if (QWidget* w = control(name))
        return w->isEnabled();
    return false;
}

void FormMain::connectHandlers()
{
    const auto onItem = [this](QAction* a, void (FormMain::*handler)()) {
        connect(a, &QAction::triggered, this, handler);
    };
    onItem(ui->menuLoadPreset, &FormMain::menuLoadPresetClick);
    onItem(ui->menuSavePreset, &FormMain::menuSavePresetClick);
    onItem(ui->menuPresetLibrary, &FormMain::menuPresetLibraryClick);
    onItem(ui->menuLoadAlgorithmFromFile, &FormMain::menuLoadAlgorithmFromFileClick);
    onItem(ui->menuOpenFilesFolder, &FormMain::menuOpenFilesFolderClick);
    onItem(ui->menuScan, &FormMain::menuScanClick);
    onItem(ui->menuConnect, &FormMain::menuConnectClick);
    onItem(ui->menuDisconnect, &FormMain::menuDisconnectClick);
    onItem(ui->menuEnableAllParameters, &FormMain::menuEnableAllParametersClick);
    onItem(ui->menuUploadTuningsData, &FormMain::menuUploadTuningsDataClick);
    onItem(ui->menuReportUSBErrors, &FormMain::menuReportUSBErrorsClick);
    onItem(ui->menuStandard, &FormMain::menuStandardClick);
    onItem(ui->menuLow, &FormMain::menuLowClick);
    onItem(ui->menuStoreBypassStatus, &FormMain::menuStoreBypassStatusClick);
    onItem(ui->menuDoNotStoreBypassStatus, &FormMain::menuDoNotStoreBypassStatusClick);
    onItem(ui->menuRangeLimitOFF, &FormMain::menuRangeLimitOFFClick);
    onItem(ui->menuRangeLimitON, &FormMain::menuRangeLimitONClick);
    onItem(ui->menuLoadFirstPresetAtStartup, &FormMain::menuLoadFirstPresetAtStartupClick);
    onItem(ui->menuSetAssignableParamsToDefault, &FormMain::menuSetAssignableParamsToDefaultClick);
    onItem(ui->menuFirmwareUpgradeMode, &FormMain::menuFirmwareUpgradeModeClick);
    onItem(ui->menuStartFirmwareUpgrade, &FormMain::menuStartFirmwareUpgradeClick);
    onItem(ui->menuEraseSettings, &FormMain::menuEraseSettingsClick);
    onItem(ui->menuSupport, &FormMain::menuSupportClick);
    onItem(ui->menuUpdateNow, &FormMain::menuUpdateNowClick);
    onItem(ui->menuShowUpdateMsg, &FormMain::menuShowUpdateMsgClick);
    onItem(ui->menuTroubleshooting, &FormMain::menuTroubleshootingClick);
    connect(ui->menuInfo, &QMenu::aboutToShow, this, &FormMain::menuInfoClick);

    connect(ui->btnUpload, &QPushButton::clicked, this, &FormMain::btnUploadClick);
    connect(ui->btnRequest, &QPushButton::clicked, this, &FormMain::btnRequestClick);
    connect(ui->btnSaveParameters, &QPushButton::clicked, this, &FormMain::btnSaveParametersClick);
    connect(ui->btnSaveParametersInfo, &QPushButton::clicked, this, &FormMain::btnSaveParametersInfoClick);
    connect(ui->btnAssign, &QPushButton::clicked, this, &FormMain::btnAssignClick);
    connect(ui->btnSetFootswitchMode, &QPushButton::clicked, this, &FormMain::btnSetFootswitchModeClick);
    connect(ui->btnSetTuning, &QPushButton::clicked, this, &FormMain::btnSetTuningClick);
    connect(ui->chkFirmwareUpgradeMode, &QCheckBox::toggled, this, &FormMain::chkFirmwareUpgradeModeClick);
    connect(ui->lstEffects, &QListWidget::itemClicked, this, &FormMain::lstEffectsClick);
}

void FormMain::FormCreate()
{
    FunctionsUnit& functions = *editor_.functions;
    Communication& comm = *editor_.comm;

    functions.createFilesFolder();                                   // 1
    functions.readSettingsAtStart();                                 // 2
    ui->menuShowUpdateMsg->setChecked(functions.showUpdateMessage);
    ui->menuReportUSBErrors->setChecked(functions.reportUSBErrors);
    functions.trimLogFile();                                         // 3
    comm.findDevices();                                              // 4
    // 5, the serial settings, were chosen by the session when it was made.
    const QString device = ui->lblDeviceName->text();                // 6
    if (device.isEmpty() || device == QLatin1String("No device found"))
        setEnabledByName({QStringLiteral("menuConnect")}, false);
    // 7, "Upgrade Mode" off: the firmware procedure starts in its normal state.
    // 8, the commands off while nothing is linked: showMode's table.
    editor_.catalogue->fill();                                       // 9
    editor_.updateCheck->prepare();                                  // 10
    ui->menuAppVersion->setText(ui->menuAppVersion->text() + QLatin1Char(' ')   // 11
                                + FunctionsUnit::editorVersion());
    editor_.looks->buildLookMenu(ui->menuLook);                      // 12
    editor_.looks->applySavedLook();
    buildMidiMenu();                                                 // 13
    editor_.catalogue->computeCatalogueVersion();                    // 14
    ui->btnSaveParameters->setToolTip(                               // 15
        QStringLiteral("Saves current status of assignable parameters to pedal."));
}

void FormMain::buildMidiMenu()
{
    QMenu* menu = ui->menuMIDIchannel;
    for (int channel = 0; channel < DeviceSettingsMessages::kMidiChannels; ++channel) {
        QAction* item = menu->addAction(DeviceSettingsHandler::midiChannelText(channel));
        item->setCheckable(true);
        connect(item, &QAction::triggered, menu,
                [this, channel] { editor_.deviceSettings->menuMIDIchannelsClickItem(channel); });
        midiChannelItems_.append(item);
    }
}

void FormMain::addVirtualPedalMenu()
{
    auto* pedal = dynamic_cast<VirtualPedal*>(&editor_.driver());
    if (!pedal || menuVirtualPedal_)
        return;
    // Under Connection: the menu bar has no room left in the window's width,
    // and pulling the cable is a matter of the connection.
    ui->menuConnection->addSeparator();
    QMenu* menu = ui->menuConnection->addMenu(QStringLiteral("Virtual Pedal"));
    menuVirtualPedal_ = menu;
    menu->setObjectName(QStringLiteral("menuVirtualPedal"));
    menu->setToolTipsVisible(true);
    const auto addItem = [menu](const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    // What the pedal is doing now: when it does not answer after a power-up
    // with SHIFT held, the reason is in sight.
    QAction* state = addItem("menuVirtualPedalState", QString());
    state->setEnabled(false);
    menu->addSeparator();

    // Held from the start: "Upgrade Mode" asks for SHIFT, and a newcomer
    // trying it should get as far as a pedal whose owner holds it.
    QAction* shift = addItem("menuHoldShift", QStringLiteral("Hold SHIFT"));
    shift->setCheckable(true);
    shift->setChecked(true);
    shift->setToolTip(QStringLiteral("SHIFT held down on the pedal: Upgrade Mode needs it, and a pedal powered up "
                                     "with it held starts its bootloader."));
    pedal->setShiftHeld(true);
    connect(shift, &QAction::toggled, this, [pedal](bool held) { pedal->setShiftHeld(held); });

    QAction* plug = addItem("menuPlug", QStringLiteral("Unplug"));
    QAction* power = addItem("menuPowerCycle", QStringLiteral("Power Cycle"));
    power->setToolTip(QStringLiteral("Off and on again: the pedal starts its bootloader while SHIFT is held, "
                                     "otherwise the program in its flash."));

    const auto show = [pedal, state, plug, power] {
        QString what;
        switch (pedal->mode()) {
        case VirtualPedal::Mode::Firmware: what = QStringLiteral("running its firmware"); break;
        case VirtualPedal::Mode::Bootloader: what = QStringLiteral("in its bootloader"); break;
        case VirtualPedal::Mode::Halted:
            what = QStringLiteral("silent (its flash holds no program that starts)");
            break;
        }
        const bool plugged = pedal->isPlugged();
        state->setText(QStringLiteral("Pedal: ") + (plugged ? what : QStringLiteral("unplugged")));
        plug->setText(plugged ? QStringLiteral("Unplug") : QStringLiteral("Plug In"));
        plug->setToolTip(plugged ? QStringLiteral("Pulls the USB cable, and with it the pedal's power.")
                                 : QStringLiteral("Plugs the USB cable back in: the pedal powers up, in its "
                                                  "bootloader while SHIFT is held."));
        // Without its cable the pedal has no power to switch.
        power->setEnabled(plugged);
    };
    connect(plug, &QAction::triggered, this, [pedal, show] {
        if (pedal->isPlugged())
            pedal->unplug();
        else
            pedal->replug();
        show();
    });
    connect(power, &QAction::triggered, this, [pedal, show] {
        pedal->powerCycle();
        show();
    });
    // The editor moves the pedal between its firmware and its bootloader too.
    connect(menu, &QMenu::aboutToShow, this, show);
    show();
}

void FormMain::closeEvent(QCloseEvent* event)
{
    // Ending the program mid-write would leave the pedal in its bootloader
    // with half a program; the upgrade window refuses its close box likewise.
    if (editor_.firmware && !editor_.firmware->formCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        // Closing the main window ends the program; the other windows go with it.
        QCoreApplication::quit();
    }
}

void FormMain::FormClose()
{
    QString error;
    const QString text = editor_.formPrint ? editor_.formPrint->text() : QString();
    if (!editor_.functions->appendCloseBlock(QDateTime::currentDateTime(), text, &error)) {
        // The program still ends; the log is the only thing lost, and we say so.
        const QString path = QDir::toNativeSeparators(editor_.functions->logFilePath());
        std::fprintf(stderr, "quarnel-editor: could not write %s: %s\n", qPrintable(path), qPrintable(error));
        editor_.dialogs().information(this, QStringLiteral("The log of this run could not be saved to %1: %2")
                                                .arg(path, error));
    }
}

void FormMain::keyPressEvent(QKeyEvent* event)
{
    if (FormKeyDown(event))
        return;
    QMainWindow::keyPressEvent(event);
}

bool FormMain::FormKeyDown(QKeyEvent* event)
{
    const bool ctrlShift = (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))
        == (Qt::ControlModifier | Qt::ShiftModifier);
    if (!ctrlShift)
        return false;
    if (event->key() == Qt::Key_P) {
        editor_.formPrint->show();
        editor_.formPrint->raise();
        event->accept();
        return true;
    }
    if (event->key() == Qt::Key_Z) {
        editor_.formFXsettings->setDefaultAssignableParameterValues();
        event->accept();
        return true;
    }
    return false;
}

bool FormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key))
            return true;
        if (watched == ui->lstEffects && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            move_up_or_down(key->key());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FormMain::move_up_or_down(int key)
{
    QListWidget* list = ui->lstEffects;
    const int index = list->currentRow();
    if (key == Qt::Key_Up) {
        editor_.log().logLine(QStringLiteral("arrow up pressed"));
        if (index > 0)
            list->setCurrentRow(index - 1);
    } else if (key == Qt::Key_Down) {
        editor_.log().logLine(QStringLiteral("arrow down pressed"));
        if (index < list->count() - 1)
            list->setCurrentRow(index + 1);
    }
}

void FormMain::lstEffectsClick() { editor_.catalogue->effetto_cliccato(ui->lstEffects->currentRow()); }
void FormMain::menuLoadPresetClick() { editor_.localPresets->menuLoadPresetClick(); }
void FormMain::menuSavePresetClick() { editor_.localPresets->menuSavePresetClick(); }
void FormMain::menuPresetLibraryClick() { editor_.formPresetLibrary->showLibrary(); }
void FormMain::menuLoadAlgorithmFromFileClick() { editor_.effectUpload->menuLoadAlgorithmFromFileClick(); }
void FormMain::menuOpenFilesFolderClick() { editor_.functions->menuOpenFilesFolderClick(); }
void FormMain::menuScanClick() { editor_.comm->scanAndLink(); }
void FormMain::menuConnectClick() { editor_.comm->Link(); }
void FormMain::menuDisconnectClick() { editor_.comm->Disconnect(); }
void FormMain::menuEnableAllParametersClick()
{
    ui->menuEnableAllParameters->setChecked(editor_.formFXsettings->menuEnableAllParametersClick());
}
void FormMain::menuUploadTuningsDataClick() { editor_.tunings->menuUploadTuningsDataClick(); }
void FormMain::menuReportUSBErrorsClick()
{
    editor_.functions->menuReportUSBErrorsClick(ui->menuReportUSBErrors->isChecked());
}
void FormMain::menuStandardClick() { editor_.instrumentRange->menuStandardClick(); }
void FormMain::menuLowClick() { editor_.instrumentRange->menuLowClick(); }
void FormMain::menuStoreBypassStatusClick() { editor_.deviceSettings->menuStoreBypassStatusClick(); }
void FormMain::menuDoNotStoreBypassStatusClick() { editor_.deviceSettings->menuDoNotStoreBypassStatusClick(); }
void FormMain::menuRangeLimitOFFClick() { editor_.instrumentRange->menuRangeLimitOFFClick(); }
void FormMain::menuRangeLimitONClick() { editor_.instrumentRange->menuRangeLimitONClick(); }
void FormMain::menuLoadFirstPresetAtStartupClick()
{
    editor_.deviceSettings->menuLoadFirstPresetAtStartupClick(ui->menuLoadFirstPresetAtStartup->isChecked());
}
void FormMain::menuSetAssignableParamsToDefaultClick()
{
    editor_.formFXsettings->menuSetAssignableParamsToDefaultClick();
}
void FormMain::menuFirmwareUpgradeModeClick() { editor_.firmware->menuFirmwareUpgradeModeClick(); }
void FormMain::menuStartFirmwareUpgradeClick() { editor_.firmware->menuStartFirmwareUpgradeClick(); }
void FormMain::menuEraseSettingsClick() { editor_.maintenance->menuEraseSettingsClick(); }
void FormMain::menuInfoClick() { editor_.updateCheck->menuInfoClick(); }
void FormMain::menuSupportClick() { editor_.updateCheck->menuSupportClick(); }
void FormMain::menuUpdateNowClick() { editor_.updateCheck->menuUpdateNowClick(); }
void FormMain::menuShowUpdateMsgClick() { editor_.updateCheck->menuShowUpdateMsgClick(ui->menuShowUpdateMsg->isChecked()); }
void FormMain::menuTroubleshootingClick() { editor_.updateCheck->menuTroubleshootingClick(); }
void FormMain::btnUploadClick() { editor_.effectUpload->btnUploadClick(); }
void FormMain::btnRequestClick() { editor_.comm->requestStatus(); }
void FormMain::btnSaveParametersClick() { editor_.saveParameters->btnSaveParametersClick(); }
void FormMain::btnSaveParametersInfoClick() { editor_.saveParameters->btnSaveParametersInfoClick(); }
void FormMain::btnAssignClick() { editor_.formFXsettings->btnAssignClick(ui->btnAssign); }
void FormMain::btnSetFootswitchModeClick() { editor_.formFXsettings->btnSetFootswitchModeClick(); }
void FormMain::btnSetTuningClick() { editor_.formFXsettings->btnSetTuningClick(); }
void FormMain::chkFirmwareUpgradeModeClick()
{
    editor_.firmware->setPowerUpEntry(ui->chkFirmwareUpgradeMode->isChecked());
}
