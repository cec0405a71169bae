#pragma once

#include <QString>

class Editor;

// Stores the ten assignable values permanently in the pedal.
class SaveParameters {
public:
    explicit SaveParameters(Editor& editor);

    void btnSaveParametersClick();
    void btnSaveParametersInfoClick();

    // What the "i" button explains.
    static QString infoText();

private:
    Editor& editor_;
};
