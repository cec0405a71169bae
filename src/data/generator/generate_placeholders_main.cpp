// Writes stand-ins for the pedal maker's effect and firmware images, which are
// not ours to carry. They have the real images' names, sizes and layout, so
// the editor, the virtual pedal and the tests treat them like the real ones;
// and each carries the placeholder mark, so that the editor sends none of
// them to a real pedal. The output depends on nothing but this file and the
// mark.
//
// With --unmarked the same images come without the mark: stand-ins for the
// maker's images, for the tests that check what a build with real images does.

#include "data/PlaceholderMark.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void putMark(Bytes& b, std::size_t at)
{
    std::memcpy(b.data() + at, PlaceholderMark::kText, PlaceholderMark::kSize);
}

// A small fixed generator: the same bytes on every machine and every run.
class Filler {
public:
    explicit Filler(std::uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    std::uint8_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<std::uint8_t>(m_state >> 24);
    }

private:
    std::uint32_t m_state;
};

struct EffectImage {
    int version;
    std::size_t size;
};

constexpr EffectImage kEffects[] = {
    {8, 4640}, {9, 4672}, {10, 4544}, {11, 4544}, {12, 4512}, {13, 4352}, {14, 4352}, {15, 4256},
};

// The newest algorithm's parameter addresses, by word of the address table.
// Words 0 (Dry), 14 (Wave Clip) and 21 (Attack) are those of the real image.
constexpr std::uint16_t kNewestAddresses[22] = {
    0x0027, 0x002B, 0x0031, 0x0036, 0x0042, 0x004F, 0x0058, 0x0063, 0x006D, 0x0074, 0x007A,
    0x0081, 0x008C, 0x0095, 0x00E7, 0x009C, 0x00A1, 0x00B4, 0x00BB, 0x00C3, 0x00CA, 0x00AE,
};

std::uint16_t addressWord(int version, int word)
{
    if (version == 15)
        return kNewestAddresses[word];
    // The older algorithms lack Dry HPF, Limit Range UP, the noise gate and
    // Attack, and lay the rest out a little lower.
    if (word >= 17)
        return 0x0000;
    return static_cast<std::uint16_t>(kNewestAddresses[word] - 2 * (15 - version));
}

Bytes effectImage(const EffectImage& e, bool marked)
{
    Bytes b(e.size, 0);
    b[0] = static_cast<std::uint8_t>(e.size >> 16);
    b[1] = static_cast<std::uint8_t>(e.size >> 8);
    b[2] = static_cast<std::uint8_t>(e.size);
    for (int w = 0; w < 22; ++w) {
        const std::uint16_t a = addressWord(e.version, w);
        b[3 + 2 * w] = static_cast<std::uint8_t>(a >> 8);
        b[4 + 2 * w] = static_cast<std::uint8_t>(a);
    }
    Filler f(0x51A7E000u + static_cast<std::uint32_t>(e.version));
    const std::size_t padding = 32;
    for (std::size_t i = 47; i < e.size - padding; ++i)
        b[i] = f.next();
    if (marked)
        putMark(b, PlaceholderMark::kEffectOffset);
    return b;
}

std::string hexText(const Bytes& b)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(2 * b.size());
    for (std::uint8_t v : b) {
        s += digits[v >> 4];
        s += digits[v & 0x0F];
    }
    return s;
}

struct FirmwareImage {
    int version;
    std::size_t size;
};

constexpr FirmwareImage kFirmware[] = {
    {5, 53840},  {6, 53640},  {7, 53700},  {8, 50720},  {9, 51152},  {10, 51472}, {11, 52376},
    {12, 53136}, {13, 53152}, {14, 53400}, {15, 53544}, {16, 53880}, {17, 53856},
};

constexpr std::uint32_t kFlashBase = 0x08000000u;
constexpr std::uint32_t kInitialStack = 0x20005000u;
constexpr int kVectors = 76; // the core's 16 plus the part's interrupts

void putWord(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes firmwareImage(const FirmwareImage& fw, bool marked)
{
    Bytes b(fw.size, 0);
    Filler f(0xF1A50000u + static_cast<std::uint32_t>(fw.version));
    for (std::size_t i = 4 * kVectors; i < fw.size; ++i)
        b[i] = f.next();
    // Handlers lie right after the table; the low bit marks Thumb code.
    const std::uint32_t reset = kFlashBase + 4 * kVectors + 0x40 + 4 * fw.version;
    const std::uint32_t fallback = kFlashBase + 4 * kVectors + 0x20;
    putWord(b, 0, kInitialStack);
    putWord(b, 4, reset | 1u);
    for (int v = 2; v < kVectors; ++v)
        putWord(b, 4 * v, (v == 7 || (v >= 8 && v <= 10) || v == 13) ? 0 : (fallback | 1u));
    // Between the table and the first handler.
    static_assert(PlaceholderMark::kFirmwareOffset == 4 * kVectors, "the mark follows the vector table");
    static_assert(PlaceholderMark::kSize <= 0x20, "the mark ends before the first handler");
    if (marked)
        putMark(b, PlaceholderMark::kFirmwareOffset);
    return b;
}

bool writeFile(const std::string& path, const char* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool unmarked = argc == 3 && std::strcmp(argv[1], "--unmarked") == 0;
    if (argc != 2 && !unmarked) {
        std::fprintf(stderr, "usage: %s [--unmarked] OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[argc - 1]) + "/";
    bool ok = true;
    for (const EffectImage& e : kEffects) {
        char name[32];
        std::snprintf(name, sizeof name, "QUARNEL_MK3_%04d", e.version);
        const std::string text = hexText(effectImage(e, !unmarked));
        ok = writeFile(dir + name, text.data(), text.size()) && ok;
    }
    for (const FirmwareImage& fw : kFirmware) {
        const Bytes b = firmwareImage(fw, !unmarked);
        ok = writeFile(dir + "FIRMWARE_" + std::to_string(fw.version),
                       reinterpret_cast<const char*>(b.data()), b.size())
            && ok;
    }
    return ok ? 0 : 1;
}
