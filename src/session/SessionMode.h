#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>

// What the link to the pedal is doing, as one value: the session is always in
// exactly one of these, and what may be sent to the pedal follows from it.
enum class SessionMode {
    Unlinked,          // no device open
    Linked,            // the pedal's firmware is there (answering or not yet)
    Requesting,        // a status request waits for its reply
    FirmwareTooOld,    // the pedal answered with a firmware the editor does not serve
    AlgorithmTooOld,   // the pedal answered with an algorithm older than the catalogue's
    Uploading,         // an effect image went out, its answer is awaited
    BootloaderIdle,    // the bootloader answered and waits for commands
    BootloaderWriting, // the bootloader is being erased, written, checked or started
    Lost,              // the device went away while linked; nothing is open
};

// What a message to the pedal (or a change of the link) is for.
enum class PedalOperation {
    Link,              // open a device
    Unlink,            // close it
    StatusRequest,     // 02 00 and its reply
    ParameterWrite,    // 01, address, value
    Bypass,            // 0D 00 / 0D 01
    PedalSetting,      // assign, footswitch, tuning, device settings, instrument, range limit,
                       // save parameters, tuning data, note cut, a raw message from the console
    EffectUpload,      // an effect image
    SettingsMemory,    // erase or read the settings memory
    BootloaderEntry,   // the firmware's request to start its bootloader (05 00 01 02 03 04 05 06)
    BootloaderGreeting, // 7F, the bootloader's synchronisation, and its answer
    BootloaderCommand, // erase, write, read, go
};

// A set of modes: the rows of the windows' tables of what can be clicked when.
class ModeSet {
public:
    constexpr ModeSet(std::initializer_list<SessionMode> modes)
    {
        for (SessionMode m : modes)
            bits_ |= bit(m);
    }
    constexpr bool contains(SessionMode mode) const { return (bits_ & bit(mode)) != 0; }
    constexpr ModeSet operator|(ModeSet other) const { return ModeSet(bits_ | other.bits_); }

private:
    constexpr explicit ModeSet(uint32_t bits) : bits_(bits) {}
    static constexpr uint32_t bit(SessionMode mode) { return uint32_t(1) << static_cast<unsigned>(mode); }
    uint32_t bits_ = 0;
};

namespace SessionGate {

// The one table of what each mode lets through.
bool allows(SessionMode mode, PedalOperation operation);

// A device is open in this mode.
bool isLinked(SessionMode mode);
// An exchange waits in this mode; its own wait notices a device that is gone.
bool isWaiting(SessionMode mode);
// The pedal runs its bootloader in this mode.
bool isBootloader(SessionMode mode);

// For the log.
QString modeName(SessionMode mode);
QString operationName(PedalOperation operation);

} // namespace SessionGate
