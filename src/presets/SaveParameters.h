#pragma once

#include <QString>

class Editor;

// Stores the ten assignable values permanently in the pedal.
class SaveParameters {
public:
    explicit SaveParameters(Editor& editor);

    void btnSaveParametersClick();
    void btnSaveParametersInfoClick();

private:
    Editor& editor_;
};
