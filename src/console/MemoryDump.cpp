#include "console/MemoryDump.h"

#include "seams/Log.h"

#include <algorithm>

MemoryDump::Progress MemoryDump::feed(const uint8_t* data, uint32_t count, qint64 nowMs)
{
    if (count == 0 || !data)
        return collecting_ ? Progress::Collecting : Progress::NotADump;
    uint32_t from = 0;
    if (!collecting_) {
        if (data[0] != kStartByte)
            return Progress::NotADump;
        collecting_ = true;
        memory_.clear();
        memory_.reserve(kMemorySize);
        from = 1;
    }
    lastByteMs_ = nowMs;
    const uint32_t room = static_cast<uint32_t>(kMemorySize - memory_.size());
    const uint32_t n = std::min(count - from, room);
    memory_.append(reinterpret_cast<const char*>(data + from), static_cast<qsizetype>(n));
    return memory_.size() == kMemorySize ? Progress::Whole : Progress::Collecting;
}

bool MemoryDump::startsNewDump(const uint8_t* data, uint32_t count, qint64 nowMs) const
{
    return collecting_ && !isWhole() && count > 0 && data && data[0] == kStartByte
        && nowMs - lastByteMs_ > kNewDumpGapMs;
}

bool MemoryDump::timedOut(qint64 nowMs) const
{
    return collecting_ && !isWhole() && nowMs - lastByteMs_ > kQuietLimitMs;
}

QByteArray MemoryDump::take()
{
    QByteArray out;
    out.swap(memory_);
    collecting_ = false;
    return out;
}

bool MemoryDump::isErased(const QByteArray& memory)
{
    return memory.size() == kMemorySize
        && std::all_of(memory.cbegin(), memory.cend(), [](char b) { return static_cast<uint8_t>(b) == 0xFF; });
}

QString MemoryDump::line(int position, uint8_t byte)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text = QString::number(position);
    text += QLatin1String(": ");
    text += QLatin1Char(digits[byte >> 4]);
    text += QLatin1Char(digits[byte & 0x0F]);
    return text;
}

void MemoryDump::logMemory(Log& log, const QByteArray& memory)
{
    for (int p = 0; p < memory.size(); ++p)
        log.logLine(line(p, static_cast<uint8_t>(memory.at(p))));
}
