#pragma once

#include "editor/EditMenu.h"
#include "editor/EffectView.h"
#include "editor/ParameterModel.h"
#include "session/SessionMode.h"

#include <QList>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class formFXsettings;
}
class Clock;
class Dial;
class Dialogs;
class Log;
class PedalSession;
class PedalSetupHandler;
class QAction;
class QComboBox;
class QLabel;
class QMenuBar;
struct PedalStatus;

// The effect settings window: the twenty parameters of the running effect as
// knobs, switches, boxes and lists, the assignment lists, the footswitch mode
// and the tuning. Every change of a parameter control goes to the pedal at
// once; the knobs are paced by the session to one message per 100 ms.
class FXsettings : public QWidget, public EffectView, private EditMenu::Window {
    Q_OBJECT
public:
    // beside: the main window, whose right edge the window opens at.
    FXsettings(PedalSession& session, PedalSetupHandler& setup, Log& log, Dialogs& dialogs, Clock& clock,
               QWidget* beside);
    ~FXsettings() override;

    Ui::formFXsettings* ui;

    // Raised only while showParameterValues(true) runs (the values shown
    // again when no preset file was chosen): the knobs then write at once
    // instead of through the pacing.
    bool sendImmediately = false;

    void enableEffectControls(bool enabled);
    // Its controls enabled where the session lets their messages through.
    void showMode(SessionMode mode);

    // The Edit menu above the controls: undo and redo of parameter edits, and
    // the comparison with the values the last status reply or preset brought.
    // EditMenu runs it; these are its bar and actions.
    QMenuBar* editMenuBar = nullptr;
    QAction* menuUndo = nullptr;
    QAction* menuRedo = nullptr;
    QAction* menuCompare = nullptr;
    // Says "Comparing" beside the menu while the reference values play.
    QLabel* lblComparing = nullptr;
    // The controls as the form places them, below the menu bar.
    QWidget* formArea = nullptr;
    bool comparing() const { return editMenu_->comparing(); }
    const EditHistory& history() const { return editMenu_->history(); }

    // A preset or the defaults: the states the handler put the values in,
    // shown without sending, as one step of the history.
    void beginValuesChange() override;
    void showValuesChange(const ControlStates::States& states, const QString& step,
                          const EditHistory::Touched& touched, bool reference) override;
    void showAllParametersEnabled(bool all) override;
    // The values the pedal plays with the user's edits (also while comparing),
    // in status-reply order: what a backup keeps. False until the pedal's
    // values have been read or a preset loaded.
    bool valuesToKeep(std::array<uint32_t, kParameterCount>& out) const override;
    // The link moved to another device: what the window holds is not that
    // device's, so nothing is kept or compared until its values are read.
    void forgetPedalValues() override;

    // EffectView: the window itself.
    bool isEffectWindowShown() const override { return isVisible(); }
    void showEffectWindow(const QString& title) override;
    void closeEffectWindow() override { close(); }

    // The window's parts of a status reply, each shown on its controls.
    void getFootswitchMode(const PedalStatus& status) override;
    void getTuning(const PedalStatus& status) override;
    void getControlAssignments(const PedalStatus& status) override;
    void getBypassStatus(const PedalStatus& status) override;
    void getParameterValues(const PedalStatus& status) override;
    // Puts the twenty stored values on their controls, whose handlers then run.
    void showParameterValues(bool sendImmediately) override;

    // Sending.
    uint32_t sendParameterLevel(Dial* dial, ParameterId id);
    void sendParameterValue(uint32_t value, ParameterId id);
    // What the Bypass switch shows: the pedal's bypass as far as the editor knows.
    bool isBypassOn() const;

    // The main window's "Assign", "Set Footswitch Mode" and "Set Tuning",
    // with what this window's lists and buttons show.
    void btnAssignClick();
    void btnSetFootswitchModeClick();
    void btnSetTuningClick();

    // Change handlers, named after their controls.
    void dialDryChange();
    void dialMinus1OctChange();
    void dialSubMixChange();
    void dialMinus2OctChange();
    void dialLowPassChange();
    void dialHighPassChange();
    void dialRangeChange();
    void dialDryHPFChange();
    void dialInputLevelChange();
    void dialClipWaveChange();
    void dial1stHarmonicChange();
    void dialNoiseGateThresholdChange();
    void cmbVariableWavePitchChange();
    void chkDominantNoteCutChange();
    void chkHighNoteCutChange();
    void swtWaveSwitch();
    void swtSplitSwitch();
    void swtBypassSwitch();
    void swtLimitRangeSwitch();
    void swtNoiseGateStatusSwitch();
    void swtAttackSwitch();
    void cmbAssignCtrlUNOChange();
    void cmbAssignCtrlDUEChange();
    void cmbAssignCtrlTREChange();
    void cmbAssignCtrlQUATTROChange();
    void cmbAssignRemoteChange();
    void cmbGuitarTuningChange();
    void cmbSemitonesVariationChange();

    // The outline colour the frames and lines get when the window is shown.
    static constexpr unsigned kOutlineColor = 0xFFF8F8FF;

Q_SIGNALS:
    // Ctrl+Shift+P: the console.
    void consoleRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The outlines take their colour when the window is shown. (The effect's
    // parameter addresses were read when it was chosen in the catalogue.)
    void FormShow();
    void buildEditMenu();
    void setFonts();
    void fillLists();
    void connectHandlers();
    bool FormKeyDown(QKeyEvent* event);

    bool updating() const;
    void log(const QString& text) override;
    EditHistory::Values shownValues() const override;
    qint64 nowMs() override;
    void dialChange(Dial* dial, ParameterId id);
    // The parameter controls: each one's state, put quietly or read, and
    // kept in the session whenever it changes.
    QWidget* parameterControl(ParameterId id) const;
    std::optional<ControlStates::State> stateOf(ParameterId id) const;
    void putState(ParameterId id, ControlStates::State state);
    void keepStates();
    // After a user's change of one parameter's control.
    void recordEdit(ParameterId id, const EditHistory::Values& before, int mergeKey = EditHistory::kNoMerge);
    // Shows target on the controls without their handlers sending, then sends
    // the values marked in send, paced.
    void putValues(const EditHistory::Values& target, const EditHistory::Touched& send) override;
    void noteCutChange(ParameterId id);
    void assignChange(Control control, QComboBox* list, bool tuningGate);
    QComboBox* assignList(Control control) const;

    PedalSession& session_;
    PedalSetupHandler& setup_;
    Log& log_;
    Dialogs& dialogs_;
    Clock& clock_;
    QWidget* beside_;
    // The twenty parameters and the shared editor state, held by the session.
    ParameterModel& model_;
    std::unique_ptr<EditMenu> editMenu_;
    // Raised while undo, redo or Compare put values on the controls: the
    // handlers then neither send nor record.
    bool quiet_ = false;
    // What a change of many values replaces, for its step in the history.
    EditHistory::Values wholeBefore_{};
};
