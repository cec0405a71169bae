#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

// Everything the virtual pedal remembers, as plain fields so that a test can
// prepare a pedal (an old firmware, a memory that is not empty, ...) and read
// back what the editor changed. The defaults are those of a pedal fresh from
// the factory running the newest algorithm.
struct PedalModel {
    static constexpr int kValueCount = 20;
    static constexpr int kAddressWords = 22;
    static constexpr int kAssignableCount = 10;
    static constexpr int kMemorySize = 16384;
    static constexpr int kTuningDataSize = 640;

    // The microcontroller's program flash: 128 pages of 1 KiB from 0x08000000.
    // The firmware's version stamp lives in the last page.
    static constexpr uint32_t kFlashBase = 0x08000000u;
    static constexpr int kFlashSize = 128 * 1024;
    static constexpr int kFlashPageSize = 1024;
    static constexpr uint32_t kStampAddress = 0x0801FC00u;
    static constexpr int kStampSize = 8;

    // The twenty values in the order the status reply carries them.
    enum Value {
        Dry, SubMix, Minus1Oct, Minus2Oct, Wave, LowPass, HighPass, FirstHarmonic, Split, Range,
        InputLevel, HarmonicPitch, WaveClip, DominantNotesCut, HighNotesCut, DryHpf, LimitRangeUp,
        NoiseGateStatus, NoiseGateThreshold, Attack,
    };

    uint8_t firmwareVersion = 17;
    // Algorithm number as two BCD bytes: 00 15 is algorithm 15.
    uint8_t algorithmHigh = 0x00;
    uint8_t algorithmLow = 0x15;
    uint8_t effectNumber = 0;
    uint8_t footswitchMode = 0; // 2 * short + long
    uint8_t tuning = 0;
    uint8_t semitones = 0; // signed, as its byte
    // Control I..IV and the remote footswitch.
    std::array<uint8_t, 5> assignedFlags{};
    std::array<uint16_t, 5> assignedAddresses{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    uint8_t bypass = 0;
    uint8_t storeBypass = 0;
    uint8_t instrumentRange = 0xFF;
    uint8_t midiChannel = 0;
    uint8_t powerOnPreset = 255;

    // "Low Pass", "High Pass" and "Range" hold their step numbers, the others
    // the 32-bit value last written.
    std::array<uint32_t, kValueCount> values = defaultValues();

    // Address table of the running effect image; without one only "Range"
    // (address 0x0000, which has no word of its own) can be written.
    bool hasAddressTable = false;
    std::array<uint16_t, kAddressWords> addressTable{};

    // The permanent store of the assignable values (message 03).
    std::array<uint32_t, kAssignableCount> storedAssignable{};
    QByteArray tuningData = QByteArray(kTuningDataSize, '\0');
    // The settings memory at bus addresses 50 and 51, erased.
    QByteArray memory50 = QByteArray(kMemorySize, char(0xFF));
    QByteArray memory51 = QByteArray(kMemorySize, char(0xFF));
    // The last effect image accepted, whole.
    QByteArray effectImage;

    // The program flash as the bootloader leaves it. A pedal from the factory
    // holds a small program with the stamp of its firmware version.
    QByteArray flash = factoryFlash(17);
    // The SHIFT button is held down: a power-up starts the bootloader, and so
    // does the firmware's bootloader request.
    bool shiftHeld = false;

    // What the pedal saw but did not act on, for tests to check.
    int badInstrumentChecksums = 0;
    int bootloaderEntryRequests = 0;
    int unknownBytes = 0;
    int droppedPartialMessages = 0;
    int unmatchedParameterWrites = 0;
    int rejectedImages = 0;
    int unreadableBytes = 0; // arrived with line settings the running mode does not speak
    int bootloaderNacks = 0; // every NACK the bootloader sent

    static std::array<uint32_t, kValueCount> defaultValues()
    {
        std::array<uint32_t, kValueCount> v{};
        v[InputLevel] = 0x00800000;
        v[HarmonicPitch] = 0x00400000;
        v[Attack] = 0x00008000;
        return v;
    }

    // Erased flash with a program that runs (a vector table pointing at a
    // loop) and the version stamp: seven zero bytes, then the version.
    static QByteArray factoryFlash(int version)
    {
        QByteArray f(kFlashSize, char(0xFF));
        const uint32_t words[] = {0x20005000u, kFlashBase + 0x100u + 1u}; // stack top, reset handler (Thumb)
        for (int w = 0; w < 2; ++w)
            for (int i = 0; i < 4; ++i)
                f[4 * w + i] = char(words[w] >> (8 * i));
        f[0x100] = char(0xFE); // b .
        f[0x101] = char(0xE7);
        stamp(f, version);
        return f;
    }

    static void stamp(QByteArray& flash, int version)
    {
        const int at = int(kStampAddress - kFlashBase);
        for (int i = 0; i < kStampSize - 1; ++i)
            flash[at + i] = '\0';
        flash[at + kStampSize - 1] = char(version);
    }

    // The DSP address the value answers to.
    uint16_t addressOf(int value) const
    {
        if (value == Range)
            return 0x0000;
        const int word = value < Range ? value : value + 2; // words 9-11 are not parameters
        return addressTable[static_cast<size_t>(word)];
    }
};

// Faults a test can inject; all off by default.
struct PedalFaults {
    bool silent = false;        // takes every message, answers none
    int delayMs = 0;            // every answer starts this much later
    int splitGapMs = -1;        // >= 0: every answer comes in two parts this far apart
    int splitAtByte = -1;       // where the first part ends; -1 splits in the middle
    int shortReplyValues = -1;  // >= 0: the status reply carries only this many values
    bool garbledReply = false;  // the status reply's first field is not a number
    bool refuseOpen = false;    // the device is held by someone else
    // The bootloader's Write Memory blocks, counted from 0 since it started.
    int nackWrite = -1;             // this block is refused (NACK) and not written
    qint64 nackWriteAddress = -1;   // >= 0: the block for this address is refused and not written
    int silentFromWrite = -1;       // this block is written, but its ACK and all after it never come (until power-up)
    int lateWrite = -1;             // this block's ACK comes lateWriteMs late
    int lateWriteMs = 0;
    int unplugAtWrite = -1;         // the cable is pulled as this block's length byte arrives
    qint64 corruptAddress = -1;     // >= 0: this flash byte keeps one bit other than written (a worn cell)
};

// The serial settings of the line, as the host set them.
struct LineSettings {
    uint32_t baud = 9600; // FTDI's default after an open
    uint8_t wordLength = 8;
    uint8_t stopBits = 0; // 0: one, 2: two
    uint8_t parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space

    int bitsPerByte() const { return 1 + wordLength + (parity != 0 ? 1 : 0) + (stopBits == 2 ? 2 : 1); }
    double msPerByte() const { return baud == 0 ? 0.0 : bitsPerByte() * 1000.0 / baud; }
    // What the pedal's firmware speaks: 115200 baud, 8 data bits, no parity.
    bool firmwareCanRead() const { return baud == 115200 && wordLength == 8 && parity == 0; }
    // What the bootloader speaks: 8 data bits, even parity, one stop bit, at any
    // rate it can lock onto (the STM32 measures the rate on the 0x7F).
    bool bootloaderCanRead() const
    {
        return baud >= 1200 && baud <= 115200 && wordLength == 8 && parity == 2 && stopBits == 0;
    }
};
