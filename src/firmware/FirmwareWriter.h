#pragma once

#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"

#include <QList>
#include <QString>

#include <functional>
#include <utility>

class Clock;
class Log;

// Writes a firmware into a pedal whose bootloader is listening: erase all,
// the image block by block, every block read back and compared, then the
// version stamp, read back too. It stops at the first step the bootloader
// does not acknowledge, or at the first byte that reads back other than it
// was written, and says where: a pedal started on a flash that is not what
// was sent may never answer again.
class FirmwareWriter {
public:
    struct Outcome {
        bool ok = false;
        BootloaderClient::Failure failure;
        int block = -1;        // the block that failed; -1 for the erase or the stamp
        uint32_t address = 0;  // the flash address of that step; of the first differing byte for a difference
        bool erased = false;   // the erase was sent: the old firmware may be gone
        bool checking = false; // it failed while reading back what was written
        bool differs = false;  // ... because the flash holds other bytes than were written
        bool stopped = false;  // ... because it was asked to stop before that step
        QString message;       // for the user, when it failed
    };

    enum class Phase { Writing, Checking, Stamp };
    // Called before each block is written and before it is checked (index
    // from 0, count), and once before the stamp.
    using Progress = std::function<void(Phase phase, int block, int count)>;

    FirmwareWriter(BootloaderClient& client, Clock& clock, Log& log);

    // Asked before each block and before the stamp: true ends the write there,
    // as a failure of that step (nothing more is written, no stamp).
    void setStopCheck(std::function<bool()> stop) { stop_ = std::move(stop); }

    Outcome write(const QList<FirmwareImage::Chunk>& chunks, int version, const Progress& progress);

    // Whether the flash holds a program the pedal can start, as read back
    // from it: the version stamp whole and a sound vector table at its start.
    // Go into anything else leaves the pedal silent until it is powered again.
    struct Startable {
        bool ok = false;
        QString why; // when not: a clause for the user
    };
    Startable checkStartable();

    static QString failureMessage(const Outcome& outcome, int blockCount);

private:
    // Reads count bytes back from address and compares them with expected;
    // on a difference, the address of the first differing byte.
    bool readBack(uint32_t address, const QByteArray& expected, Outcome& outcome);

    BootloaderClient& client_;
    Clock& clock_;
    Log& log_;
    std::function<bool()> stop_;
};
