#pragma once

#include <QString>

#include <cstdint>

class Editor;

// Erasing and checking the pedal's settings memory.
class Maintenance {
public:
    explicit Maintenance(Editor& editor);

    void EraseEEPROM(const QString& i2cAddr);
    void ReadEEPROM(const QString& i2cAddr);
    void menuEraseSettingsClick();
    void unsolicitedBytes(const uint8_t* data, uint32_t count);

private:
    Editor& editor_;
};
