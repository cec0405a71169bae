#pragma once

#include <QString>

#include <cstdint>

class Editor;

// Local preset files: all twenty values saved to and loaded from a file.
class LocalPresets {
public:
    explicit LocalPresets(Editor& editor);

    void menuSavePresetClick();
    void menuLoadPresetClick();

private:
    Editor& editor_;
};
