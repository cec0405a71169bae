#include "firmware/FirmwareImage.h"

#include "link/Hex.h"
#include "seams/Log.h"

#include <QRegularExpression>

namespace FirmwareImage {

namespace {
uint32_t wordAt(const QByteArray& bytes, int offset)
{
    uint32_t w = 0;
    for (int i = 3; i >= 0; --i)
        w = w << 8 | static_cast<uint8_t>(bytes.at(offset + i));
    return w;
}
} // namespace

int versionFromEntry(const QString& entry, int previous)
{
    const int length = static_cast<int>(entry.size());
    if (length < 10 || length > 12)
        return previous;
    bool ok = false;
    const int version = entry.mid(9).toInt(&ok);
    return ok ? version : previous;
}

int versionFromFileName(const QString& fileName)
{
    static const QRegularExpression name(QStringLiteral("^firmware_(\\d{1,3})(\\.[^.]*)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = name.match(fileName);
    if (!m.hasMatch())
        return -1;
    const int version = m.captured(1).toInt();
    return version >= kLowestVersion && version <= kHighestVersion ? version : -1;
}

QString check(const QByteArray& image)
{
    if (image.isEmpty())
        return QStringLiteral("The firmware file is empty.");
    if (image.size() > kFlashSize)
        return QStringLiteral("The firmware file holds %1 bytes, more than the pedal's flash of %2 bytes.")
            .arg(image.size())
            .arg(kFlashSize);
    if (image.size() > kMaxImageSize)
        return QStringLiteral("The firmware file holds %1 bytes; the pedal takes at most %2, "
                              "since the flash's last kilobyte holds the firmware version.")
            .arg(image.size())
            .arg(kMaxImageSize);
    if (image.size() < 8)
        return QStringLiteral("The firmware file is too short to be a firmware.");
    switch (vectorTable(image, image.size())) {
    case VectorTable::Sound:
        break;
    case VectorTable::BadStack:
        return QStringLiteral("The firmware file does not start like a firmware of the pedal "
                              "(its stack address %1 is not in the pedal's memory).")
            .arg(QStringLiteral("0x") + Hex::hex(wordAt(image, 0), 8));
    case VectorTable::BadReset:
        return QStringLiteral("The firmware file does not start like a firmware of the pedal "
                              "(its start address %1 is not inside the file).")
            .arg(QStringLiteral("0x") + Hex::hex(wordAt(image, 4), 8));
    }
    return QString();
}

VectorTable vectorTable(const QByteArray& start, qint64 size)
{
    if (start.size() < 8)
        return VectorTable::BadStack;
    const uint32_t stack = wordAt(start, 0);
    const uint32_t reset = wordAt(start, 4);
    if (stack <= kRamBase || stack > kRamEnd)
        return VectorTable::BadStack;
    const qint64 entry = qint64(reset & ~1u) - qint64(kFlashBase);
    if (!(reset & 1u) || entry < 8 || entry + 2 > size)
        return VectorTable::BadReset;
    return VectorTable::Sound;
}

QList<Chunk> chunks(const QByteArray& image)
{
    QList<Chunk> out;
    for (int at = 0; at < image.size(); at += kChunkSize) {
        Chunk c;
        c.address = kFlashBase + static_cast<uint32_t>(at);
        c.bytes = image.mid(at, kChunkSize);
        if (c.bytes.size() % 4 != 0)
            c.bytes.append(QByteArray(4 - c.bytes.size() % 4, char(0xFF)));
        out.append(c);
    }
    return out;
}

void logChunks(Log& log, const QByteArray& image, const QList<Chunk>& chunks)
{
    const int size = static_cast<int>(image.size());
    log.logLine(QStringLiteral("num of chunks: ") + QString::number(size / kChunkSize));
    log.logLine(QStringLiteral("num of bytes last chunk: ") + QString::number(size % kChunkSize));
    for (int i = 0; i < chunks.size(); ++i) {
        const QByteArray own = image.mid(i * kChunkSize, kChunkSize);
        if (i == chunks.size() - 1)
            log.logLine(QStringLiteral("num of bytes last chunk: ") + QString::number(size % kChunkSize));
        log.appendDirect(QStringLiteral("chunk from string ") + QString::number(i) + QStringLiteral(": "));
        log.appendDirect(Hex::toHex(own));
        log.logLine(QStringLiteral("chunk ") + QString::number(i) + QStringLiteral(" size: ")
                    + QString::number(own.size()));
        log.appendDirect(QString());
        log.appendDirect(QString());
    }
}

} // namespace FirmwareImage
