#include "console/KeptLog.h"

#include <QDataStream>
#include <QIODevice>

namespace {
qsizetype charsOf(const QString& line)
{
    return line.size() + 2; // CR LF
}
} // namespace

void KeptLog::append(const QString& line)
{
    open_.append(line);
    openChars_ += charsOf(line);
    chars_ += charsOf(line);
    if (chars_ > maxChars_)
        trim();
    if (openChars_ >= kBlockChars)
        pack();
}

void KeptLog::clear()
{
    blocks_.clear();
    open_.clear();
    openChars_ = 0;
    chars_ = 0;
    marker_.clear();
    droppedLines_ = 0;
}

void KeptLog::setMaxChars(qsizetype chars)
{
    maxChars_ = chars;
    if (chars_ > maxChars_)
        trim();
}

qsizetype KeptLog::lineCount() const
{
    qsizetype n = open_.size() + (marker_.isEmpty() ? 0 : 1);
    for (const Block& b : blocks_)
        n += b.lines;
    return n;
}

qsizetype KeptLog::heldBytes() const
{
    qsizetype n = marker_.size() * 2;
    for (const Block& b : blocks_)
        n += b.packed.capacity();
    // Each unpacked line: its text and the bookkeeping of a string of its own.
    return n + openChars_ * 2 + open_.size() * 32;
}

void KeptLog::pack()
{
    QByteArray raw;
    {
        // The lines with their lengths, so any character (a line break in a
        // pedal's answer, a NUL) comes back as it went in.
        QDataStream out(&raw, QIODevice::WriteOnly);
        out << open_;
    }
    QByteArray packed = qCompress(raw);
    packed.squeeze(); // the compressor's buffer is made for the worst case, many times the result
    blocks_.append(Block{packed, open_.size(), openChars_});
    open_.clear();
    openChars_ = 0;
}

QStringList KeptLog::unpack(const Block& block)
{
    QStringList lines;
    QDataStream in(qUncompress(block.packed));
    in >> lines;
    return lines;
}

void KeptLog::trim()
{
    // Down to nine tenths at once, so that trimming stays rare: whole blocks
    // first, then single lines, always keeping the newest line.
    const qsizetype target = maxChars_ / 10 * 9;
    chars_ -= marker_.isEmpty() ? 0 : charsOf(marker_);
    while (!blocks_.isEmpty() && chars_ > target) {
        chars_ -= blocks_.constFirst().chars;
        droppedLines_ += blocks_.constFirst().lines;
        blocks_.removeFirst();
    }
    qsizetype drop = 0;
    while (drop < open_.size() - 1 && chars_ > target) {
        const qsizetype c = charsOf(open_.at(drop));
        chars_ -= c;
        openChars_ -= c;
        ++drop;
    }
    open_.remove(0, drop);
    droppedLines_ += drop;
    marker_ = QStringLiteral("[%1 earlier lines dropped to bound memory]").arg(droppedLines_);
    chars_ += charsOf(marker_);
}

QStringList KeptLog::lines() const
{
    QStringList all;
    all.reserve(lineCount());
    if (!marker_.isEmpty())
        all.append(marker_);
    for (const Block& b : blocks_)
        all.append(unpack(b));
    all.append(open_);
    return all;
}

QStringList KeptLog::lastLines(qsizetype count) const
{
    if (count <= open_.size())
        return open_.mid(open_.size() - count);
    QList<QStringList> parts{open_};
    qsizetype have = open_.size();
    for (qsizetype i = blocks_.size() - 1; i >= 0 && have < count; --i) {
        parts.prepend(unpack(blocks_.at(i)));
        have += blocks_.at(i).lines;
    }
    if (have < count && !marker_.isEmpty()) {
        parts.prepend(QStringList{marker_});
        ++have;
    }
    QStringList out;
    out.reserve(have);
    for (const QStringList& p : parts)
        out.append(p);
    return out.mid(out.size() - qMin(count, out.size()));
}

QString KeptLog::text() const
{
    QString out;
    out.reserve(chars_);
    const auto add = [&out](const QString& line) {
        out += line;
        out += QLatin1String("\r\n");
    };
    if (!marker_.isEmpty())
        add(marker_);
    for (const Block& b : blocks_)
        for (const QString& line : unpack(b))
            add(line);
    for (const QString& line : open_)
        add(line);
    return out;
}
