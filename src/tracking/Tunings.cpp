#include "tracking/Tunings.h"

#include "app/Editor.h"

Tunings::Tunings(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void Tunings::menuUploadTuningsDataClick()
{
}
