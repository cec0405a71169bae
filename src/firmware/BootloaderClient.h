#pragma once

#include "link/Transport.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class D2XXUnit;
class Log;

// The pedal microcontroller's factory bootloader (the STM32 USART bootloader)
// as the editor speaks to it: the serial settings of both modes, the
// handshake, and the commands an upgrade needs (erase all, write memory, go),
// byte for byte and write for write as the pedal has always been sent them;
// and read memory, with which the upgrade checks what it wrote and the
// restart what it is about to start. No window: the upgrade procedure and the
// linking use it.
//
// Unlike the old editor, every step here stops at the first reply that is not
// an acknowledge (or at none), and says why in failure(): a bootloader that
// refused a command would take whatever follows as the next command.
class BootloaderClient {
public:
    static constexpr uint8_t kSync = 0x7F;
    static constexpr uint8_t kAck = 0x79;
    static constexpr uint8_t kNack = 0x1F;
    static constexpr uint32_t kFlashBase = 0x08000000u;
    // Read Memory returns at most this many bytes at once.
    static constexpr int kMaxRead = 256;

    // The bootloader acknowledges a command, an address or a block at once; a
    // block's ACK comes after its flash is programmed (a few ms).
    static constexpr int kAckTimeoutMs = 1000;
    // Erasing all of the flash takes up to about 40 ms a page on some parts;
    // stm32flash allows 35 s for it, and so do we.
    static constexpr int kEraseTimeoutMs = 35000;
    // The handshake: the bootloader answers the 0x7F at once once it runs.
    static constexpr int kHandshakeTimeoutMs = 2000;
    static constexpr int kResyncTimeoutMs = 1000;

    struct Failure {
        enum class Kind { None, Nack, Unexpected, NoReply, LinkLost };
        Kind kind = Kind::None;
        QString step;  // what was waiting for its acknowledge ("the block", "the Go command", ...)
        QString reply; // the reply text, empty when none came
    };

    BootloaderClient(D2XXUnit& d2xx, Transport& transport, Log& log);

    // The serial settings of the bootloader (even parity) or of the pedal's
    // firmware (no parity), applied at once to the open link. The baud rate
    // was set when the link was opened and is never set again.
    void useBootloaderSettings();
    void useNormalSettings();
    static void selectSerialSettings(D2XXUnit& d2xx, bool bootloader);

    struct Handshake {
        bool ok = false;
        QString reply; // the text of the reply that decided, for the console
    };
    // Bootloader settings, 0x7F, the reply. A bootloader that was synchronised
    // before (a second link, an upgrade run again) takes that 0x7F as the
    // first byte of a command and stays quiet; a second 0x7F then draws a NACK,
    // which means the bootloader is there and listening, as stm32flash has it.
    Handshake handshake();
    // True while a handshake waits for its reply (window events run meanwhile).
    bool inHandshake() const { return inHandshake_; }
    // The last handshake got no answer from a bootloader: the link speaks its
    // even parity to a pedal that may run its firmware.
    bool handshakeFailed() const { return handshakeFailed_; }

    // Wait for acknowledge: the reply, its console lines, and whether it is ACK.
    bool waitForAcknowledge(const QString& step, int timeoutMs = kAckTimeoutMs);

    // Write Memory with the address; false at the first reply that is not ACK.
    bool sendWriteCommand(uint32_t address);
    // N, the data and their checksum, each as a write of its own, then the ACK.
    bool sendBlock(const QByteArray& data);
    // The version stamp's block: ten one-byte writes, then the ACK.
    bool sendStamp(int version);
    bool eraseAll();
    // Go to the start of flash, as five one-byte writes of address and checksum.
    bool go();
    // Read Memory: 11 EE, the address and its checksum, N - 1 and its
    // complement, each acknowledged, then the ACK and the count bytes (1 to
    // kMaxRead) of flash from address into bytes.
    bool readMemory(uint32_t address, int count, QByteArray& bytes);

    // The frames on the wire, for the writers above and for tests.
    static QByteArray addressFrame(uint32_t address);
    static uint8_t blockChecksum(const QByteArray& data);
    static QByteArray stampFrame(int version);
    // The eight bytes at the stamp's address after the stamp for version.
    static QByteArray stampBytes(int version);
    static bool isAck(const QString& replyText) { return replyText == QLatin1String("79"); }
    static bool isNack(const QString& replyText) { return replyText == QLatin1String("1F"); }

    const Failure& failure() const { return failure_; }
    void clearFailure() { failure_ = Failure{}; }

private:
    // One write from send_buffer; false (and a lost link) when it did not go out whole.
    bool write(const QByteArray& bytes);
    bool writeByte(uint8_t byte) { return write(QByteArray(1, char(byte))); }
    // The console lines of a reply and whether it is ACK; a failure otherwise.
    bool acknowledged(const QString& reply, const QString& step, Transport::Wait wait);
    void logAddress(const QByteArray& frame, uint32_t address);
    bool fail(Failure::Kind kind, const QString& step, const QString& reply = QString());
    Handshake greet();

    D2XXUnit& d2xx_;
    Transport& transport_;
    Log& log_;
    Failure failure_;
    bool inHandshake_ = false;
    bool handshakeFailed_ = false;
};
