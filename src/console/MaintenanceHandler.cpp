#include "console/MaintenanceHandler.h"

#include "console/MemoryMessages.h"
#include "presets/BackupHandler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"

#include <QStringList>

namespace {
constexpr int kErasePauseMs = 100;
// The dump needs about 1.4 s on the wire; the pedal gets the rest of the time.
// (The busy cursor of the long pauses is the clock's pause observer's.)
constexpr int kReadPauseMs = 4000;
constexpr int kEraseSettlePauseMs = 4000;
} // namespace

MaintenanceHandler::MaintenanceHandler(PedalSession& session, BackupHandler& backups, Log& log, Dialogs& dialogs,
                                       Clock& clock)
    : session_(session), backups_(backups), log_(log), dialogs_(dialogs), clock_(clock)
{
    dumpWatch_.setInterval(kDumpWatchMs);
    connect(&dumpWatch_, &QTimer::timeout, this, &MaintenanceHandler::checkDumpTimeLimit);
    connect(&session_, &PedalSession::unsolicitedBytes, this, &MaintenanceHandler::unsolicitedBytes);
}

QString MaintenanceHandler::eraseSettingsQuestion()
{
    return QStringList{
        QStringLiteral("Are you sure you want to delete all settings?"),
        QStringLiteral("This action will delete the Quarnel MK3 algorithm and any other settings like presets and "
                       "assignments"),
        QStringLiteral("Erase settings is suggested in the following cases:"),
        QStringLiteral("- the pedal is unresponsive/freezed after updates"),
        QStringLiteral("- you want to switch to the Pexalo MultiEfx"),
        QStringLiteral("If you proceed with erasing you can always restore algorithm by:"),
        QStringLiteral("- uploading the Quarnel MK3 algorithm once again from \"Upload Selected\" button"),
        QStringLiteral("- click Request"),
        QStringLiteral("- set tuning and assignments as desired"),
        QStringLiteral("- click Save Parameters, Set Tuning, Assign"),
    }
        .join(QStringLiteral("\r\n"));
}

Outcome MaintenanceHandler::EraseEEPROM(const QString& i2cAddr)
{
    const QString text = MemoryMessages::erase(i2cAddr);
    log_.logLine(QStringLiteral("erase message: ") + text);
    return session_.sendMessage(PedalOperation::SettingsMemory, text, true, kErasePauseMs);
}

Outcome MaintenanceHandler::ReadEEPROM(const QString& i2cAddr)
{
    // A new dump is on its way: whatever is left of an older one cannot be
    // finished by it.
    if (dump_.collecting())
        reportIncompleteDump();
    const QString text = MemoryMessages::read(i2cAddr);
    log_.logLine(QStringLiteral("Read message: ") + text);
    if (!session_.mayStart(PedalOperation::SettingsMemory))
        return session_.refusal();
    // Whatever is queued now is not the memory: the dump must start with its AB.
    session_.dropStaleBytes(QStringLiteral("the memory read"));
    return session_.sendMessage(PedalOperation::SettingsMemory, text, false, kReadPauseMs);
}

Outcome MaintenanceHandler::menuEraseSettingsClick()
{
    // Before the question, so that a copy that could not be made is known
    // while the erase can still be declined.
    backups_.backUpBefore(QStringLiteral("Erase Settings"));
    if (!dialogs_.askYesNo(nullptr, eraseSettingsQuestion()))
        return Outcome::Cancelled;
    log_.logLine(Log::banner(QStringLiteral("ERASE EEPROM 1")));
    const Outcome erased = EraseEEPROM(MemoryMessages::settingsMemory());
    if (erased != Outcome::Done)
        return erased;
    clock_.sleepMs(kEraseSettlePauseMs);
    if (dialogs_.askYesNo(nullptr, QStringLiteral("Memory has been erased, do you want to make a memory check now?")))
        return ReadEEPROM(MemoryMessages::settingsMemory());
    return Outcome::Done;
}

void MaintenanceHandler::unsolicitedBytes(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const auto count = static_cast<uint32_t>(bytes.size());
    if (dump_.startsNewDump(data, count, clock_.nowMs()))
        reportIncompleteDump();
    switch (dump_.feed(data, count, clock_.nowMs())) {
    case MemoryDump::Progress::NotADump:
        break; // counted in the log by the read timer, nothing more
    case MemoryDump::Progress::Collecting:
        if (!dumpWatch_.isActive())
            dumpWatch_.start();
        break;
    case MemoryDump::Progress::Whole:
        judgeWholeDump();
        break;
    }
}

void MaintenanceHandler::checkDumpTimeLimit()
{
    if (!dump_.collecting()) {
        dumpWatch_.stop();
        return;
    }
    if (!dump_.timedOut(clock_.nowMs()) || dumpBytesStillQueued())
        return;
    reportIncompleteDump();
}

bool MaintenanceHandler::dumpBytesStillQueued()
{
    // After a blocking pause the rest of the dump may be waiting in the driver:
    // quiet on our side, but not on the wire. The read timer will hand it over,
    // if it runs.
    return session_.bytesQueued();
}

void MaintenanceHandler::judgeWholeDump()
{
    dumpWatch_.stop();
    // Taken before the box: the read timer keeps running under a modal box and
    // must find a fresh collector.
    const QByteArray memory = dump_.take();
    MemoryDump::logMemory(log_, memory);
    dialogs_.information(nullptr, MemoryDump::isErased(memory) ? QStringLiteral("Memory is empty")
                                                               : QStringLiteral("Memory is not empty"));
}

void MaintenanceHandler::reportIncompleteDump()
{
    dumpWatch_.stop();
    const QByteArray memory = dump_.take();
    MemoryDump::logMemory(log_, memory);
    const QString count = QStringLiteral("%1 of %2").arg(memory.size()).arg(MemoryDump::kMemorySize);
    log_.logLine(QStringLiteral("memory dump incomplete: ") + count
                 + QStringLiteral(" bytes arrived; the memory was not judged"));
    dialogs_.information(nullptr, QStringLiteral("The memory check is incomplete: only ") + count
                                      + QStringLiteral(" bytes of the memory arrived, so it could not be judged. "
                                                       "Make the memory check again."));
}
