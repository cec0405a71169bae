#pragma once

#include "console/MemoryDump.h"

#include <QString>
#include <QTimer>

#include <cstdint>

class Editor;
class QWidget;

// Erasing and checking the pedal's settings memory. The memory's content comes
// back unasked; the read timer hands every piece to unsolicitedBytes, and the
// dump is judged once it is whole.
class MaintenanceHandler {
public:
    // How often a dump being collected is checked for having gone quiet.
    static constexpr int kDumpWatchMs = 100;

    explicit MaintenanceHandler(Editor& editor);

    void EraseEEPROM(const QString& i2cAddr);
    void ReadEEPROM(const QString& i2cAddr);
    void menuEraseSettingsClick();
    void unsolicitedBytes(const uint8_t* data, uint32_t count);

    // Gives up a dump that has gone quiet before it was whole. Run by the dump
    // watch; tests call it after moving the clock.
    void checkDumpTimeLimit();
    bool collectingDump() const { return dump_.collecting(); }

    static QString eraseSettingsQuestion();

private:
    void judgeWholeDump();
    void reportIncompleteDump();
    bool dumpBytesStillQueued();

    Editor& editor_;
    MemoryDump dump_;
    QTimer dumpWatch_;
};
