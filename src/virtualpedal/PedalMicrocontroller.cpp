#include "virtualpedal/PedalMicrocontroller.h"

namespace {
uint32_t wordAt(const QByteArray& flash, int offset)
{
    uint32_t w = 0;
    for (int i = 3; i >= 0; --i)
        w = w << 8 | uint8_t(flash.at(offset + i));
    return w;
}
} // namespace

PedalMicrocontroller::PedalMicrocontroller(PedalModel& model, PedalOutput& output)
    : model_(model), firmware_(model, output), bootloader_(model, output)
{
    firmware_.setBootloaderHandler([this] { startBootloader(); });
    bootloader_.setGoHandler([this](uint32_t address) { run(address); });
    bootloader_.setUnplugHandler([this] { unplugRequested_ = true; });
}

void PedalMicrocontroller::receive(const QByteArray& bytes, double atMs)
{
    switch (mode_) {
    case Mode::Firmware:
        firmware_.receive(bytes, atMs);
        break;
    case Mode::Bootloader:
        bootloader_.receive(bytes, atMs);
        break;
    case Mode::Halted:
        break;
    }
}

void PedalMicrocontroller::reset()
{
    firmware_.reset();
    bootloader_.reset();
    if (model_.shiftHeld)
        startBootloader();
    else
        run(PedalModel::kFlashBase);
}

bool PedalMicrocontroller::canRead(const LineSettings& line) const
{
    switch (mode_) {
    case Mode::Firmware: return line.firmwareCanRead();
    case Mode::Bootloader: return bootloader_.canRead(line);
    case Mode::Halted: return true; // nothing listens, whatever the line
    }
    return false;
}

void PedalMicrocontroller::startBootloader()
{
    bootloader_.reset();
    mode_ = Mode::Bootloader;
}

void PedalMicrocontroller::run(uint32_t address)
{
    if (!canRun(model_.flash, address)) {
        mode_ = Mode::Halted;
        return;
    }
    firmware_.reset();
    model_.firmwareVersion = static_cast<uint8_t>(stampedVersion(model_.flash));
    mode_ = Mode::Firmware;
}

bool PedalMicrocontroller::takeUnplugRequest()
{
    const bool requested = unplugRequested_;
    unplugRequested_ = false;
    return requested;
}

bool PedalMicrocontroller::canRun(const QByteArray& flash, uint32_t address)
{
    const qint64 offset = qint64(address) - PedalModel::kFlashBase;
    if (offset < 0 || offset % 4 != 0 || offset + 8 > flash.size())
        return false;
    const uint32_t stack = wordAt(flash, int(offset));
    const uint32_t reset = wordAt(flash, int(offset) + 4);
    if (stack <= kRamBase || stack > kRamEnd || !(reset & 1u))
        return false;
    const qint64 entry = qint64(reset & ~1u) - PedalModel::kFlashBase;
    if (entry < 0 || entry + 2 > flash.size())
        return false;
    // Erased flash is no instruction the core can run.
    return !(uint8_t(flash.at(int(entry))) == 0xFF && uint8_t(flash.at(int(entry) + 1)) == 0xFF);
}

int PedalMicrocontroller::stampedVersion(const QByteArray& flash)
{
    const int size = PedalModel::kStampSize;
    const QByteArray stamp = flash.mid(int(PedalModel::kStampAddress - PedalModel::kFlashBase), size);
    if (stamp.size() != size || stamp.left(size - 1) != QByteArray(size - 1, '\0'))
        return 0;
    return uint8_t(stamp.back());
}
