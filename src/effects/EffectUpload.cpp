#include "effects/EffectUpload.h"

#include "app/Editor.h"

EffectUpload::EffectUpload(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void EffectUpload::btnUploadClick()
{
}

void EffectUpload::menuLoadAlgorithmFromFileClick()
{
}
