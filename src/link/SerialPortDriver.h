#pragma once

#include "link/FtdiDriver.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>
#include <memory>

class QSerialPort;

// FTDI bridges as the operating system's stock driver shows them: serial
// ports, reached with Qt Serial Port. The calls keep D2XX's meaning and status
// codes: a port that has gone away fails its calls, an unknown handle gives
// FT_INVALID_HANDLE. QUARNEL_SERIAL_PORT=/dev/... adds one port by path, for a
// pseudo-terminal or an adapter that reports no vendor.
class SerialPortDriver final : public FtdiDriver {
public:
    static constexpr uint16_t kFtdiVendor = 0x0403;

    struct Port {
        QString location;       // what the port is opened by
        QByteArray serialNumber; // FTDI's serial number, or the path where there is none
        QByteArray description;
    };

    SerialPortDriver();
    // Exactly the port at onlyPort (a device path), whatever its vendor, and
    // no other: the pedal named on a command line.
    explicit SerialPortDriver(QString onlyPort);
    ~SerialPortDriver() override;

    // The FTDI ports present now, and the one named by the environment.
    static QList<Port> presentPorts();

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
    // Linux's ftdi_sio takes the port's low-latency flag as a latency timer of
    // 1 ms; elsewhere, and on ports without the flag, nothing changes.
    uint32_t setLatencyTimer(Handle handle, uint8_t ms) override;
    uint32_t purge(Handle handle, uint32_t mask) override;
    uint32_t queueStatus(Handle handle, uint32_t& rxBytes) override;
    void waitForData(Handle handle, int timeoutMs) override;
    // "serial port /dev/ttyUSB0"
    QString reachedThrough(Handle handle) const override;
    OpenFailure lastOpenFailure() const override { return lastOpenFailure_; }

    // What a failed open means to the user, from the system's error number
    // (errno): a missing permission, another program, or a path that is no port.
    static OpenFailure::Reason reasonFor(int systemError);

private:
    struct OpenPort;
    // The ports this driver lists now: presentPorts(), or the one port it was given.
    QList<Port> ports() const;
    // The open port behind handle, or nullptr with status set to why not.
    OpenPort* portOf(Handle handle, uint32_t& status);
    // Moves what the operating system holds into the port's buffer, without waiting.
    static void pull(OpenPort& port);

    // Why the open of location failed, as far as the system tells.
    static OpenFailure describeFailure(const QString& location, const QSerialPort& port);

    QString onlyPort_;
    QList<Port> listed_;
    OpenFailure lastOpenFailure_;
    std::map<quintptr, std::unique_ptr<OpenPort>> open_;
    quintptr nextHandle_ = 0x5E000000u;
};
