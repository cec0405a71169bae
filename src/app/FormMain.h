#pragma once

#include <QMainWindow>

#include "effects/CatalogueView.h"
#include "firmware/FirmwareView.h"
#include "seams/FileDialogSettings.h"
#include "session/SessionMode.h"
#include "status/LinkView.h"
#include "status/SettingsView.h"
#include "update/UpdateView.h"

namespace Ui {
class formMain;
}
class Editor;
class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

// The main window: the skeleton that holds every menu, button and label of
// the editor. Its handlers forward to the handlers of each subsystem, and it
// shows what they report through the views it implements.
class FormMain : public QMainWindow,
                 public LinkView,
                 public SettingsView,
                 public CatalogueView,
                 public UpdateView,
                 public FirmwareView {
    Q_OBJECT
public:
    explicit FormMain(Editor& editor);
    ~FormMain() override;

    // The generated form; this window's own unit and the tests reach into it.
    Ui::formMain* ui;

    // The preset dialog's settings as the form gives them (the dialog of
    // "Load Algorithm from File" is the upload handler's).
    FileDialogSettings SaveDialog1;

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

    // Which controls can be clicked in the session's mode: one table, applied
    // whenever the mode the session shows changes.
    void showMode(SessionMode mode);

    // The coloured mark beside the device name; its tooltip names the state.
    QLabel* lblLinkState() const { return lblLinkState_; }
    QLabel* lblStatus() const;
    QLabel* lblFirmwareVersion() const;
    QPushButton* btnRequest() const;
    QPushButton* btnUpload() const;
    // The seventeen channel items under "Channel": OMNI, then 1 to 16.
    const QList<QAction*>& midiChannelItems() const { return midiChannelItems_; }

    // LinkView
    void showDeviceName(const QString& text) override;
    void addSerialNumber(const QString& serialNumber) override;
    // 0 not linked (grey), 1 linked but silent (amber), 2 linked and answering (green).
    void showLinkState(int state, const QString& text) override;
    void showStatusText(const QString& text) override;
    QString statusText() const override;
    void showFirmwareVersion(const QString& text) override;
    void showAlgorithmVersion(const QString& text) override;
    // SettingsView
    void showStoreBypassStatus(bool store) override;
    void showMidiChannel(int channel) override;
    void showLoadFirstPresetAtStartup(bool on) override;
    void showInstrument(uint8_t code) override;
    void showRangeLimit(bool on) override;
    // CatalogueView
    void showEntries(const QStringList& entries) override;
    void showSelectedEntry(int row) override;
    // UpdateView
    void showNewVersion(const QString& newest) override;
    void showNoUpdate() override;
    void showNewVersionMessage(const QString& editorVersion, const QString& newest) override;
    void showUpdateMessageChoice(bool show) override;
    UpdaterCheck::Outcome checkUpdater(const UpdateServer& server, const UpdateSetup& setup) override;
    void closeForUpdater() override;
    // FirmwareView
    void setUpgradeModeChecked(bool checked) override;
    void showUpgradeWindow() override;

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
    // A click on a catalogue entry.
    void lstEffectsClick();
    // Up and down arrows in the catalogue move the selection only.
    void move_up_or_down(int key);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormClose();
    bool FormKeyDown(QKeyEvent* event);
    void applyDesignState();
    void connectHandlers();
    void buildMidiMenu();

    Editor& editor_;
    QLabel* lblLinkState_ = nullptr;
    QMenu* menuVirtualPedal_ = nullptr;
    QList<QAction*> midiChannelItems_;
};
