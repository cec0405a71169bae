#pragma once

#include <QString>

#include <cstdint>

class Editor;

// The console's tools: memory buttons, raw sender, filter calculator.
class ConsoleTools {
public:
    explicit ConsoleTools(Editor& editor);

    void btnEraseEepromClick();
    void btnReadEEPROMClick();
    void btnSendClick();
    void cmbNotePickerChange();
    void edtQChange();
    void edtBoostChange();
    void btnGetNoteFrequencyClick();

private:
    Editor& editor_;
};
