#include "presets/SaveParameters.h"

#include "app/Editor.h"

SaveParameters::SaveParameters(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void SaveParameters::btnSaveParametersClick()
{
}

void SaveParameters::btnSaveParametersInfoClick()
{
}
