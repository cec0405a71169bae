#include "virtualpedal/PedalWire.h"

#include <algorithm>
#include <cmath>

int WireQueue::Segment::readyBy(qint64 nowMs) const
{
    if (double(nowMs) < startMs)
        return 0;
    if (msPerByte <= 0)
        return bytes.size();
    // A byte counts once its last bit is out; the small slack keeps exact
    // multiples from being lost to rounding.
    const double sent = std::floor((double(nowMs) - startMs) / msPerByte + 1e-9);
    return static_cast<int>(std::min<double>(sent, bytes.size()));
}

void WireQueue::push(const QByteArray& bytes, double startMs, double msPerByte)
{
    if (bytes.isEmpty())
        return;
    Segment s;
    s.startMs = segments_.empty() ? startMs : std::max(startMs, segments_.back().endMs());
    s.msPerByte = std::max(0.0, msPerByte);
    s.bytes = bytes;
    segments_.push_back(std::move(s));
}

uint32_t WireQueue::available(qint64 nowMs) const
{
    uint32_t count = 0;
    for (const Segment& s : segments_) {
        const int ready = s.readyBy(nowMs);
        count += static_cast<uint32_t>(ready - s.taken);
        if (ready < s.bytes.size())
            break;
    }
    return count;
}

QByteArray WireQueue::take(uint32_t max, qint64 nowMs)
{
    QByteArray out;
    while (!segments_.empty() && static_cast<uint32_t>(out.size()) < max) {
        Segment& s = segments_.front();
        const int ready = s.readyBy(nowMs);
        const int n = std::min<int>(ready - s.taken, static_cast<int>(max - static_cast<uint32_t>(out.size())));
        out.append(s.bytes.constData() + s.taken, n);
        s.taken += n;
        if (s.taken < s.bytes.size())
            break;
        segments_.pop_front();
    }
    return out;
}

void WireQueue::dropAvailable(qint64 nowMs)
{
    take(available(nowMs), nowMs);
}

double WireQueue::nextDueMs(qint64 nowMs) const
{
    for (const Segment& s : segments_) {
        const int ready = s.readyBy(nowMs);
        if (ready < s.bytes.size())
            return s.msPerByte <= 0 ? s.startMs : s.startMs + s.msPerByte * (ready + 1);
    }
    return double(nowMs);
}

void PedalOutput::send(const QByteArray& bytes, double nowMs, bool alwaysTimed)
{
    if (faults_.silent || bytes.isEmpty())
        return;
    const bool timed = wireTime_ || alwaysTimed;
    const double perByte = timed ? line_.msPerByte() : 0.0;
    const double start = nowMs + faults_.delayMs + (wireTime_ ? latencyMs_ : 0);

    if (faults_.splitGapMs < 0 || bytes.size() < 2) {
        queue_.push(bytes, start, perByte);
        return;
    }
    const int at = faults_.splitAtByte > 0 ? std::min<int>(faults_.splitAtByte, bytes.size() - 1)
                                           : bytes.size() / 2;
    queue_.push(bytes.left(at), start, perByte);
    const double firstEnd = start + perByte * at;
    queue_.push(bytes.mid(at), firstEnd + faults_.splitGapMs, perByte);
}
