#pragma once

#include "link/FtdiDriver.h"
#include "virtualpedal/PedalFirmware.h"
#include "virtualpedal/PedalModel.h"
#include "virtualpedal/PedalWire.h"

#include <QByteArray>
#include <QList>

class Clock;

// The pedal in software behind the driver interface: one FTDI device with the
// pedal inside. The device side behaves like D2XX (an unopened handle gives
// FT_INVALID_HANDLE, an unplugged device fails its calls, a fresh open runs at
// 9600 baud until the host sets the rate); what reaches the pedal goes to the
// protocol of its mode, and its answers are read back when the clock says they
// are on the wire. Used by --virtual-pedal and by every end-to-end test.
class VirtualPedal final : public FtdiDriver {
public:
    // The firmware runs at power-on; the bootloader is a mode of its own beside it.
    enum class Mode { Firmware, Bootloader };

    static constexpr const char* kSerialNumber = "QM3V0001";
    static constexpr const char* kDescription = "Quarnel MK3";

    struct Write {
        qint64 ms;        // clock time of the write
        QByteArray bytes; // exactly what the host wrote
        bool understood;  // false when the line settings kept the pedal from reading it
    };

    explicit VirtualPedal(Clock& clock);

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
    uint32_t purge(Handle handle, uint32_t mask) override;
    uint32_t queueStatus(Handle handle, uint32_t& rxBytes) override;

    // What the pedal is and holds; tests prepare and read it.
    PedalModel& model() { return model_; }
    const PedalModel& model() const { return model_; }
    void setFirmwareVersion(int version) { model_.firmwareVersion = static_cast<uint8_t>(version); }
    // Also takes the address table of that embedded image when there is one.
    bool setAlgorithmVersion(int version) { return firmware_.selectAlgorithm(version); }
    Mode mode() const { return mode_; }
    const LineSettings& line() const { return line_; }
    bool isOpen() const { return open_; }

    // Every write that reached the device, in order.
    const QList<Write>& writes() const { return writes_; }
    QByteArray writtenBytes() const;
    void clearWrites() { writes_.clear(); }

    // The pedal sends bytes nobody asked for (as after a memory read).
    void sendUnasked(const QByteArray& bytes);
    // Bytes the pedal has sent that the host has not read, on the wire or not.
    uint32_t pendingReplyBytes() const { return queue_.pending(); }

    // Faults.
    PedalFaults& faults() { return faults_; }
    void unplug();
    void replug();
    bool isPlugged() const { return plugged_; }
    void powerCycle();
    void setSilent(bool on) { faults_.silent = on; }
    void setReplyDelay(int ms) { faults_.delayMs = ms; }
    void setSplitReplies(int gapMs, int atByte = -1)
    {
        faults_.splitGapMs = gapMs;
        faults_.splitAtByte = atByte;
    }
    void setShortReply(int values) { faults_.shortReplyValues = values; }
    void setGarbledReply(bool on) { faults_.garbledReply = on; }
    void setRefuseOpen(bool on) { faults_.refuseOpen = on; }
    void setNackWrite(int index) { faults_.nackWrite = index; }

    // Each answer byte then takes its bits at the line's baud rate, after the latency.
    void setWireTimeModel(bool on, int latencyMs = 16) { output_.setWireTimeModel(on, latencyMs); }

private:
    Handle currentHandle() const;
    uint32_t check(Handle handle) const;
    PedalProtocol& protocol() { return firmware_; }
    bool lineFitsMode() const { return line_.firmwareCanRead(); }

    Clock& clock_;
    PedalModel model_;
    PedalFaults faults_;
    LineSettings line_;
    WireQueue queue_;
    PedalOutput output_;
    PedalFirmware firmware_;
    Mode mode_ = Mode::Firmware;

    bool plugged_ = true;
    bool open_ = false;
    bool handleLost_ = false; // unplugged while open: the handle stays dead until closed
    quintptr generation_ = 0;
    double inboundEndMs_ = 0;
    QList<Write> writes_;
};
