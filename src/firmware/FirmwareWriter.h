#pragma once

#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"

#include <QList>
#include <QString>

#include <functional>

class Clock;
class Log;

// Writes a firmware into a pedal whose bootloader is listening: erase all,
// the image block by block, then the version stamp. It stops at the first
// step the bootloader does not acknowledge and says where.
class FirmwareWriter {
public:
    struct Outcome {
        bool ok = false;
        BootloaderClient::Failure failure;
        int block = -1;        // the block that failed; -1 for the erase or the stamp
        uint32_t address = 0;  // the flash address of that step
        bool erased = false;   // the erase was sent: the old firmware may be gone
        QString message;       // for the user, when it failed
    };

    // Called before each block (index from 0, count), and once more with
    // count, count at the end of the blocks.
    using Progress = std::function<void(int block, int count)>;
    // Whether the Timer_USB_Read-like poller is running, for the console's warning line.
    using TimerRunning = std::function<bool()>;

    FirmwareWriter(BootloaderClient& client, Clock& clock, Log& log);

    Outcome write(const QList<FirmwareImage::Chunk>& chunks, int version, const Progress& progress,
                  const TimerRunning& timerRunning = {});

    static QString failureMessage(const Outcome& outcome, int blockCount);

private:
    BootloaderClient& client_;
    Clock& clock_;
    Log& log_;
};
