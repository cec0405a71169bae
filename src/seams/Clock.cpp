#include "seams/Clock.h"

#include <QElapsedTimer>
#include <QThread>

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
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void SystemClock::idleMs(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}
