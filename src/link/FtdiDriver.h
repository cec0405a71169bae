#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The handful of D2XX calls the editor makes, with D2XX's own status codes.
// D2XXUnit is the only caller; each driver (FTDI's library, Qt Serial Port,
// the virtual pedal) implements this and nothing else, so the layers above
// never learn which one is behind the link.
class FtdiDriver {
public:
    using Handle = void*;

    // D2XX status codes (FT_STATUS).
    enum Status : uint32_t {
        FT_OK = 0,
        FT_INVALID_HANDLE = 1,
        FT_DEVICE_NOT_FOUND = 2,
        FT_DEVICE_NOT_OPENED = 3,
        FT_IO_ERROR = 4,
        FT_INSUFFICIENT_RESOURCES = 5,
        FT_INVALID_PARAMETER = 6,
        FT_INVALID_BAUD_RATE = 7,
        FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
        FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
        FT_FAILED_TO_WRITE_DEVICE = 10,
        FT_EEPROM_READ_FAILED = 11,
        FT_EEPROM_WRITE_FAILED = 12,
        FT_EEPROM_ERASE_FAILED = 13,
        FT_EEPROM_NOT_PRESENT = 14,
        FT_EEPROM_NOT_PROGRAMMED = 15,
        FT_INVALID_ARGS = 16,
        FT_OTHER_ERROR = 17,
    };

    // FT_ListDevices / FT_OpenEx flags and FT_Purge masks, as D2XX defines them.
    static constexpr uint32_t FT_LIST_NUMBER_ONLY = 0x80000000u;
    static constexpr uint32_t FT_LIST_BY_INDEX = 0x40000000u;
    static constexpr uint32_t FT_OPEN_BY_SERIAL_NUMBER = 1u;
    static constexpr uint32_t FT_OPEN_BY_DESCRIPTION = 2u;
    static constexpr uint32_t FT_PURGE_RX = 1u;
    static constexpr uint32_t FT_PURGE_TX = 2u;

    // FT_SetDataCharacteristics values.
    static constexpr uint8_t FT_BITS_8 = 8;
    static constexpr uint8_t FT_STOP_BITS_1 = 0;
    static constexpr uint8_t FT_PARITY_NONE = 0;
    static constexpr uint8_t FT_PARITY_EVEN = 2;

    virtual ~FtdiDriver() = default;

    // A short name for --help and the log ("D2XX", "serial", "virtual").
    virtual QString name() const = 0;

    // Whether the pedal behind this driver is the editor's own model of it.
    // Only that pedal may be sent the placeholder images of a build without
    // the maker's: behind D2XX or a serial port there may be a real pedal,
    // whatever answers there.
    virtual bool isVirtualPedal() const { return false; }

    // FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY)
    virtual uint32_t listDeviceCount(uint32_t& count) = 0;
    // FT_ListDevices(index, area, FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER):
    // fills the 64-byte area with a NUL-terminated serial number.
    virtual uint32_t listSerialNumber(uint32_t index, char area[64]) = 0;
    // Same with FT_OPEN_BY_DESCRIPTION.
    virtual uint32_t listDescription(uint32_t index, char area[64]) = 0;
    // FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle); serial is NUL-terminated.
    virtual uint32_t openBySerialNumber(const char* serial, Handle& handle) = 0;
    virtual uint32_t close(Handle handle) = 0;
    // FT_Read(handle, buffer, toRead, &returned)
    virtual uint32_t read(Handle handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned) = 0;
    // FT_Write(handle, buffer, toWrite, &written)
    virtual uint32_t write(Handle handle, const uint8_t* buffer, uint32_t toWrite, uint32_t& written) = 0;
    virtual uint32_t setBaudRate(Handle handle, uint32_t baud) = 0;
    virtual uint32_t setDataCharacteristics(Handle handle, uint8_t wordLength, uint8_t stopBits,
                                            uint8_t parity) = 0;
    // mask: FT_PURGE_RX and/or FT_PURGE_TX
    virtual uint32_t purge(Handle handle, uint32_t mask) = 0;
    // FT_GetQueueStatus(handle, &rxBytes)
    virtual uint32_t queueStatus(Handle handle, uint32_t& rxBytes) = 0;

    // FT_SetLatencyTimer: how long the bridge holds back a short reply before
    // sending it to the host (16 ms from the factory). Older D2XX libraries
    // lack the call, and a driver without such a timer has nothing to do: the
    // default does nothing and reports success.
    virtual uint32_t setLatencyTimer(Handle handle, uint8_t ms)
    {
        (void)handle;
        (void)ms;
        return FT_OK;
    }

    // How the device behind an open handle is reached, for the log ("D2XX",
    // "serial port /dev/ttyUSB0").
    virtual QString reachedThrough(Handle handle) const
    {
        (void)handle;
        return name();
    }

    // Why the last openBySerialNumber failed, where the driver knows more than
    // D2XX's status code can say: a user without access to the port needs
    // other advice than one whose port another program holds.
    struct OpenFailure {
        enum class Reason {
            Unknown,        // the status is all there is (D2XX): possibly held by another program
            InUse,          // another program holds the port
            NoPermission,   // this user may not open the port
            NotASerialPort, // the path names a folder or a file, not a port
        };
        Reason reason = Reason::Unknown;
        QString location;   // the port's path, where there is one
        QString systemText; // the system's own words, for the log
    };
    virtual OpenFailure lastOpenFailure() const { return {}; }

    // Lets a waiting caller block until bytes may have arrived instead of spinning.
    // Drivers fed by the operating system wait on the port for at most timeoutMs;
    // the default returns at once and leaves the pause to the caller's clock.
    virtual void waitForData(Handle handle, int timeoutMs) { (void)handle; (void)timeoutMs; }
};
