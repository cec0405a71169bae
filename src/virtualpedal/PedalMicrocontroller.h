#pragma once

#include "virtualpedal/PedalBootloader.h"
#include "virtualpedal/PedalFirmware.h"
#include "virtualpedal/PedalModel.h"
#include "virtualpedal/PedalProtocol.h"

#include <QByteArray>

#include <cstdint>

class PedalOutput;

// The pedal's microcontroller: it runs the firmware from its flash or the
// bootloader from its system memory, and moves between them as the part does.
// The firmware's bootloader request (05 00 01 02 03 04 05 06) starts the
// bootloader while SHIFT is held; Go starts the program in flash; a power-up
// starts the bootloader while SHIFT is held (the way in for firmware too old to
// take the request) and the program in flash otherwise.
//
// A program runs only from a sound vector table: a stack pointer inside the
// 20 KiB of RAM and a Thumb reset address on programmed flash. Anything else
// crashes the part before it says a word, so the pedal stays silent until it is
// powered again. A running firmware reports the version in the flash's stamp
// (0 when there is no stamp, as after an upgrade that stopped short of it).
// Used by the virtual pedal and by quarnel-virtual-pedal alike.
class PedalMicrocontroller final : public PedalProtocol {
public:
    enum class Mode {
        Firmware,
        Bootloader,
        Halted, // crashed on a program that cannot run: silent until powered again
    };

    static constexpr uint32_t kRamBase = 0x20000000u;
    static constexpr uint32_t kRamEnd = 0x20005000u;

    PedalMicrocontroller(PedalModel& model, PedalOutput& output);

    void receive(const QByteArray& bytes, double atMs) override;
    // Power-up: the bootloader with SHIFT held, else the program in flash.
    void reset() override;

    // Whether the running mode reads bytes sent with these line settings.
    bool canRead(const LineSettings& line) const;

    Mode mode() const { return mode_; }
    PedalFirmware& firmware() { return firmware_; }
    PedalBootloader& bootloader() { return bootloader_; }

    void startBootloader();
    // Starts the program whose vector table is at address, or halts.
    void run(uint32_t address);

    // A fault of the bootloader pulled the cable; the driver acts on it once.
    bool takeUnplugRequest();

    static bool canRun(const QByteArray& flash, uint32_t address);
    static int stampedVersion(const QByteArray& flash);

private:
    PedalModel& model_;
    PedalFirmware firmware_;
    PedalBootloader bootloader_;
    Mode mode_ = Mode::Firmware;
    bool unplugRequested_ = false;
};
