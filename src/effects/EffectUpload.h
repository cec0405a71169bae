#pragma once

#include <QString>

#include <cstdint>

class Editor;

// Uploads of an effect image (catalogue entry or file) into the pedal.
class EffectUpload {
public:
    explicit EffectUpload(Editor& editor);

    void btnUploadClick();
    void menuLoadAlgorithmFromFileClick();

private:
    Editor& editor_;
};
