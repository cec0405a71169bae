#include "presets/LocalPresets.h"

#include "app/Editor.h"

LocalPresets::LocalPresets(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void LocalPresets::menuSavePresetClick()
{
}

void LocalPresets::menuLoadPresetClick()
{
}
