#include "console/KeptLog.h"

#include <QDataStream>
#include <QDir>
#include <QIODevice>
#include <QTemporaryFile>

namespace {
qsizetype charsOf(const QString& line)
{
    return line.size() + 2; // CR LF
}
} // namespace

KeptLog::KeptLog(qsizetype maxChars, const QString& spillFolder)
    : spillFolder_(spillFolder.isEmpty() ? QDir::tempPath() : spillFolder), maxChars_(maxChars)
{
}

KeptLog::~KeptLog() = default;

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
    spillFile_.reset();
    spilledBytes_ = 0;
    deadBytes_ = 0;
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
        // Each line as UTF-8 with its length, so any character (a line break
        // in a pedal's answer, a NUL) comes back as it went in; UTF-8 packs
        // a log's mostly ASCII text far tighter than its UTF-16.
        QDataStream out(&raw, QIODevice::WriteOnly);
        out << qint32(open_.size());
        for (const QString& line : open_)
            out << line.toUtf8();
    }
    QByteArray packed = qCompress(raw);
    Block block;
    block.packed = packed;
    block.packed.squeeze(); // the compressor's buffer is made for the worst case, many times the result
    block.lines = open_.size();
    block.chars = openChars_;
    spill(block);
    blocks_.append(block);
    open_.clear();
    openChars_ = 0;
}

bool KeptLog::spill(Block& block)
{
    if (spillUnusable_)
        return false;
    if (!spillFile_) {
        auto file = std::make_unique<QTemporaryFile>(QDir(spillFolder_).filePath(QStringLiteral("quarnel-log-XXXXXX")));
        if (!file->open()) {
            spillUnusable_ = true;
            return false;
        }
        spillFile_ = std::move(file);
    }
    const qint64 at = spillFile_->size();
    if (!spillFile_->seek(at) || spillFile_->write(block.packed) != block.packed.size() || !spillFile_->flush()) {
        // A full disk: keep this block and the ones to come in memory.
        spillUnusable_ = true;
        return false;
    }
    block.offset = at;
    block.size = block.packed.size();
    block.packed = QByteArray();
    spilledBytes_ += block.size;
    return true;
}

QString KeptLog::spillFileName() const
{
    return spillFile_ ? spillFile_->fileName() : QString();
}

QByteArray KeptLog::packedOf(const Block& block) const
{
    if (block.offset < 0)
        return block.packed;
    QByteArray bytes;
    if (spillFile_ && spillFile_->seek(block.offset))
        bytes = spillFile_->read(block.size);
    return bytes.size() == block.size ? bytes : QByteArray();
}

void KeptLog::dropFirstBlock()
{
    const Block& first = blocks_.constFirst();
    chars_ -= first.chars;
    droppedLines_ += first.lines;
    if (first.offset >= 0) {
        spilledBytes_ -= first.size;
        deadBytes_ += first.size;
    }
    blocks_.removeFirst();
}

void KeptLog::compactSpill()
{
    // Dropped blocks leave their bytes in the file; once they outweigh the
    // kept ones the file is written anew, so it stays as bounded as the log.
    if (deadBytes_ < (1 << 20) || deadBytes_ < spilledBytes_)
        return;
    auto file = std::make_unique<QTemporaryFile>(QDir(spillFolder_).filePath(QStringLiteral("quarnel-log-XXXXXX")));
    if (!file->open())
        return;
    QList<Block> moved = blocks_;
    for (Block& b : moved) {
        if (b.offset < 0)
            continue;
        const QByteArray bytes = packedOf(b);
        b.offset = file->pos();
        if (file->write(bytes) != bytes.size())
            return; // keep the old file as it is
    }
    if (!file->flush())
        return;
    blocks_ = moved;
    spillFile_ = std::move(file);
    deadBytes_ = 0;
}

QStringList KeptLog::unpack(const Block& block) const
{
    const QStringList lost{
        QStringLiteral("[%1 lines could not be read back from the log's temporary file]").arg(block.lines)};
    const QByteArray packed = packedOf(block);
    if (packed.isEmpty())
        return lost;
    // The file is outside our hands while the program runs: its bytes are
    // checked, not trusted.
    QDataStream in(qUncompress(packed));
    qint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count != block.lines)
        return lost;
    QStringList lines;
    lines.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        QByteArray utf8;
        in >> utf8;
        if (in.status() != QDataStream::Ok)
            return lost;
        lines.append(QString::fromUtf8(utf8));
    }
    return lines;
}

void KeptLog::trim()
{
    // Down to nine tenths at once, so that trimming stays rare: whole blocks
    // first, then single lines, always keeping the newest line.
    const qsizetype target = maxChars_ / 10 * 9;
    chars_ -= marker_.isEmpty() ? 0 : charsOf(marker_);
    while (!blocks_.isEmpty() && chars_ > target)
        dropFirstBlock();
    compactSpill();
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
