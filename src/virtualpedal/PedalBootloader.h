#pragma once

#include "virtualpedal/PedalModel.h"
#include "virtualpedal/PedalProtocol.h"

#include <QByteArray>

#include <cstdint>
#include <functional>

class PedalOutput;

// The microcontroller's factory bootloader in system memory, as ST's USART
// bootloader protocol (AN3155) has it on a 128 KiB STM32F1 part: synchronisation
// on 0x7F, then commands of a code and its complement, each answered ACK (79) or
// NACK (1F). It knows Get, Get Version, Get ID, Read Memory, Erase (global and by
// pages), Write Memory and Go; every other code is refused with a NACK, as are
// bad checksums and addresses outside the flash.
//
// Like the chip it never gives up on a command: a host that stops halfway leaves
// the bootloader waiting for the rest (a second 0x7F after the synchronisation is
// such a first byte, and the next byte then draws a NACK).
//
// Flash behaves as flash does: a write needs erased bytes (FF) under it, and a
// block over anything else is refused with a NACK and leaves the flash as it was.
// The editor always erases first. Writes go in whole 32-bit words: the address
// and the length have to be multiples of 4, as AN3155 asks of the host.
class PedalBootloader final : public PedalProtocol {
public:
    static constexpr uint8_t kSync = 0x7F;
    static constexpr uint8_t kAck = 0x79;
    static constexpr uint8_t kNack = 0x1F;
    static constexpr uint8_t kGet = 0x00;
    static constexpr uint8_t kGetVersion = 0x01;
    static constexpr uint8_t kGetId = 0x02;
    static constexpr uint8_t kReadMemory = 0x11;
    static constexpr uint8_t kGo = 0x21;
    static constexpr uint8_t kWriteMemory = 0x31;
    static constexpr uint8_t kErase = 0x43;

    // Bootloader 2.2 on an STM32F10x medium-density part (product ID 0x410):
    // 128 KiB of flash in 1 KiB pages and 20 KiB of RAM, which is what the pedal has.
    static constexpr uint8_t kVersion = 0x22;
    static constexpr uint16_t kProductId = 0x0410;

    // How long the flash takes, from the part's data sheet; the ACK comes after.
    static constexpr double kPageEraseMs = 20.0;
    static constexpr double kMassEraseMs = 40.0;
    static constexpr double kHalfWordProgramMs = 0.05;

    PedalBootloader(PedalModel& model, PedalOutput& output);

    void receive(const QByteArray& bytes, double atMs) override;
    // Back to waiting for the synchronisation, as after a reset.
    void reset() override;

    // The UART takes 8 data bits, even parity and one stop bit at the rate it
    // locked onto (any rate it can measure before that). A pseudo-terminal cannot
    // carry parity: served on one, the bootloader takes the line as it comes.
    bool canRead(const LineSettings& line) const;
    void setTakeLineAsItComes(bool on) { anyLine_ = on; }
    bool takesLineAsItComes() const { return anyLine_; }

    // Write Memory blocks received since the bootloader started.
    int blockCount() const { return blocks_; }

    // Go was acknowledged: the microcontroller leaves the bootloader for the
    // program at that address. Bytes after the Go are not read.
    void setGoHandler(std::function<void(uint32_t)> go) { go_ = std::move(go); }
    // A fault asks for the cable to be pulled; only a driver can do that.
    void setUnplugHandler(std::function<void()> unplug) { unplug_ = std::move(unplug); }

private:
    enum class State {
        Unsynchronised,
        Command,     // code and complement
        Address,     // four bytes and their XOR
        ReadLength,  // N and its complement
        WriteBlock,  // N, N + 1 bytes and the XOR of all
        Erase,       // N, N + 1 page numbers and the XOR of all; or FF 00 for every page
        Halted,      // a fault keeps it silent until reset
        Gone,        // left for the program after Go
    };

    void take(uint8_t byte, double atMs);
    void command(uint8_t code, double atMs);
    void address(double atMs);
    void readMemory(double atMs);
    void writeBlock(double atMs);
    void erase(double atMs);
    void answer(const QByteArray& bytes, double atMs);
    void ack(double atMs) { answer(QByteArray(1, char(kAck)), atMs); }
    void nack(double atMs);
    void expect(State state, int length);

    PedalModel& model_;
    PedalOutput& output_;
    std::function<void(uint32_t)> go_;
    std::function<void()> unplug_;
    bool anyLine_ = false;
    uint32_t lockedBaud_ = 0;

    State state_ = State::Unsynchronised;
    uint8_t command_ = 0;
    QByteArray field_;
    int fieldLength_ = 0;
    uint32_t address_ = 0;
    int blocks_ = 0;
    int block_ = -1; // index of the block being received
};
