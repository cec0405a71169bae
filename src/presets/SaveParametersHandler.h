#pragma once

#include <QString>

class Editor;

// Stores the ten assignable values permanently in the pedal.
class SaveParametersHandler {
public:
    explicit SaveParametersHandler(Editor& editor);

    void btnSaveParametersClick();
    void btnSaveParametersInfoClick();

private:
    Editor& editor_;
};
