#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdint>

class Log;

// The pedal's answer to a memory read: the byte AB, then the 16384 bytes of its
// settings memory. At 115200 baud that takes about 1.4 s on the wire, so the
// read timer usually sees it in several pieces. This collects the pieces with
// the clock time they came at and says when the dump is whole; a dump that goes
// quiet before it is whole is given up, never judged on what is missing.
class MemoryDump {
public:
    static constexpr int kMemorySize = 16384;
    static constexpr uint8_t kStartByte = 0xAB;
    // Once a dump has begun the pedal sends without pause; this long without a
    // new byte means the rest is not coming.
    static constexpr int kQuietLimitMs = 1500;
    // While a dump flows, the read timer (every 50 ms) finds new bytes at
    // nearly every tick. A read that begins with AB after the dump has been
    // quiet for longer than this is the start of a new dump, not a memory byte
    // that happens to be AB: the old dump stopped short and will not be
    // finished. The limit is well above the gaps of a flowing dump and well
    // below kQuietLimitMs, so a dump sent again soon after a cut one is not
    // taken as its continuation. Should a stalled window make a real memory
    // byte AB look like a new start, the worst that follows is a check
    // reported incomplete, never a wrong verdict.
    static constexpr int kNewDumpGapMs = 200;

    enum class Progress {
        NotADump,   // nothing was being collected and the bytes do not start with AB
        Collecting, // part of a dump; more is expected
        Whole,      // the dump is complete: memory() holds all 16384 bytes
    };

    // The bytes of one read, at the clock time they were read. Bytes beyond the
    // end of a dump are not part of it and are dropped.
    Progress feed(const uint8_t* data, uint32_t count, qint64 nowMs);

    // True when a dump is being collected and these bytes, read at nowMs, are
    // the start of another one (see kNewDumpGapMs). The caller gives up the
    // old dump before feeding them.
    bool startsNewDump(const uint8_t* data, uint32_t count, qint64 nowMs) const;

    bool collecting() const { return collecting_; }
    bool isWhole() const { return collecting_ && memory_.size() == kMemorySize; }
    // Collecting, not whole, and nothing new for longer than the limit.
    bool timedOut(qint64 nowMs) const;
    // Memory bytes received so far (the AB not counted).
    int received() const { return static_cast<int>(memory_.size()); }
    const QByteArray& memory() const { return memory_; }

    // Hands over what was collected and starts afresh.
    QByteArray take();

    // True when every byte of a whole memory is FF; a short memory is never erased.
    static bool isErased(const QByteArray& memory);
    // "p: XX", the log line of one memory byte.
    static QString line(int position, uint8_t byte);
    // One line per byte of memory, in order.
    static void logMemory(Log& log, const QByteArray& memory);

private:
    QByteArray memory_;
    bool collecting_ = false;
    qint64 lastByteMs_ = 0;
};
