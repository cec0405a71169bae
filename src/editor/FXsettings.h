#pragma once

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

private:
    Editor& editor_;
};
