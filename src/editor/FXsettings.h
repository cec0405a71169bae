#pragma once

#include "editor/ParameterModel.h"

#include <QTimer>
#include <QWidget>

namespace Ui {
class formFXsettings;
}
class Editor;
class Dial;
class QComboBox;

// The effect settings window: the twenty parameters of the running effect as
// knobs, switches, boxes and lists, the assignment lists, the footswitch mode
// and the tuning. Every change of a parameter control goes to the pedal at
// once; the knobs are paced through Timer1 to one message per 100 ms.
class FXsettings : public QWidget {
    Q_OBJECT
public:
    explicit FXsettings(Editor& editor);
    ~FXsettings() override;

    Ui::formFXsettings* ui;
    // Writes the newest pending knob message 100 ms after the first change of a burst.
    QTimer Timer1;

    // The twenty parameters and the shared editor state; this window owns them.
    ParameterModel& parameters() { return model_; }
    const ParameterModel& parameters() const { return model_; }

    // Raised only while showParameterValues runs for a loaded preset: the
    // knobs then write at once instead of through the pacing.
    bool sendImmediately = false;

    void enableEffectControls(bool enabled);

    // Decoders of the status reply; each takes the index of its first field.
    void getFootswitchMode(int index);
    void getTuning(int index);
    void getControlAssignments(int index);
    void getBypassStatus(int index);
    int getParameterValues(int index);
    // Puts the twenty stored values on their controls, whose handlers then run.
    void showParameterValues(bool sendImmediately);

    // Sending.
    uint32_t sendParameterLevel(Dial* dial, ParameterId id);
    void sendParameterValue(uint32_t value, ParameterId id);
    void sendBypass(bool on);

    // Assignments, footswitch mode and defaults.
    QString buildAssignMessage();
    QString buildFootswitchMessage();
    void setDefaultAssignableParameterValues();
    void menuSetAssignableParamsToDefaultClick();
    void menuEnableAllParametersClick();
    // The main window's "Assign", "Set Footswitch Mode" and "Set Tuning".
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
    void Timer1Timer();

    // The outline colour the frames and lines get when the window is shown.
    static constexpr unsigned kOutlineColor = 0xFFF8F8FF;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void setFonts();
    void fillLists();
    void connectHandlers();
    bool FormKeyDown(QKeyEvent* event);

    bool updating() const;
    void log(const QString& text);
    // False (and logged) when no address table could ever be read, or the
    // pedal runs an effect the catalogue does not hold: a message would then
    // go to an address that belongs to no parameter of the running effect.
    bool addressesUsable(const QString& what);
    void dialChange(Dial* dial, ParameterId id);
    void noteCutChange(ParameterId id);
    void assignChange(Control control, QComboBox* list, bool tuningGate);
    QComboBox* assignList(Control control) const;

    Editor& editor_;
    ParameterModel model_;
    QString pendingDialMessage_;
    bool addressesRead_ = false;
    bool addressTableBroken_ = false;
};
