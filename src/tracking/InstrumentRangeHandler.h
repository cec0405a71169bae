#pragma once

#include <QString>

#include <cstdint>

class Editor;
struct PedalStatus;

// Instrument range (Standard or Low) and the hidden range limit.
class InstrumentRangeHandler {
public:
    explicit InstrumentRangeHandler(Editor& editor);

    void menuStandardClick();
    void menuLowClick();
    void menuRangeLimitONClick();
    void menuRangeLimitOFFClick();
    // The status reply's instrument code.
    void decodeInstrumentRange(const PedalStatus& status);

private:
    void chooseInstrument(uint8_t code);
    void showInstrument(uint8_t code);
    void sendRangeLimit(bool on);

    Editor& editor_;
};
