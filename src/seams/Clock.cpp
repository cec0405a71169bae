#include "seams/Clock.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace {
QElapsedTimer& monotonic()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
} // namespace

SystemClock::SystemClock() : originNs_(monotonic().nsecsElapsed()) {}

qint64 SystemClock::nowMs() const
{
    return (monotonic().nsecsElapsed() - originNs_) / 1000000;
}

void SystemClock::sleepMs(int ms)
{
    if (ms <= 0)
        return;
    PauseObserver* observer = observer_;
    if (!observer || ms < kObservedPauseMs) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    // Slept in slices up to one deadline, so the observer's repaints between
    // them do not lengthen the pause the protocol asks for.
    constexpr qint64 kSliceNs = 40 * 1000000LL;
    const qint64 startNs = monotonic().nsecsElapsed();
    const qint64 endNs = startNs + qint64(ms) * 1000000LL;
    observer->pauseStarted(ms);
    for (;;) {
        const qint64 left = endNs - monotonic().nsecsElapsed();
        if (left <= 0)
            break;
        QThread::usleep(static_cast<unsigned long>(std::min(left, kSliceNs) / 1000));
        const qint64 elapsedMs = (monotonic().nsecsElapsed() - startNs) / 1000000LL;
        observer->pauseProgress(static_cast<int>(std::min<qint64>(elapsedMs, ms)), ms);
    }
    observer->pauseEnded();
}

void SystemClock::idleMs(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}
