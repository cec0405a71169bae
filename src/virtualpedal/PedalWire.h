#pragma once

#include "virtualpedal/PedalModel.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <deque>

// The bytes the pedal has sent towards the host, each with the clock time at
// which it is complete on the wire. Segments follow one another: a second
// answer cannot overtake the first.
class WireQueue {
public:
    // The bytes go out from startMs on, msPerByte apart (0: all of them at startMs),
    // but never before the previous segment has gone out.
    void push(const QByteArray& bytes, double startMs, double msPerByte);

    // Bytes on the wire by nowMs and not yet taken.
    uint32_t available(qint64 nowMs) const;
    // Takes at most max of the available bytes.
    QByteArray take(uint32_t max, qint64 nowMs);
    // Drops what is available (a receive purge); bytes still on their way stay.
    void dropAvailable(qint64 nowMs);
    void clear() { segments_.clear(); }

    bool isEmpty() const { return segments_.empty(); }
    // When the next byte not yet available will be; meaningless when empty.
    double nextDueMs(qint64 nowMs) const;

private:
    struct Segment {
        double startMs = 0;
        double msPerByte = 0;
        QByteArray bytes;
        int taken = 0;

        int readyBy(qint64 nowMs) const; // bytes of this segment on the wire by nowMs
        double endMs() const { return startMs + msPerByte * bytes.size(); }
    };
    std::deque<Segment> segments_;
};

// How an answer is put on the wire: the faults that delay, split or swallow it,
// and the optional wire-time model (each byte takes its bits at the line's baud
// rate, after FTDI's latency).
class PedalOutput {
public:
    PedalOutput(WireQueue& queue, const LineSettings& line, const PedalFaults& faults)
        : queue_(queue), line_(line), faults_(faults)
    {
    }

    // Queues an answer that the pedal starts sending at nowMs. alwaysTimed makes
    // it take its wire time even with the model off (the memory dump does: the
    // editor's waits around it depend on that time).
    void send(const QByteArray& bytes, double nowMs, bool alwaysTimed = false);

    void setWireTimeModel(bool on, int latencyMs = 0)
    {
        wireTime_ = on;
        latencyMs_ = latencyMs;
    }
    bool wireTimeModel() const { return wireTime_; }
    // Time the host's bytes take to reach the pedal (0 with the model off).
    double inboundMs(int byteCount) const { return wireTime_ ? line_.msPerByte() * byteCount : 0.0; }

    const LineSettings& line() const { return line_; }
    const PedalFaults& faults() const { return faults_; }

private:
    WireQueue& queue_;
    const LineSettings& line_;
    const PedalFaults& faults_;
    bool wireTime_ = false;
    int latencyMs_ = 0;
};
