#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

class Log;

// A firmware image as the upgrade writes it: the bytes of the pedal's flash
// from its first address on, cut into the blocks of the bootloader's Write
// Memory, with the checks that keep a pedal from being left with a program
// that cannot start.
namespace FirmwareImage {

constexpr uint32_t kFlashBase = 0x08000000u;
constexpr int kFlashSize = 131072;
constexpr int kChunkSize = 256;
// The version stamp's place in the flash's last page: an image must end
// before it, or the stamp could not be written over it.
constexpr uint32_t kStampAddress = 0x0801FC00u;
constexpr int kMaxImageSize = int(kStampAddress - kFlashBase);
// Where the processor's stack may start: the top of, or inside, its 20 KiB of RAM.
constexpr uint32_t kRamBase = 0x20000000u;
constexpr uint32_t kRamEnd = 0x20005000u;

struct Chunk {
    uint32_t address = 0;
    QByteArray bytes;
};

// "Firmware_17" gives 17: the characters after the nine-character prefix of a
// text 10 to 12 characters long; any other length gives previous.
int versionFromEntry(const QString& entry, int previous);

// The version a firmware file names: "FIRMWARE_16" (any case, with or without
// an extension) gives 16; any other name gives -1.
int versionFromFileName(const QString& fileName);

// The versions a stamp can carry: one byte, and erased flash (FF) is none.
constexpr int kLowestVersion = 1;
constexpr int kHighestVersion = 254;

// An empty text when the image can be flashed and started; otherwise why not,
// as a sentence for the user.
QString check(const QByteArray& image);

// The processor's first two vectors, in the first eight bytes of a program of
// size bytes at the start of flash: the initial stack pointer has to lie in
// the RAM, the reset address (Thumb code) inside the program.
enum class VectorTable { Sound, BadStack, BadReset };
VectorTable vectorTable(const QByteArray& start, qint64 size);

// Blocks of 256 bytes from the start of flash; the last holds what remains.
// Flash takes whole 32-bit words, so a last block whose length is not a
// multiple of 4 is filled up with FF (erased flash), as stm32flash does.
QList<Chunk> chunks(const QByteArray& image);

// The console lines of the cutting: the counts, then every chunk's text.
void logChunks(Log& log, const QByteArray& image, const QList<Chunk>& chunks);

} // namespace FirmwareImage
