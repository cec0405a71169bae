#include "virtualpedal/PedalBootloader.h"

#include "virtualpedal/PedalWire.h"

namespace {
constexpr uint32_t kFlashEnd = PedalModel::kFlashBase + uint32_t(PedalModel::kFlashSize);

bool inFlash(uint32_t address)
{
    return address >= PedalModel::kFlashBase && address < kFlashEnd;
}

uint8_t xorOf(const QByteArray& bytes, int from, int count)
{
    uint8_t x = 0;
    for (int i = from; i < from + count; ++i)
        x ^= uint8_t(bytes.at(i));
    return x;
}
} // namespace

PedalBootloader::PedalBootloader(PedalModel& model, PedalOutput& output) : model_(model), output_(output) {}

void PedalBootloader::reset()
{
    state_ = State::Unsynchronised;
    lockedBaud_ = 0;
    field_.clear();
    fieldLength_ = 0;
    blocks_ = 0;
    block_ = -1;
}

bool PedalBootloader::canRead(const LineSettings& line) const
{
    if (anyLine_)
        return true;
    return line.bootloaderCanRead() && (lockedBaud_ == 0 || line.baud == lockedBaud_);
}

void PedalBootloader::receive(const QByteArray& bytes, double atMs)
{
    for (const char c : bytes) {
        if (state_ == State::Halted || state_ == State::Gone)
            return;
        take(uint8_t(c), atMs);
    }
}

void PedalBootloader::expect(State state, int length)
{
    state_ = state;
    field_.clear();
    fieldLength_ = length;
}

void PedalBootloader::take(uint8_t byte, double atMs)
{
    if (state_ == State::Unsynchronised) {
        // Anything before the 0x7F is noise to the rate detection.
        if (byte == kSync) {
            lockedBaud_ = output_.line().baud;
            expect(State::Command, 2);
            ack(atMs);
        }
        return;
    }

    field_.append(char(byte));
    if (field_.size() == 1 && fieldLength_ == 0) {
        // Blocks and erase lists say their own length in their first byte.
        if (state_ == State::WriteBlock) {
            if (block_ == output_.faults().unplugAtWrite) {
                state_ = State::Halted;
                if (unplug_)
                    unplug_();
                return;
            }
            fieldLength_ = byte + 3;
        } else {
            fieldLength_ = byte == 0xFF ? 2 : byte + 3;
        }
    }
    if (field_.size() < fieldLength_)
        return;

    switch (state_) {
    case State::Command:
        if (uint8_t(field_.at(1)) != uint8_t(~field_.at(0)))
            nack(atMs);
        else
            command(uint8_t(field_.at(0)), atMs);
        break;
    case State::Address:
        address(atMs);
        break;
    case State::ReadLength:
        readMemory(atMs);
        break;
    case State::WriteBlock:
        writeBlock(atMs);
        break;
    case State::Erase:
        erase(atMs);
        break;
    default:
        break;
    }
}

void PedalBootloader::command(uint8_t code, double atMs)
{
    const char ackByte = char(kAck);
    switch (code) {
    case kGet: {
        // Only the commands this bootloader carries out; a client picks its
        // erase command from this list, so 0x44 must not appear.
        const QByteArray codes = QByteArray::fromHex("00010211213143");
        answer(ackByte + (char(codes.size()) + (char(kVersion) + codes)) + ackByte, atMs);
        expect(State::Command, 2);
        break;
    }
    case kGetVersion:
        answer(ackByte + QByteArray(1, char(kVersion)) + QByteArray(2, '\0') + ackByte, atMs);
        expect(State::Command, 2);
        break;
    case kGetId:
        answer(ackByte + QByteArray(1, char(1)) + char(kProductId >> 8) + char(kProductId & 0xFF) + ackByte, atMs);
        expect(State::Command, 2);
        break;
    case kReadMemory:
    case kGo:
    case kWriteMemory:
        command_ = code;
        ack(atMs);
        expect(State::Address, 5);
        break;
    case kErase:
        ack(atMs);
        expect(State::Erase, 0);
        break;
    default:
        nack(atMs);
        break;
    }
}

void PedalBootloader::address(double atMs)
{
    if (xorOf(field_, 0, 4) != uint8_t(field_.at(4))) {
        nack(atMs);
        return;
    }
    address_ = uint32_t(uint8_t(field_.at(0))) << 24 | uint32_t(uint8_t(field_.at(1))) << 16 |
               uint32_t(uint8_t(field_.at(2))) << 8 | uint32_t(uint8_t(field_.at(3)));
    // There is no RAM or option area in this model: the flash is all there is to address.
    if (!inFlash(address_) || (command_ == kWriteMemory && address_ % 4 != 0)) {
        nack(atMs);
        return;
    }
    ack(atMs);
    switch (command_) {
    case kReadMemory:
        expect(State::ReadLength, 2);
        break;
    case kWriteMemory:
        block_ = blocks_++;
        expect(State::WriteBlock, 0);
        break;
    case kGo:
        state_ = State::Gone;
        if (go_)
            go_(address_);
        break;
    default:
        break;
    }
}

void PedalBootloader::readMemory(double atMs)
{
    const uint8_t n = uint8_t(field_.at(0));
    const qint64 count = qint64(n) + 1;
    if (uint8_t(field_.at(1)) != uint8_t(~n) || address_ + count > kFlashEnd) {
        nack(atMs);
        return;
    }
    answer(char(kAck) + model_.flash.mid(int(address_ - PedalModel::kFlashBase), int(count)), atMs);
    expect(State::Command, 2);
}

void PedalBootloader::writeBlock(double atMs)
{
    const PedalFaults& faults = output_.faults();
    const int count = field_.size() - 2;
    const int offset = int(address_ - PedalModel::kFlashBase);
    bool ok = xorOf(field_, 0, field_.size() - 1) == uint8_t(field_.back()) && count % 4 == 0 &&
              qint64(address_) + count <= qint64(kFlashEnd);
    for (int i = 0; ok && i < count; ++i)
        ok = uint8_t(model_.flash.at(offset + i)) == 0xFF;
    const bool refused = block_ == faults.nackWrite || qint64(address_) == faults.nackWriteAddress;

    if (ok && !refused) {
        model_.flash.replace(offset, count, field_.mid(1, count));
        const qint64 worn = faults.corruptAddress - qint64(address_);
        if (worn >= 0 && worn < count)
            model_.flash[offset + int(worn)] = char(uint8_t(model_.flash.at(offset + int(worn))) ^ 0x01);
    }
    if (block_ == faults.silentFromWrite) {
        state_ = State::Halted;
        return;
    }
    if (!ok || refused) {
        nack(atMs);
        return;
    }
    double done = atMs + kHalfWordProgramMs * (count / 2);
    if (block_ == faults.lateWrite)
        done += faults.lateWriteMs;
    ack(done);
    expect(State::Command, 2);
}

void PedalBootloader::erase(double atMs)
{
    const uint8_t n = uint8_t(field_.at(0));
    if (n == 0xFF) {
        if (field_.at(1) != '\0') {
            nack(atMs);
            return;
        }
        model_.flash.fill(char(0xFF));
        ack(atMs + kMassEraseMs);
        expect(State::Command, 2);
        return;
    }
    const int pages = n + 1;
    bool ok = xorOf(field_, 0, pages + 1) == uint8_t(field_.back());
    for (int i = 1; ok && i <= pages; ++i)
        ok = uint8_t(field_.at(i)) < PedalModel::kFlashSize / PedalModel::kFlashPageSize;
    if (!ok) {
        nack(atMs);
        return;
    }
    for (int i = 1; i <= pages; ++i)
        model_.flash.replace(uint8_t(field_.at(i)) * PedalModel::kFlashPageSize, PedalModel::kFlashPageSize,
                             QByteArray(PedalModel::kFlashPageSize, char(0xFF)));
    ack(atMs + kPageEraseMs * pages);
    expect(State::Command, 2);
}

void PedalBootloader::answer(const QByteArray& bytes, double atMs)
{
    output_.send(bytes, atMs);
}

void PedalBootloader::nack(double atMs)
{
    ++model_.bootloaderNacks;
    answer(QByteArray(1, char(kNack)), atMs);
    expect(State::Command, 2);
}
