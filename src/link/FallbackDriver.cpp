#include "link/FallbackDriver.h"

FallbackDriver::FallbackDriver(std::unique_ptr<FtdiDriver> first, std::unique_ptr<FtdiDriver> second)
    : first_(std::move(first)), second_(std::move(second)), lister_(first_.get())
{
}

QString FallbackDriver::name() const
{
    return first_->name() + QStringLiteral(" or ") + second_->name();
}

uint32_t FallbackDriver::listDeviceCount(uint32_t& count)
{
    uint32_t firstCount = 0;
    const uint32_t firstStatus = first_->listDeviceCount(firstCount);
    if (firstStatus == FT_OK && firstCount > 0) {
        lister_ = first_.get();
        count = firstCount;
        return FT_OK;
    }
    uint32_t secondCount = 0;
    const uint32_t secondStatus = second_->listDeviceCount(secondCount);
    if (secondStatus == FT_OK) {
        lister_ = second_.get();
        count = secondCount;
        return FT_OK;
    }
    // Neither could list: what the first said, as if it were alone.
    lister_ = first_.get();
    if (firstStatus == FT_OK)
        count = firstCount;
    return firstStatus;
}

uint32_t FallbackDriver::listSerialNumber(uint32_t index, char area[64])
{
    return lister_->listSerialNumber(index, area);
}

uint32_t FallbackDriver::listDescription(uint32_t index, char area[64])
{
    return lister_->listDescription(index, area);
}

uint32_t FallbackDriver::openBySerialNumber(const char* serial, Handle& handle)
{
    FtdiDriver& lister = *lister_;
    Handle opened = handle;
    const uint32_t status = lister.openBySerialNumber(serial, opened);
    if (status == FT_OK) {
        owners_[opened] = &lister;
        failedOpen_ = nullptr;
        handle = opened;
        return FT_OK;
    }
    failedOpen_ = &lister;
    if (&lister != first_.get())
        return status;
    // Listed by the first but held by the other's driver: the same bridge
    // through the second. A second that does not know the serial number
    // leaves the first's answer standing.
    Handle other = handle;
    const uint32_t otherStatus = second_->openBySerialNumber(serial, other);
    if (otherStatus == FT_OK) {
        owners_[other] = second_.get();
        failedOpen_ = nullptr;
        handle = other;
        return FT_OK;
    }
    if (otherStatus == FT_DEVICE_NOT_FOUND)
        return status;
    failedOpen_ = second_.get();
    return otherStatus;
}

FtdiDriver& FallbackDriver::ownerOf(Handle handle) const
{
    const auto it = owners_.find(handle);
    return it == owners_.end() ? *first_ : *it->second;
}

uint32_t FallbackDriver::close(Handle handle)
{
    const uint32_t status = ownerOf(handle).close(handle);
    if (status == FT_OK)
        owners_.erase(handle);
    return status;
}

uint32_t FallbackDriver::read(Handle handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned)
{
    return ownerOf(handle).read(handle, buffer, toRead, returned);
}

uint32_t FallbackDriver::write(Handle handle, const uint8_t* buffer, uint32_t toWrite, uint32_t& written)
{
    return ownerOf(handle).write(handle, buffer, toWrite, written);
}

uint32_t FallbackDriver::setBaudRate(Handle handle, uint32_t baud)
{
    return ownerOf(handle).setBaudRate(handle, baud);
}

uint32_t FallbackDriver::setDataCharacteristics(Handle handle, uint8_t wordLength, uint8_t stopBits,
                                                uint8_t parity)
{
    return ownerOf(handle).setDataCharacteristics(handle, wordLength, stopBits, parity);
}

uint32_t FallbackDriver::setLatencyTimer(Handle handle, uint8_t ms)
{
    return ownerOf(handle).setLatencyTimer(handle, ms);
}

uint32_t FallbackDriver::purge(Handle handle, uint32_t mask)
{
    return ownerOf(handle).purge(handle, mask);
}

uint32_t FallbackDriver::queueStatus(Handle handle, uint32_t& rxBytes)
{
    return ownerOf(handle).queueStatus(handle, rxBytes);
}

void FallbackDriver::waitForData(Handle handle, int timeoutMs)
{
    ownerOf(handle).waitForData(handle, timeoutMs);
}

QString FallbackDriver::reachedThrough(Handle handle) const
{
    return ownerOf(handle).reachedThrough(handle);
}

FtdiDriver::OpenFailure FallbackDriver::lastOpenFailure() const
{
    return failedOpen_ ? failedOpen_->lastOpenFailure() : OpenFailure{};
}
