#pragma once

#include "link/FtdiDriver.h"

#include <QByteArray>
#include <QScopedValueRollback>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class Log;

// The one FTDI device of the editor: its handle, its serial settings and the
// two 64 KiB areas every message and reply passes through. One operation per
// D2XX call; a failed call becomes one log line while error reporting is on.
// Nothing above this layer talks to a driver.
class D2XXUnit {
public:
    static constexpr int kBufferSize = 65536;

    D2XXUnit(FtdiDriver& driver, Log& log);

    FtdiDriver& driver() { return driver_; }

    // Operations, named after their log labels. All return the D2XX status
    // except readDevice and writeDevice, which return byte counts.
    uint32_t GetFTDeviceCount();
    uint32_t GetFTDeviceSerialNo(uint32_t index);
    uint32_t GetFTDeviceDescription(uint32_t index);
    uint32_t Open_USB_Device_By_Serial_Number(const QString& serial);
    uint32_t closeDevice();
    // Reads what the queue holds now, at most kBufferSize bytes (the rest stays
    // queued), into the start of receive_buffer.
    uint32_t readDevice();
    uint32_t writeDevice(uint32_t n);
    uint32_t setBaudRate();
    uint32_t setDataCharacteristics();
    // Each of the bootloader's one-byte acknowledges waits out the bridge's
    // latency timer; 1 ms instead of the factory's 16 makes an upgrade about
    // three times quicker. The bytes on the wire stay the same.
    static constexpr uint8_t kLatencyTimerMs = 1;
    uint32_t setLatencyTimer(uint8_t ms = kLatencyTimerMs);
    uint32_t purgeReceive();
    uint32_t purgeTransmit();
    uint32_t queryQueue();

    void reportFTStatus(const QString& label, uint32_t status);
    static QString statusMessage(uint32_t status);

    // How the open device is reached ("D2XX", "serial port /dev/ttyUSB0"), and
    // why the last open failed as far as the driver knows (see FtdiDriver).
    QString driverInUse() const { return driver_.reachedThrough(handle_); }
    FtdiDriver::OpenFailure lastOpenFailure() const { return driver_.lastOpenFailure(); }

    // Blocks at most timeoutMs until the driver may have bytes (see FtdiDriver).
    void waitForData(int timeoutMs) { driver_.waitForData(handle_, timeoutMs); }

    // The layer's variables.
    FtdiDriver::Handle handle() const { return handle_; }
    uint32_t baudRate = 115200;
    uint8_t wordLength = FtdiDriver::FT_BITS_8;
    uint8_t stopBits = FtdiDriver::FT_STOP_BITS_1;
    uint8_t parity = FtdiDriver::FT_PARITY_NONE;
    uint32_t rxQueueCount = 0;
    uint32_t deviceCount = 0;
    QByteArray FT_Device_String;
    // The serial number handed to FT_OpenEx: at most 49 characters and a NUL.
    std::array<char, 50> openBySerialText{};
    bool reportErrors = false; // the FTDI error-report switch, off at start

    // The error-report switch off for the life of the object, then back as it
    // was: asking after a device that may be gone is not an error worth a line.
    struct QuietErrors : QScopedValueRollback<bool> {
        explicit QuietErrors(D2XXUnit& d2xx) : QScopedValueRollback<bool>(d2xx.reportErrors, false) {}
    };

    uint8_t* send_buffer() { return send_.get(); }
    uint8_t* receive_buffer() { return receive_.get(); }
    const uint8_t* receive_buffer() const { return receive_.get(); }

private:
    FtdiDriver& driver_;
    Log& log_;
    FtdiDriver::Handle handle_ = nullptr;
    std::array<char, 64> serialArea_{};
    std::array<char, 64> descriptionArea_{};
    std::unique_ptr<uint8_t[]> send_;
    std::unique_ptr<uint8_t[]> receive_;
};
