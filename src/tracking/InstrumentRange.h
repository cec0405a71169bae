#pragma once

#include <QString>

#include <cstdint>

class Editor;

// Instrument range (Standard or Low) and the range limit.
class InstrumentRange {
public:
    explicit InstrumentRange(Editor& editor);

    void menuStandardClick();
    void menuLowClick();
    void menuRangeLimitONClick();
    void menuRangeLimitOFFClick();
    void decodeInstrumentRange(int index);

private:
    Editor& editor_;
};
