// A firmware image from a file: the check that keeps a pedal from being left
// with a program it cannot start, the cutting into Write Memory blocks, their
// console lines, and the version taken from an image's name.
//
// Random bytes almost never look like a program, so a choice byte may put a
// plausible vector table in front of them and stretch them to any length up
// to past the flash's end, where the limits are.

#include "FuzzInput.h"

#include "firmware/FirmwareImage.h"
#include "link/Hex.h"
#include "seams/Log.h"

namespace {

// Keeps what the chunk lines say about each chunk's bytes.
class ChunkLog final : public Log {
public:
    QString hexText;
    int sizeLines = 0;
    void logLine(const QString& text) override
    {
        if (text.startsWith(QLatin1String("chunk ")) && text.contains(QLatin1String(" size: ")))
            ++sizeLines;
    }
    void appendDirect(const QString& text) override
    {
        if (!text.startsWith(QLatin1String("chunk from string ")))
            hexText += text;
    }
};

void putWord(QByteArray& image, int at, uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        image[at + i] = char(word >> (8 * i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace FirmwareImage;
    FuzzInput in(data, size);
    const uint8_t choice = in.byte();
    const QString entry = in.field();
    const int previous = int(int8_t(in.byte()));

    // The version of an image's name.
    const int version = versionFromEntry(entry, previous);
    if ((entry.size() < 10 || entry.size() > 12) && version != previous)
        __builtin_trap();
    const int n = (in.byte() | in.byte() << 8) % 1000;
    if (versionFromEntry(QStringLiteral("Firmware_") + QString::number(n), previous) != n)
        __builtin_trap();

    int length = -1;
    if (choice & 1) {
        const uint32_t b0 = in.byte(), b1 = in.byte(), b2 = in.byte();
        length = int((b0 << 16 | b1 << 8 | b2) % uint32_t(kFlashSize + 2 * kChunkSize));
    }
    uint32_t stack = 0, reset = 0;
    if (choice & 2) {
        stack = kRamEnd - 4u * in.byte();
        reset = kFlashBase + uint32_t(in.byte() | in.byte() << 8 | in.byte() << 16);
        if (choice & 4)
            reset |= 1u;
    }
    QByteArray image = in.rest();
    if (length >= 0) {
        const QByteArray pattern = image.isEmpty() ? QByteArray(1, '\x5A') : image;
        image.clear();
        image.reserve(length);
        while (image.size() < length)
            image.append(pattern.left(length - int(image.size())));
    }
    if ((choice & 2) && image.size() >= 8) {
        putWord(image, 0, stack);
        putWord(image, 4, reset);
    }

    // An image the check lets through fits below the stamp and starts inside itself.
    const QString refused = check(image);
    const bool accepted = refused.isEmpty();
    if (accepted) {
        if (image.size() < 8 || image.size() > kMaxImageSize)
            __builtin_trap();
        const auto word = [&](int at) {
            return uint32_t(uint8_t(image[at])) | uint32_t(uint8_t(image[at + 1])) << 8
                   | uint32_t(uint8_t(image[at + 2])) << 16 | uint32_t(uint8_t(image[at + 3])) << 24;
        };
        const uint32_t stackTop = word(0);
        const uint32_t entryPoint = word(4);
        if (stackTop <= kRamBase || stackTop > kRamEnd)
            __builtin_trap();
        // The entry's first halfword lies inside the image, behind the two vectors.
        if (!(entryPoint & 1u) || entryPoint < kFlashBase + 8 || entryPoint - kFlashBase + 1 > uint32_t(image.size()))
            __builtin_trap();
    }

    // Blocks that cover exactly the image, in address order from the flash's
    // start, whole words with FF behind the last byte.
    const QList<Chunk> blocks = chunks(image);
    if (blocks.size() != (image.size() + kChunkSize - 1) / kChunkSize)
        __builtin_trap();
    QByteArray joined;
    for (int i = 0; i < blocks.size(); ++i) {
        const Chunk& c = blocks.at(i);
        if (c.address != kFlashBase + uint32_t(i) * kChunkSize)
            __builtin_trap();
        if (c.bytes.isEmpty() || c.bytes.size() % 4 != 0 || c.bytes.size() > kChunkSize)
            __builtin_trap();
        if (i + 1 < blocks.size() && c.bytes.size() != kChunkSize)
            __builtin_trap();
        if (accepted && c.address + uint32_t(c.bytes.size()) > kStampAddress)
            __builtin_trap();
        joined += c.bytes;
    }
    if (!joined.startsWith(image) || joined.size() - image.size() >= 4)
        __builtin_trap();
    for (qsizetype i = image.size(); i < joined.size(); ++i)
        if (uint8_t(joined.at(i)) != 0xFF)
            __builtin_trap();

    // The console shows every chunk's own bytes, none twice.
    if (image.size() <= 4 * kChunkSize) {
        ChunkLog log;
        logChunks(log, image, blocks);
        if (log.sizeLines != blocks.size() || log.hexText != Hex::toHex(image))
            __builtin_trap();
    }
    return 0;
}
