#pragma once

#include "link/FtdiDriver.h"

#include <map>
#include <memory>

// Two drivers as one: the first lists and opens the devices; where it lists
// none, the second does, and a device the first lists but cannot open is
// opened by the second when it knows the same serial number. On Linux FTDI's
// D2XX library and the stock serial driver cannot both hold a bridge, and
// which of them holds the pedal depends on the machine, not on the user's
// choice: D2XX first, the serial ports second, and the layers above never
// learn which one answered except from the log.
class FallbackDriver final : public FtdiDriver {
public:
    FallbackDriver(std::unique_ptr<FtdiDriver> first, std::unique_ptr<FtdiDriver> second);

    // "D2XX or serial"
    QString name() const override;

    uint32_t listDeviceCount(uint32_t& count) override;
    uint32_t listSerialNumber(uint32_t index, char area[64]) override;
    uint32_t listDescription(uint32_t index, char area[64]) override;
    uint32_t openBySerialNumber(const char* serial, Handle& handle) override;
    uint32_t close(Handle handle) override;
    uint32_t read(Handle handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned) override;
    uint32_t write(Handle handle, const uint8_t* buffer, uint32_t toWrite, uint32_t& written) override;
    uint32_t setBaudRate(Handle handle, uint32_t baud) override;
    uint32_t setDataCharacteristics(Handle handle, uint8_t wordLength, uint8_t stopBits, uint8_t parity) override;
    uint32_t setLatencyTimer(Handle handle, uint8_t ms) override;
    uint32_t purge(Handle handle, uint32_t mask) override;
    uint32_t queueStatus(Handle handle, uint32_t& rxBytes) override;
    void waitForData(Handle handle, int timeoutMs) override;
    QString reachedThrough(Handle handle) const override;
    OpenFailure lastOpenFailure() const override;

private:
    // The driver that opened handle; the first for a handle neither knows,
    // which then answers as D2XX does (FT_INVALID_HANDLE).
    FtdiDriver& ownerOf(Handle handle) const;

    std::unique_ptr<FtdiDriver> first_;
    std::unique_ptr<FtdiDriver> second_;
    FtdiDriver* lister_;                  // the driver of the last listing
    FtdiDriver* failedOpen_ = nullptr;    // the driver whose open failed last
    std::map<Handle, FtdiDriver*> owners_;
};
