#pragma once

#include "link/FtdiDriver.h"
#include "virtualpedal/PedalMicrocontroller.h"
#include "virtualpedal/PedalModel.h"
#include "virtualpedal/PedalWire.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

class Clock;

// The pedal in software behind the driver interface: one FTDI device with the
// pedal inside. The device side behaves like D2XX (an unopened handle gives
// FT_INVALID_HANDLE, an unplugged device fails its calls, a fresh open runs at
// 9600 baud until the host sets the rate); what reaches the pedal goes to the
// protocol of its mode, and its answers are read back when the clock says they
// are on the wire. Used by --virtual-pedal and by every end-to-end test.
class VirtualPedal final : public FtdiDriver {
public:
    // The firmware runs at power-on; the bootloader is a mode of its own beside
    // it, and a program that cannot run halts the pedal.
    using Mode = PedalMicrocontroller::Mode;

    static constexpr const char* kSerialNumber = "QM3V0001";
    static constexpr const char* kDescription = "Quarnel MK3";

    struct Write {
        qint64 ms;         // clock time of the write
        QByteArray bytes;  // exactly what the host wrote
        bool understood;   // false when the line settings kept the pedal from reading it
        LineSettings line; // as the host had set them
        Mode mode;         // what ran on the pedal when the bytes came
    };

    // What the host did to the line besides writing: purges and changes of
    // the line settings, each beside the writes it came between, so a test
    // sees a purge that is missing or one too many.
    struct LineEvent {
        enum class Kind { PurgeReceive, PurgeTransmit, BaudRate, DataCharacteristics };
        qint64 ms;         // clock time of the call
        Kind kind;
        int beforeWrite;   // index into writes() of the write that followed it
        LineSettings line; // the settings after the call
    };

    explicit VirtualPedal(Clock& clock);

    QString name() const override;
    bool isVirtualPedal() const override { return true; }
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

    // What the pedal is and holds; tests prepare and read it.
    PedalModel& model() { return model_; }
    const PedalModel& model() const { return model_; }
    // The version the firmware reports, stamped into the flash so that it
    // survives a power cycle.
    void setFirmwareVersion(int version)
    {
        model_.firmwareVersion = static_cast<uint8_t>(version);
        PedalModel::stamp(model_.flash, version);
    }
    // Also takes the address table of that embedded image when there is one.
    bool setAlgorithmVersion(int version) { return mcu_.firmware().selectAlgorithm(version); }
    Mode mode() const { return mcu_.mode(); }
    // Held during a power-up, SHIFT starts the bootloader; held while the
    // firmware takes its bootloader request, it lets the request through.
    void setShiftHeld(bool held) { model_.shiftHeld = held; }
    // The program flash, 128 KiB from 0x08000000.
    const QByteArray& flash() const { return model_.flash; }
    const LineSettings& line() const { return line_; }
    bool isOpen() const { return open_; }

    // Every write that reached the device, in order.
    const QList<Write>& writes() const { return writes_; }
    QByteArray writtenBytes() const;
    void clearWrites()
    {
        writes_.clear();
        lineEvents_.clear();
    }
    // Every purge and change of the line settings that reached the device, in order.
    const QList<LineEvent>& lineEvents() const { return lineEvents_; }
    // Writes and line events in the order they came, one word each, for
    // comparing with an expected sequence: "write 0200", "purge TX",
    // "purge RX", "baud 115200", "line 8N1" ("8E1" with even parity).
    // From a mark on: traceMark() taken before the calls of interest.
    QStringList wireTrace(int fromMark = 0) const;
    int traceMark() const { return int(writes_.size() + lineEvents_.size()); }

    // The pedal sends bytes nobody asked for (as after a memory read).
    void sendUnasked(const QByteArray& bytes);

    // Faults.
    PedalFaults& faults() { return faults_; }
    // Pulling the cable takes the power too; plugging it back powers the pedal up.
    void unplug();
    void replug();
    bool isPlugged() const { return plugged_; }
    // Off and on again: the bootloader with SHIFT held, else the program in flash.
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
    // Faults of the bootloader's Write Memory blocks, counted from 0 since the
    // bootloader started (the editor's first image chunk is block 0).
    void setNackWrite(int index) { faults_.nackWrite = index; }
    void setNackWriteAt(uint32_t address) { faults_.nackWriteAddress = address; }
    // The block is written, but its ACK and every answer after it never come,
    // until a power cycle.
    void setSilentFromWrite(int index) { faults_.silentFromWrite = index; }
    void setLateWrite(int index, int ms)
    {
        faults_.lateWrite = index;
        faults_.lateWriteMs = ms;
    }
    // The cable comes out as the block's first byte arrives: the block is not
    // written, and every later call fails until the pedal is plugged in again.
    void setUnplugAtWrite(int index) { faults_.unplugAtWrite = index; }
    // A block that covers the address is acknowledged as always, but the
    // flash keeps that one byte with its lowest bit flipped.
    void setCorruptAt(qint64 address) { faults_.corruptAddress = address; }

    // Each answer byte then takes its bits at the line's baud rate, after the
    // latency: latencyMs, until the host sets the bridge's latency timer.
    void setWireTimeModel(bool on, int latencyMs = 16)
    {
        latencyMs_ = latencyMs;
        output_.setWireTimeModel(on, latencyMs);
    }
    // The latency timer the host set last; 16 ms (the bridge's default) after an open.
    int latencyTimerMs() const { return latencyMs_; }

private:
    Handle currentHandle() const;
    uint32_t check(Handle handle) const;
    void powerUp();

    Clock& clock_;
    PedalModel model_;
    PedalFaults faults_;
    LineSettings line_;
    WireQueue queue_;
    PedalOutput output_;
    PedalMicrocontroller mcu_;

    int latencyMs_ = 16;
    bool plugged_ = true;
    bool open_ = false;
    bool handleLost_ = false; // unplugged while open: the handle stays dead until closed
    quintptr generation_ = 0;
    double inboundEndMs_ = 0;
    QList<Write> writes_;
    QList<LineEvent> lineEvents_;
};
