#include "console/MaintenanceHandler.h"

#include "session/PedalSession.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/MemoryMessages.h"
#include "presets/BackupHandler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "status/Communication.h"

#include <QGuiApplication>

namespace {
constexpr int kErasePauseMs = 100;
// The dump needs about 1.4 s on the wire; the pedal gets the rest of the time.
constexpr int kReadPauseMs = 4000;
constexpr int kEraseSettlePauseMs = 4000;

// The long pauses block the window; the cursor says so, and comes back however
// the pause ends.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
} // namespace

MaintenanceHandler::MaintenanceHandler(Editor& editor) : editor_(editor)
{
    dumpWatch_.setInterval(kDumpWatchMs);
    QObject::connect(&dumpWatch_, &QTimer::timeout, &dumpWatch_, [this] { checkDumpTimeLimit(); });
    QObject::connect(editor.session.get(), &PedalSession::unsolicitedBytes, &dumpWatch_,
                     [this](const QByteArray& bytes) {
                         unsolicitedBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                          static_cast<uint32_t>(bytes.size()));
                     });
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

void MaintenanceHandler::EraseEEPROM(const QString& i2cAddr)
{
    const QString text = MemoryMessages::erase(i2cAddr);
    editor_.log().logLine(QStringLiteral("erase message: ") + text);
    editor_.session->send(PedalOperation::SettingsMemory, text, true, kErasePauseMs);
}

void MaintenanceHandler::ReadEEPROM(const QString& i2cAddr)
{
    // A new dump is on its way: whatever is left of an older one cannot be
    // finished by it.
    if (dump_.collecting())
        reportIncompleteDump();
    const QString text = MemoryMessages::read(i2cAddr);
    editor_.log().logLine(QStringLiteral("Read message: ") + text);
    PedalSession& session = *editor_.session;
    if (!session.mayStart(PedalOperation::SettingsMemory))
        return;
    // Whatever is queued now is not the memory: the dump must start with its AB.
    session.dropStaleBytes(QStringLiteral("the memory read"));
    BusyCursor busy;
    session.send(PedalOperation::SettingsMemory, text, false, kReadPauseMs);
}

void MaintenanceHandler::menuEraseSettingsClick()
{
    FormMain* main = editor_.formMain;
    // Before the question, so that a copy that could not be made is known
    // while the erase can still be declined.
    editor_.backups->backUpBefore(QStringLiteral("Erase Settings"));
    if (!editor_.dialogs().askYesNo(main, eraseSettingsQuestion()))
        return;
    editor_.log().logLine(Log::banner(QStringLiteral("ERASE EEPROM 1")));
    EraseEEPROM(MemoryMessages::settingsMemory());
    {
        BusyCursor busy;
        editor_.clock().sleepMs(kEraseSettlePauseMs);
    }
    if (editor_.dialogs().askYesNo(main,
                                   QStringLiteral("Memory has been erased, do you want to make a memory check now?")))
        ReadEEPROM(MemoryMessages::settingsMemory());
}

void MaintenanceHandler::unsolicitedBytes(const uint8_t* data, uint32_t count)
{
    if (dump_.startsNewDump(data, count, editor_.clock().nowMs()))
        reportIncompleteDump();
    switch (dump_.feed(data, count, editor_.clock().nowMs())) {
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
    if (!dump_.timedOut(editor_.clock().nowMs()) || dumpBytesStillQueued())
        return;
    reportIncompleteDump();
}

bool MaintenanceHandler::dumpBytesStillQueued()
{
    // After a blocking pause the rest of the dump may be waiting in the driver:
    // quiet on our side, but not on the wire. The read timer will hand it over,
    // if it runs.
    return editor_.session->bytesQueued();
}

void MaintenanceHandler::judgeWholeDump()
{
    dumpWatch_.stop();
    // Taken before the box: the read timer keeps running under a modal box and
    // must find a fresh collector.
    const QByteArray memory = dump_.take();
    MemoryDump::logMemory(editor_.log(), memory);
    editor_.dialogs().information(editor_.formMain, MemoryDump::isErased(memory)
                                                        ? QStringLiteral("Memory is empty")
                                                        : QStringLiteral("Memory is not empty"));
}

void MaintenanceHandler::reportIncompleteDump()
{
    dumpWatch_.stop();
    const QByteArray memory = dump_.take();
    MemoryDump::logMemory(editor_.log(), memory);
    const QString count = QStringLiteral("%1 of %2").arg(memory.size()).arg(MemoryDump::kMemorySize);
    editor_.log().logLine(QStringLiteral("memory dump incomplete: ") + count
                          + QStringLiteral(" bytes arrived; the memory was not judged"));
    editor_.dialogs().information(editor_.formMain,
                                  QStringLiteral("The memory check is incomplete: only ") + count
                                      + QStringLiteral(" bytes of the memory arrived, so it could not be judged. "
                                                       "Make the memory check again."));
}
