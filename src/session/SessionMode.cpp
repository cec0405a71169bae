#include "session/SessionMode.h"

namespace SessionGate {

bool allows(SessionMode mode, PedalOperation operation)
{
    using M = SessionMode;
    using O = PedalOperation;
    switch (mode) {
    case M::Unlinked:
    case M::Lost:
        return operation == O::Link;
    case M::Linked:
    case M::AlgorithmTooOld:
        // An old algorithm is replaced by uploading a new one; until then the
        // pedal still takes every message of its firmware.
        return operation != O::Link && operation != O::BootloaderCommand;
    case M::FirmwareTooOld:
        // Only the way out: ask again, go to the bootloader, or let go.
        return operation == O::Unlink || operation == O::StatusRequest || operation == O::Bypass
            || operation == O::BootloaderEntry || operation == O::BootloaderGreeting
            || operation == O::SettingsMemory;
    case M::Requesting:
        // The reply is on its way: anything sent now could be answered into it.
        // Letting go of the pedal stays possible; the wait then ends at once.
        return operation == O::Unlink;
    case M::Uploading:
        // The upload's own bypass and image; the answer is awaited.
        return operation == O::Bypass || operation == O::EffectUpload;
    case M::BootloaderIdle:
        // The bootloader reads every byte as part of a command: its own
        // commands and greeting only (the firmware's request to start it
        // would be read as one).
        return operation == O::BootloaderCommand || operation == O::BootloaderGreeting || operation == O::Unlink;
    case M::BootloaderWriting:
        return operation == O::BootloaderCommand;
    }
    return false;
}

bool isLinked(SessionMode mode)
{
    return mode != SessionMode::Unlinked && mode != SessionMode::Lost;
}

bool isWaiting(SessionMode mode)
{
    return mode == SessionMode::Requesting || mode == SessionMode::Uploading || mode == SessionMode::BootloaderWriting;
}

bool isBootloader(SessionMode mode)
{
    return mode == SessionMode::BootloaderIdle || mode == SessionMode::BootloaderWriting;
}

QString modeName(SessionMode mode)
{
    switch (mode) {
    case SessionMode::Unlinked: return QStringLiteral("unlinked");
    case SessionMode::Linked: return QStringLiteral("linked");
    case SessionMode::Requesting: return QStringLiteral("requesting");
    case SessionMode::FirmwareTooOld: return QStringLiteral("firmware too old");
    case SessionMode::AlgorithmTooOld: return QStringLiteral("algorithm too old");
    case SessionMode::Uploading: return QStringLiteral("uploading");
    case SessionMode::BootloaderIdle: return QStringLiteral("bootloader");
    case SessionMode::BootloaderWriting: return QStringLiteral("bootloader writing");
    case SessionMode::Lost: return QStringLiteral("lost");
    }
    return QString();
}

QString operationName(PedalOperation operation)
{
    switch (operation) {
    case PedalOperation::Link: return QStringLiteral("link");
    case PedalOperation::Unlink: return QStringLiteral("unlink");
    case PedalOperation::StatusRequest: return QStringLiteral("status request");
    case PedalOperation::ParameterWrite: return QStringLiteral("parameter write");
    case PedalOperation::Bypass: return QStringLiteral("bypass");
    case PedalOperation::PedalSetting: return QStringLiteral("pedal setting");
    case PedalOperation::EffectUpload: return QStringLiteral("effect upload");
    case PedalOperation::SettingsMemory: return QStringLiteral("settings memory");
    case PedalOperation::BootloaderEntry: return QStringLiteral("bootloader entry");
    case PedalOperation::BootloaderGreeting: return QStringLiteral("bootloader greeting");
    case PedalOperation::BootloaderCommand: return QStringLiteral("bootloader command");
    }
    return QString();
}

} // namespace SessionGate
