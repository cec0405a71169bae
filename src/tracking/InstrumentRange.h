#pragma once

#include <QString>

#include <cstdint>

class Editor;
struct PedalStatus;

// Instrument range (Standard or Low) and the hidden range limit.
class InstrumentRange {
public:
    explicit InstrumentRange(Editor& editor);

    void menuStandardClick();
    void menuLowClick();
    void menuRangeLimitONClick();
    void menuRangeLimitOFFClick();
    // The status reply's instrument code.
    void decodeInstrumentRange(const PedalStatus& status);

    // 0xFF Standard, 0xBA Low; 0 until a choice or a reply is known.
    uint8_t currentCode() const { return currentCode_; }

private:
    void chooseInstrument(uint8_t code);
    void showInstrument(uint8_t code);
    void sendRangeLimit(bool on);

    Editor& editor_;
    uint8_t currentCode_ = 0;
};
