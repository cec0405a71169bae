#include "editor/FXsettings.h"

#include "app/Editor.h"

FXsettings::FXsettings(Editor& editor) : editor_(editor)
{
    (void)editor_;
    setObjectName(QStringLiteral("formFXsettings"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(440, 448);
}

void FXsettings::enableEffectControls(bool /*enabled*/)
{
}

void FXsettings::getFootswitchMode(int /*index*/)
{
}

void FXsettings::getTuning(int /*index*/)
{
}

void FXsettings::getControlAssignments(int /*index*/)
{
}

void FXsettings::getBypassStatus(int /*index*/)
{
}

int FXsettings::getParameterValues(int /*index*/)
{
    return 0;
}

void FXsettings::showParameterValues(bool /*sendImmediately*/)
{
}

void FXsettings::sendBypass(bool /*on*/)
{
}

void FXsettings::setDefaultAssignableParameterValues()
{
}

void FXsettings::menuSetAssignableParamsToDefaultClick()
{
}

void FXsettings::menuEnableAllParametersClick()
{
}

void FXsettings::btnAssignClick()
{
}

void FXsettings::btnSetFootswitchModeClick()
{
}

void FXsettings::btnSetTuningClick()
{
}
