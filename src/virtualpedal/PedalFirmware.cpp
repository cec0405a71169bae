#include "virtualpedal/PedalFirmware.h"

#include "data/DataItems.h"
#include "virtualpedal/PedalWire.h"
#include "virtualpedal/StatusReply.h"

#include <cmath>

namespace {
constexpr int kOldestImage = 8;
constexpr int kNewestImage = 15;

uint8_t byteAt(const QByteArray& m, int i)
{
    return static_cast<uint8_t>(m.at(i));
}

uint16_t word16(const QByteArray& m, int i)
{
    return static_cast<uint16_t>(byteAt(m, i) << 8 | byteAt(m, i + 1));
}

uint32_t word32(const QByteArray& m, int i)
{
    return uint32_t(byteAt(m, i)) << 24 | uint32_t(byteAt(m, i + 1)) << 16 | uint32_t(byteAt(m, i + 2)) << 8 |
           uint32_t(byteAt(m, i + 3));
}

uint8_t bcd(int n)
{
    return static_cast<uint8_t>(((n / 10) % 10) << 4 | (n % 10));
}

// The three dials the pedal keeps as steps arrive as level words; the pedal
// rounds the level onto its steps.
uint32_t levelToStep(uint32_t value, int steps)
{
    const uint32_t level = std::min<uint32_t>(value >> 13, 1023);
    return static_cast<uint32_t>(std::lround(double(level) * steps / 1023.0));
}

int stepsOf(int value)
{
    switch (value) {
    case PedalModel::LowPass: return 24;
    case PedalModel::HighPass: return 16;
    case PedalModel::Range: return 22;
    default: return 0;
    }
}

bool isBusAddress(uint8_t a)
{
    return a == 0x50 || a == 0x51;
}
} // namespace

PedalFirmware::PedalFirmware(PedalModel& model, PedalOutput& output) : model_(model), output_(output) {}

int PedalFirmware::messageLength(const QByteArray& pending)
{
    if (pending.isEmpty())
        return 0;
    switch (byteAt(pending, 0)) {
    case 0x00:
        if (pending.size() < 3)
            return 0;
        // A length too small to hold even itself still ends after its three bytes.
        return std::max<int>(3, int(byteAt(pending, 1)) << 8 | byteAt(pending, 2));
    case 0x01: return 7;
    case 0x02: return 2;
    case 0x03: return 41;
    case 0x04: return 16;
    case 0x05: return 8;
    case 0x07: return 2;
    case 0x08: return 3;
    case 0x09: return 3;
    case 0x0B: return 5;
    case 0x0C: return 6;
    case 0x0D: return 2;
    case 0x0E: return 1 + PedalModel::kTuningDataSize;
    case 0x0F: return 8;
    case 0x10: return 2;
    case 0x11: return 2;
    case 0x7F: return 1; // the bootloader's greeting means nothing to the firmware
    default: return -1;
    }
}

void PedalFirmware::reset()
{
    pending_.clear();
}

void PedalFirmware::receive(const QByteArray& bytes, double atMs)
{
    if (bytes.isEmpty())
        return;
    if (!pending_.isEmpty() && atMs - lastByteMs_ > kMessageGapMs) {
        pending_.clear();
        ++model_.droppedPartialMessages;
    }
    lastByteMs_ = atMs;
    pending_.append(bytes);

    int pos = 0;
    while (pos < pending_.size()) {
        const QByteArray rest = QByteArray::fromRawData(pending_.constData() + pos, pending_.size() - pos);
        const int length = messageLength(rest);
        if (length < 0) {
            ++model_.unknownBytes;
            ++pos;
            continue;
        }
        if (length == 0 || length > rest.size())
            break;
        handle(QByteArray(rest.constData(), length), atMs);
        pos += length;
        if (leaving_) {
            // The bootloader runs now; whatever else came is lost with the firmware.
            leaving_ = false;
            pending_.clear();
            startBootloader_();
            return;
        }
    }
    pending_.remove(0, pos);
}

void PedalFirmware::handle(const QByteArray& m, double atMs)
{
    PedalModel& s = model_;
    switch (byteAt(m, 0)) {
    case 0x00:
        acceptImage(m, atMs);
        break;
    case 0x01:
        writeParameter(word16(m, 1), word32(m, 3));
        break;
    case 0x02:
        if (byteAt(m, 1) == 0x00)
            output_.send(StatusReply::text(s, output_.faults().shortReplyValues, output_.faults().garbledReply),
                         atMs);
        break;
    case 0x03:
        for (int i = 0; i < PedalModel::kAssignableCount; ++i)
            s.storedAssignable[size_t(i)] = word32(m, 1 + 4 * i);
        break;
    case 0x04:
        for (int i = 0; i < 5; ++i) {
            s.assignedFlags[size_t(i)] = byteAt(m, 1 + i);
            s.assignedAddresses[size_t(i)] = word16(m, 6 + 2 * i);
        }
        break;
    case 0x05:
        // The request to start the bootloader; the firmware heeds it only while
        // SHIFT is held, so a stray message cannot stop the pedal.
        if (m == QByteArray::fromHex("0500010203040506")) {
            ++s.bootloaderEntryRequests;
            leaving_ = s.shiftHeld && startBootloader_;
        }
        break;
    case 0x07:
        if (byteAt(m, 1) <= 16)
            s.midiChannel = byteAt(m, 1);
        break;
    case 0x08:
        if (byteAt(m, 1) <= 1 && byteAt(m, 2) <= 1)
            s.footswitchMode = static_cast<uint8_t>(2 * byteAt(m, 1) + byteAt(m, 2));
        break;
    case 0x09:
        s.tuning = byteAt(m, 1);
        s.semitones = byteAt(m, 2);
        break;
    case 0x0B:
        if (isBusAddress(byteAt(m, 1)))
            (byteAt(m, 1) == 0x50 ? s.memory50 : s.memory51).fill(char(0xFF));
        break;
    case 0x0C:
        if (isBusAddress(byteAt(m, 1)))
            output_.send(QByteArray(1, char(0xAB)) + (byteAt(m, 1) == 0x50 ? s.memory50 : s.memory51), atMs,
                         true);
        break;
    case 0x0D:
        if (byteAt(m, 1) <= 1)
            s.bypass = byteAt(m, 1);
        break;
    case 0x0E:
        s.tuningData = m.mid(1);
        break;
    case 0x0F: {
        uint8_t sum = 0;
        for (int i = 0; i < 7; ++i)
            sum ^= byteAt(m, i);
        if (sum == byteAt(m, 7))
            s.instrumentRange = byteAt(m, 1);
        else
            ++s.badInstrumentChecksums;
        break;
    }
    case 0x10:
        if (byteAt(m, 1) == 0x01)
            s.storeBypass = 1;
        else if (byteAt(m, 1) == 0xFF)
            s.storeBypass = 0;
        break;
    case 0x11:
        if (byteAt(m, 1) == 0x01 || byteAt(m, 1) == 0xFF)
            s.powerOnPreset = byteAt(m, 1);
        break;
    default:
        break;
    }
}

void PedalFirmware::writeParameter(uint16_t address, uint32_t value)
{
    bool matched = false;
    for (int k = 0; k < PedalModel::kValueCount; ++k) {
        if (!model_.hasAddressTable && k != PedalModel::Range)
            continue;
        if (model_.addressOf(k) != address)
            continue;
        const int steps = stepsOf(k);
        model_.values[size_t(k)] = steps ? levelToStep(value, steps) : value;
        matched = true;
    }
    if (!matched)
        ++model_.unmatchedParameterWrites;
}

void PedalFirmware::acceptImage(const QByteArray& image, double atMs)
{
    if (image.size() < kMinimumImageSize) {
        ++model_.rejectedImages;
        output_.send(QByteArrayLiteral("Upload Error"), atMs);
        return;
    }
    runImage(image);
    const int version = recogniseImage(image);
    if (version >= 0) {
        model_.algorithmHigh = bcd(version / 100);
        model_.algorithmLow = bcd(version % 100);
    }
    output_.send(QByteArrayLiteral("Upload OK"), atMs);
}

QByteArray PedalFirmware::embeddedImage(int version)
{
    auto it = images_.constFind(version);
    if (it != images_.constEnd())
        return *it;
    bool ok = false;
    QByteArray text = DataItems::bytes(QStringLiteral("QUARNEL_MK3_%1").arg(version, 4, 10, QLatin1Char('0')), &ok);
    const int lineEnd = text.indexOf('\n');
    if (lineEnd >= 0)
        text.truncate(lineEnd);
    const QByteArray image = ok ? QByteArray::fromHex(text.trimmed()) : QByteArray();
    images_.insert(version, image);
    return image;
}

int PedalFirmware::recogniseImage(const QByteArray& image)
{
    for (int v = kOldestImage; v <= kNewestImage; ++v) {
        const QByteArray known = embeddedImage(v);
        if (!known.isEmpty() && known == image)
            return v;
    }
    return -1;
}

bool PedalFirmware::selectAlgorithm(int version)
{
    model_.algorithmHigh = bcd(version / 100);
    model_.algorithmLow = bcd(version % 100);
    const QByteArray image = embeddedImage(version);
    if (image.size() < kMinimumImageSize)
        return false;
    runImage(image);
    return true;
}

void PedalFirmware::runImage(const QByteArray& image)
{
    model_.effectImage = image;
    model_.hasAddressTable = true;
    for (int w = 0; w < PedalModel::kAddressWords; ++w)
        model_.addressTable[size_t(w)] = word16(image, 3 + 2 * w);
}
