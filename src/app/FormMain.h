#pragma once

#include <QMainWindow>
#include <QTimer>

#include "seams/FileDialogSettings.h"

namespace Ui {
class formMain;
}
class Editor;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

// The main window: the skeleton that holds every menu, button, label and timer
// of the editor. Its handlers only forward to the units of each subsystem.
class FormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FormMain(Editor& editor);
    ~FormMain() override;

    // The generated form; this window's own unit and the tests reach into it.
    Ui::formMain* ui;

    QTimer TimerCheckWebVersion;

    FileDialogSettings SaveDialog1;
    FileDialogSettings OpenDialog1;

    // The start-up steps, run once right after the window is built.
    void FormCreate();

    // On the virtual pedal, the "Virtual Pedal" menu under Connection: what a
    // person does to a real pedal (hold SHIFT, pull or plug in the cable,
    // switch it off and on), so that the upgrade and its faults can be tried
    // without one. On any other driver there is no such menu and this adds
    // nothing. Once, before the window is shown.
    void addVirtualPedalMenu();

    // Menu items, submenus (by their own name) and widgets, found by name.
    QAction* item(const QString& name) const;
    QWidget* control(const QString& name) const;
    void setEnabledByName(const QStringList& names, bool enabled);
    bool isEnabledByName(const QString& name) const;

    // The controls that the units of other subsystems show their state in. The
    // form itself stays with this window: a change to it cannot break code
    // elsewhere that only knows these.
    QLabel* lblDeviceName() const;
    // The coloured mark beside the device name; its tooltip names the state.
    QLabel* lblLinkState() const { return lblLinkState_; }
    // 0 not linked (grey), 1 linked but silent (amber), 2 linked and answering (green).
    void showLinkState(int state, const QString& text);
    QLabel* lblStatus() const;
    QLabel* lblFirmwareVersion() const;
    QLabel* lblAlgorithmVersion() const;
    QListWidget* lstEffects() const;
    QPushButton* btnRequest() const;
    QPushButton* btnUpload() const;
    QPushButton* btnAssign() const;
    QAction* menuSerialNumber() const;
    QAction* menuStoreBypassStatus() const;
    QAction* menuDoNotStoreBypassStatus() const;
    QAction* menuStandard() const;
    QAction* menuLow() const;
    QAction* menuRangeLimitOFF() const;
    QAction* menuRangeLimitON() const;
    QAction* menuLoadFirstPresetAtStartup() const;
    QAction* menuEnableAllParameters() const;
    QMenu* menuMIDIchannel() const;
    QAction* menuNewAppVersion() const;
    QAction* menuShowUpdateMsg() const;

    // Handlers, named after their controls.
    void menuLoadPresetClick();
    void menuSavePresetClick();
    void menuPresetLibraryClick();
    void menuLoadAlgorithmFromFileClick();
    void menuOpenFilesFolderClick();
    void menuScanClick();
    void menuConnectClick();
    void menuDisconnectClick();
    void menuEnableAllParametersClick();
    void menuUploadTuningsDataClick();
    void menuReportUSBErrorsClick();
    void menuStandardClick();
    void menuLowClick();
    void menuStoreBypassStatusClick();
    void menuDoNotStoreBypassStatusClick();
    void menuRangeLimitOFFClick();
    void menuRangeLimitONClick();
    void menuLoadFirstPresetAtStartupClick();
    void menuSetAssignableParamsToDefaultClick();
    void menuFirmwareUpgradeModeClick();
    void menuStartFirmwareUpgradeClick();
    void menuEraseSettingsClick();
    void menuInfoClick();
    void menuSupportClick();
    void menuUpdateNowClick();
    void menuShowUpdateMsgClick();
    void menuTroubleshootingClick();
    void btnUploadClick();
    void btnRequestClick();
    void btnSaveParametersClick();
    void btnSaveParametersInfoClick();
    void btnAssignClick();
    void btnSetFootswitchModeClick();
    void btnSetTuningClick();
    void chkFirmwareUpgradeModeClick();
    void TimerCheckWebVersionTimer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormClose();
    bool FormKeyDown(QKeyEvent* event);
    void applyDesignState();
    void connectHandlers();

    Editor& editor_;
    QLabel* lblLinkState_ = nullptr;
    QMenu* menuVirtualPedal_ = nullptr;
};
