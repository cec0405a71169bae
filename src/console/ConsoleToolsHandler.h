#pragma once

#include "console/FilterCalculator.h"

#include <QString>

#include <cstdint>

class Editor;
class PrintConsole;

// The console's tools: memory buttons, raw sender, filter calculator.
class ConsoleToolsHandler {
public:
    explicit ConsoleToolsHandler(Editor& editor);

    void btnEraseEepromClick();
    void btnReadEEPROMClick();
    void btnSendClick();
    void cmbNotePickerChange();
    void edtQChange();
    void edtBoostChange();
    // The edit is finished (Enter, or the focus moved on).
    void edtQDone();
    void edtBoostDone();
    void btnGetNoteFrequencyClick();

    const FilterCalculator::Settings& calculatorSettings() const { return settings_; }
    int noteIndex() const { return noteIndex_; }

private:
    PrintConsole& console() const;
    QString busAddress() const;
    // Reads an edit's number into target; a text that is no number keeps the
    // stored value and says so.
    void takeNumber(const QString& text, double& target, const QString& logLabel);
    void complainIfNoNumber(const QString& text, double stored, const QString& what);

    Editor& editor_;
    FilterCalculator::Settings settings_;
    // The note list starts on its first entry, A1.
    int noteIndex_ = 0;
};
