#pragma once

#include "session/Outcome.h"

#include <QString>

#include <cstdint>

class Dialogs;
class FunctionsUnit;
class Log;
class PedalSession;
class SettingsView;
struct PedalStatus;

// Instrument range (Standard or Low) and the hidden range limit.
class InstrumentRangeHandler {
public:
    InstrumentRangeHandler(PedalSession& session, FunctionsUnit& functions, Log& log, Dialogs& dialogs);
    void setView(SettingsView* view) { view_ = view; }

    Outcome menuStandardClick();
    Outcome menuLowClick();
    Outcome menuRangeLimitONClick();
    Outcome menuRangeLimitOFFClick();
    // The status reply's instrument code.
    void decodeInstrumentRange(const PedalStatus& status);

private:
    Outcome chooseInstrument(uint8_t code);
    void showInstrument(uint8_t code);
    Outcome sendRangeLimit(bool on);

    PedalSession& session_;
    FunctionsUnit& functions_;
    Log& log_;
    Dialogs& dialogs_;
    SettingsView* view_ = nullptr;
};
