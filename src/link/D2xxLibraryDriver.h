#pragma once

#include "link/FtdiDriver.h"

#include <QLibrary>

#include <memory>

// FTDI's own D2XX library, loaded when the program runs, so that nothing of
// FTDI's is needed to build and the program still starts where the library is
// not installed. QUARNEL_D2XX_LIBRARY names another library file to load in
// its place.
class D2xxLibraryDriver final : public FtdiDriver {
public:
    // The driver, or nullptr when the library or one of its nine calls is
    // missing; that is not an error, the caller falls back to another driver.
    static std::unique_ptr<D2xxLibraryDriver> create();
    // The same from a given library file (or library name for the system's search).
    static std::unique_ptr<D2xxLibraryDriver> create(const QString& library);

    // The library the program looks for when the environment names none.
    static QString defaultLibraryName();

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

    ~D2xxLibraryDriver() override;

private:
    struct Calls;
    D2xxLibraryDriver();

    QLibrary library_;
    std::unique_ptr<Calls> calls_;
};
