#pragma once

#include <QtGlobal>

// Told about each protocol pause long enough to be seen, so the windows can
// repaint and show that the editor is busy while no handler runs.
class PauseObserver {
public:
    virtual ~PauseObserver() = default;
    virtual void pauseStarted(int ms) = 0;
    virtual void pauseProgress(int elapsedMs, int ms) = 0;
    virtual void pauseEnded() = 0;
};

// Time as the protocols see it: the fixed blocking pauses between a message and
// what follows, and the time limits of waits. Tests put a virtual clock here, so
// a pause advances time at once and is recorded; the virtual pedal reads the
// same clock to decide when its answers are on the wire.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds on a monotonic scale; only differences mean anything.
    virtual qint64 nowMs() const = 0;

    // A protocol pause: blocks for ms milliseconds without processing window events.
    virtual void sleepMs(int ms) = 0;

    // The short breath a wait loop takes between two polls so it does not spin a
    // core. Not a protocol pause: tests do not see it among the recorded sleeps.
    virtual void idleMs(int ms) = 0;

    // Pauses of at least this length are reported to the observer.
    static constexpr int kObservedPauseMs = 100;
    void setPauseObserver(PauseObserver* observer) { observer_ = observer; }
    PauseObserver* pauseObserver() const { return observer_; }

protected:
    PauseObserver* observer_ = nullptr;
};

// The wall clock of the running program.
class SystemClock final : public Clock {
public:
    SystemClock();
    qint64 nowMs() const override;
    void sleepMs(int ms) override;
    void idleMs(int ms) override;

private:
    qint64 originNs_;
};
