#include "link/D2xxLibraryDriver.h"

#include <QtGlobal>

// D2XX's own types: DWORD, ULONG and FT_STATUS are 32-bit unsigned on every
// platform, the handle is a pointer, and Windows calls with __stdcall.
#if defined(Q_OS_WIN)
#define QUARNEL_D2XX_CALL __stdcall
#else
#define QUARNEL_D2XX_CALL
#endif

namespace {
using DWORD = uint32_t;
using FT_STATUS = uint32_t;
using FT_HANDLE = void*;
using UCHAR = unsigned char;

using ListDevicesFn = FT_STATUS(QUARNEL_D2XX_CALL*)(void*, void*, DWORD);
using OpenExFn = FT_STATUS(QUARNEL_D2XX_CALL*)(void*, DWORD, FT_HANDLE*);
using CloseFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE);
using ReadFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE, void*, DWORD, DWORD*);
using WriteFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE, void*, DWORD, DWORD*);
using SetBaudRateFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE, DWORD);
using SetDataCharacteristicsFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE, UCHAR, UCHAR, UCHAR);
using PurgeFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE, DWORD);
using GetQueueStatusFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE, DWORD*);
using SetLatencyTimerFn = FT_STATUS(QUARNEL_D2XX_CALL*)(FT_HANDLE, UCHAR);

template <typename Fn>
bool resolve(QLibrary& library, const char* symbol, Fn& fn)
{
    fn = reinterpret_cast<Fn>(library.resolve(symbol));
    return fn != nullptr;
}
} // namespace

struct D2xxLibraryDriver::Calls {
    ListDevicesFn listDevices = nullptr;
    OpenExFn openEx = nullptr;
    CloseFn close = nullptr;
    ReadFn read = nullptr;
    WriteFn write = nullptr;
    SetBaudRateFn setBaudRate = nullptr;
    SetDataCharacteristicsFn setDataCharacteristics = nullptr;
    PurgeFn purge = nullptr;
    GetQueueStatusFn getQueueStatus = nullptr;
    SetLatencyTimerFn setLatencyTimer = nullptr; // optional: older libraries lack it
};

D2xxLibraryDriver::D2xxLibraryDriver() : calls_(new Calls) {}

D2xxLibraryDriver::~D2xxLibraryDriver() = default;

QString D2xxLibraryDriver::defaultLibraryName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("ftd2xx.dll");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("libftd2xx.dylib");
#else
    return QStringLiteral("libftd2xx.so");
#endif
}

std::unique_ptr<D2xxLibraryDriver> D2xxLibraryDriver::create()
{
    const QString named = qEnvironmentVariable("QUARNEL_D2XX_LIBRARY");
    return create(named.isEmpty() ? defaultLibraryName() : named);
}

std::unique_ptr<D2xxLibraryDriver> D2xxLibraryDriver::create(const QString& library)
{
    std::unique_ptr<D2xxLibraryDriver> driver(new D2xxLibraryDriver);
    driver->library_.setFileName(library);
    if (!driver->library_.load())
        return nullptr;
    QLibrary& lib = driver->library_;
    Calls& c = *driver->calls_;
    const bool complete = resolve(lib, "FT_ListDevices", c.listDevices) && resolve(lib, "FT_OpenEx", c.openEx) &&
                          resolve(lib, "FT_Close", c.close) && resolve(lib, "FT_Read", c.read) &&
                          resolve(lib, "FT_Write", c.write) && resolve(lib, "FT_SetBaudRate", c.setBaudRate) &&
                          resolve(lib, "FT_SetDataCharacteristics", c.setDataCharacteristics) &&
                          resolve(lib, "FT_Purge", c.purge) && resolve(lib, "FT_GetQueueStatus", c.getQueueStatus);
    resolve(lib, "FT_SetLatencyTimer", c.setLatencyTimer);
    // A library that lacks a call is some other library: leave it unused. It is
    // not unloaded, since a library once loaded may hold state of its own.
    return complete ? std::move(driver) : nullptr;
}

QString D2xxLibraryDriver::name() const
{
    return QStringLiteral("D2XX");
}

uint32_t D2xxLibraryDriver::listDeviceCount(uint32_t& count)
{
    DWORD n = count;
    const FT_STATUS status = calls_->listDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
    if (status == FT_OK)
        count = n;
    return status;
}

uint32_t D2xxLibraryDriver::listSerialNumber(uint32_t index, char area[64])
{
    // By index, the first argument carries the index itself in place of a pointer.
    return calls_->listDevices(reinterpret_cast<void*>(quintptr(index)), area,
                               FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
}

uint32_t D2xxLibraryDriver::listDescription(uint32_t index, char area[64])
{
    return calls_->listDevices(reinterpret_cast<void*>(quintptr(index)), area,
                               FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
}

uint32_t D2xxLibraryDriver::openBySerialNumber(const char* serial, Handle& handle)
{
    FT_HANDLE h = handle;
    const FT_STATUS status = calls_->openEx(const_cast<char*>(serial), FT_OPEN_BY_SERIAL_NUMBER, &h);
    if (status == FT_OK)
        handle = h;
    return status;
}

uint32_t D2xxLibraryDriver::close(Handle handle)
{
    return calls_->close(handle);
}

uint32_t D2xxLibraryDriver::read(Handle handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned)
{
    DWORD n = 0;
    const FT_STATUS status = calls_->read(handle, buffer, toRead, &n);
    returned = n;
    return status;
}

uint32_t D2xxLibraryDriver::write(Handle handle, const uint8_t* buffer, uint32_t toWrite, uint32_t& written)
{
    DWORD n = 0;
    const FT_STATUS status = calls_->write(handle, const_cast<uint8_t*>(buffer), toWrite, &n);
    written = n;
    return status;
}

uint32_t D2xxLibraryDriver::setBaudRate(Handle handle, uint32_t baud)
{
    return calls_->setBaudRate(handle, baud);
}

uint32_t D2xxLibraryDriver::setDataCharacteristics(Handle handle, uint8_t wordLength, uint8_t stopBits,
                                                   uint8_t parity)
{
    return calls_->setDataCharacteristics(handle, wordLength, stopBits, parity);
}

uint32_t D2xxLibraryDriver::setLatencyTimer(Handle handle, uint8_t ms)
{
    if (!calls_->setLatencyTimer)
        return FT_OK;
    return calls_->setLatencyTimer(handle, ms);
}

uint32_t D2xxLibraryDriver::purge(Handle handle, uint32_t mask)
{
    return calls_->purge(handle, mask);
}

uint32_t D2xxLibraryDriver::queueStatus(Handle handle, uint32_t& rxBytes)
{
    DWORD n = 0;
    const FT_STATUS status = calls_->getQueueStatus(handle, &n);
    if (status == FT_OK)
        rxBytes = n;
    return status;
}
