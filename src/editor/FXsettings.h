#pragma once

#include "editor/ParameterModel.h"

#include <QWidget>

class Editor;

// The effect settings window: the twenty parameters of the running effect.
class FXsettings : public QWidget {
    Q_OBJECT
public:
    explicit FXsettings(Editor& editor);

    void enableEffectControls(bool enabled);
    void getFootswitchMode(int index);
    void getTuning(int index);
    void getControlAssignments(int index);
    void getBypassStatus(int index);
    int getParameterValues(int index);
    void showParameterValues(bool sendImmediately);
    void sendBypass(bool on);
    void setDefaultAssignableParameterValues();
    void menuSetAssignableParamsToDefaultClick();
    void menuEnableAllParametersClick();
    void btnAssignClick();
    void btnSetFootswitchModeClick();
    void btnSetTuningClick();

    // The twenty parameters and the shared editor state; this window owns them.
    ParameterModel& parameters() { return model_; }
    const ParameterModel& parameters() const { return model_; }

private:
    Editor& editor_;
    ParameterModel model_;
};
