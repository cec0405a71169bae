#pragma once

#include "seams/Clock.h"

#include <QList>

// A clock that only moves when the code under test pauses or idles. Every
// protocol pause is recorded with the time it started, so a test can check
// "40 ms after the bypass message, the image in one write" without waiting.
class VirtualClock final : public Clock {
public:
    struct Pause {
        qint64 atMs;
        int ms;
    };

    qint64 nowMs() const override { return now_; }
    void sleepMs(int ms) override
    {
        pauses_.append({now_, ms});
        PauseObserver* observer = ms >= kObservedPauseMs ? observer_ : nullptr;
        if (observer)
            observer->pauseStarted(ms);
        if (ms > 0)
            now_ += ms;
        if (observer) {
            observer->pauseProgress(ms, ms);
            observer->pauseEnded();
        }
    }
    void idleMs(int ms) override
    {
        if (ms > 0)
            now_ += ms;
    }

    void advance(qint64 ms) { now_ += ms; }
    const QList<Pause>& pauses() const { return pauses_; }
    QList<int> pauseLengths() const
    {
        QList<int> out;
        for (const Pause& p : pauses_)
            out.append(p.ms);
        return out;
    }
    void clearPauses() { pauses_.clear(); }

private:
    qint64 now_ = 1000;
    QList<Pause> pauses_;
};
