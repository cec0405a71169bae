// A stand-in for FTDI's D2XX library with the nine calls the editor makes,
// simulating one device that answers the status request 02 00 with a short
// ASCII reply; a test can hide the device or have its open refused. Tests load it in place of the real library to see that the
// driver passes every argument the way D2XX defines it.

#include <cstdint>
#include <cstring>
#include <string>

#if defined(_WIN32)
#define STAND_IN_EXPORT extern "C" __declspec(dllexport)
#define STAND_IN_CALL __stdcall
#else
#define STAND_IN_EXPORT extern "C" __attribute__((visibility("default")))
#define STAND_IN_CALL
#endif

using DWORD = uint32_t;
using FT_STATUS = uint32_t;
using FT_HANDLE = void*;

namespace {
constexpr FT_STATUS kOk = 0, kInvalidHandle = 1, kNotFound = 2, kNotOpened = 3, kInvalidParameter = 6,
                    kInvalidBaud = 7;
constexpr DWORD kListNumberOnly = 0x80000000u, kListByIndex = 0x40000000u, kBySerial = 1, kByDescription = 2;
const char* const kSerial = "SI000001";
const char* const kDescription = "Stand-in FT232R";

// What the library shows: its one device with this serial number, listed or
// not, and opened or refused as when another driver holds the bridge.
struct Shown {
    std::string serial = kSerial;
    bool listed = true;
    bool opens = true;
} shown;

struct Device {
    bool open = false;
    DWORD baud = 9600;
    unsigned char wordLength = 8, stopBits = 0, parity = 0;
    DWORD purges = 0; // every mask purged, or-ed together
    std::string written;
    std::string queue;
} device;

// Any stable non-null value that is not a pointer into the caller's memory.
FT_HANDLE const kHandle = reinterpret_cast<FT_HANDLE>(static_cast<uintptr_t>(0xD2C0FFEEu));

FT_STATUS checked(FT_HANDLE h)
{
    return device.open && h == kHandle ? kOk : kInvalidHandle;
}
} // namespace

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_ListDevices(void* arg1, void* arg2, DWORD flags)
{
    if (flags == kListNumberOnly) {
        if (!arg1 || arg2)
            return kInvalidParameter;
        *static_cast<DWORD*>(arg1) = shown.listed ? 1 : 0;
        return kOk;
    }
    if ((flags & kListByIndex) == 0 || !arg2)
        return kInvalidParameter;
    if (reinterpret_cast<uintptr_t>(arg1) != 0 || !shown.listed)
        return kNotFound;
    const DWORD what = flags & ~kListByIndex;
    if (what != kBySerial && what != kByDescription)
        return kInvalidParameter;
    std::strcpy(static_cast<char*>(arg2), what == kBySerial ? shown.serial.c_str() : kDescription);
    return kOk;
}

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_OpenEx(void* arg1, DWORD flags, FT_HANDLE* handle)
{
    if (flags != kBySerial || !arg1 || !handle)
        return kInvalidParameter;
    if (!shown.listed || shown.serial != static_cast<const char*>(arg1))
        return kNotFound;
    if (device.open || !shown.opens)
        return kNotOpened;
    device = Device{};
    device.open = true;
    *handle = kHandle;
    return kOk;
}

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_Close(FT_HANDLE h)
{
    if (const FT_STATUS s = checked(h))
        return s;
    device.open = false;
    return kOk;
}

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_Read(FT_HANDLE h, void* buffer, DWORD toRead, DWORD* returned)
{
    if (const FT_STATUS s = checked(h))
        return s;
    const size_t n = toRead < device.queue.size() ? toRead : device.queue.size();
    std::memcpy(buffer, device.queue.data(), n);
    device.queue.erase(0, n);
    *returned = static_cast<DWORD>(n);
    return kOk;
}

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_Write(FT_HANDLE h, void* buffer, DWORD toWrite, DWORD* written)
{
    if (const FT_STATUS s = checked(h))
        return s;
    const std::string bytes(static_cast<const char*>(buffer), toWrite);
    device.written += bytes;
    if (bytes == std::string("\x02\x00", 2))
        device.queue += "17\r\n0\r\n21\r";
    *written = toWrite;
    return kOk;
}

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_SetBaudRate(FT_HANDLE h, DWORD baud)
{
    if (const FT_STATUS s = checked(h))
        return s;
    if (baud < 183 || baud > 3000000)
        return kInvalidBaud;
    device.baud = baud;
    return kOk;
}

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_SetDataCharacteristics(FT_HANDLE h, unsigned char wordLength,
                                                                  unsigned char stopBits, unsigned char parity)
{
    if (const FT_STATUS s = checked(h))
        return s;
    device.wordLength = wordLength;
    device.stopBits = stopBits;
    device.parity = parity;
    return kOk;
}

#if !defined(STAND_IN_WITHOUT_PURGE)
STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_Purge(FT_HANDLE h, DWORD mask)
{
    if (const FT_STATUS s = checked(h))
        return s;
    device.purges |= mask;
    if (mask & 1)
        device.queue.clear();
    return kOk;
}
#endif

STAND_IN_EXPORT FT_STATUS STAND_IN_CALL FT_GetQueueStatus(FT_HANDLE h, DWORD* rxBytes)
{
    if (const FT_STATUS s = checked(h))
        return s;
    *rxBytes = static_cast<DWORD>(device.queue.size());
    return kOk;
}

// The device the tests want: serial (at most 63 characters), listed or not, opening or not.
STAND_IN_EXPORT void StandIn_Show(const char* serial, DWORD listed, DWORD opens)
{
    shown.serial = serial;
    shown.listed = listed != 0;
    shown.opens = opens != 0;
}

// What the device was told, for the tests.
STAND_IN_EXPORT DWORD StandIn_Baud() { return device.baud; }
STAND_IN_EXPORT DWORD StandIn_DataCharacteristics()
{
    return DWORD(device.wordLength) << 16 | DWORD(device.stopBits) << 8 | device.parity;
}
STAND_IN_EXPORT DWORD StandIn_Purges() { return device.purges; }
STAND_IN_EXPORT DWORD StandIn_IsOpen() { return device.open ? 1 : 0; }
STAND_IN_EXPORT const char* StandIn_Written() { return device.written.c_str(); }
STAND_IN_EXPORT DWORD StandIn_WrittenSize() { return static_cast<DWORD>(device.written.size()); }
