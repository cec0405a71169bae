#pragma once

#include "console/FilterCalculator.h"
#include "session/Outcome.h"

#include <QString>

class Dialogs;
class Log;
class MaintenanceHandler;
class PedalSession;

// The console's tools: memory buttons, raw sender, filter calculator. The
// console hands over what its fields hold.
class ConsoleToolsHandler {
public:
    ConsoleToolsHandler(PedalSession& session, MaintenanceHandler& maintenance, Log& log, Dialogs& dialogs);

    // busAddress: the memory's bus address as the list shows it ("50").
    Outcome btnEraseEepromClick(const QString& busAddress);
    Outcome btnReadEEPROMClick(const QString& busAddress);
    // The raw parameter message of the address and data fields.
    Outcome btnSendClick(const QString& address, const QString& data);
    void cmbNotePickerChange(int index);
    // Each keystroke in the Q and boost fields.
    void edtQChange(const QString& text);
    void edtBoostChange(const QString& text);
    // The edit is finished (Enter, or the focus moved on).
    void edtQDone(const QString& text);
    void edtBoostDone(const QString& text);
    void btnGetNoteFrequencyClick();

    const FilterCalculator::Settings& calculatorSettings() const { return settings_; }
    int noteIndex() const { return noteIndex_; }

private:
    // Reads an edit's number into target; a text that is no number keeps the
    // stored value and says so.
    void takeNumber(const QString& text, double& target, const QString& logLabel);
    void complainIfNoNumber(const QString& text, double stored, const QString& what);

    PedalSession& session_;
    MaintenanceHandler& maintenance_;
    Log& log_;
    Dialogs& dialogs_;
    FilterCalculator::Settings settings_;
    // The note list starts on its first entry, A1.
    int noteIndex_ = 0;
};
