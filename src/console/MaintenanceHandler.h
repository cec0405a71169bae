#pragma once

#include "console/MemoryDump.h"
#include "session/Outcome.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>

class BackupHandler;
class Clock;
class Dialogs;
class Log;
class PedalSession;

// Erasing and checking the pedal's settings memory. The memory's content comes
// back unasked; the read timer hands every piece to unsolicitedBytes, and the
// dump is judged once it is whole.
class MaintenanceHandler : public QObject {
    Q_OBJECT
public:
    // How often a dump being collected is checked for having gone quiet.
    static constexpr int kDumpWatchMs = 100;

    MaintenanceHandler(PedalSession& session, BackupHandler& backups, Log& log, Dialogs& dialogs, Clock& clock);

    Outcome EraseEEPROM(const QString& i2cAddr);
    Outcome ReadEEPROM(const QString& i2cAddr);
    Outcome menuEraseSettingsClick();
    // What the read timer picked up (the session hands it over).
    void unsolicitedBytes(const QByteArray& bytes);

    // Gives up a dump that has gone quiet before it was whole. Run by the dump
    // watch; tests call it after moving the clock.
    void checkDumpTimeLimit();
    bool collectingDump() const { return dump_.collecting(); }

    static QString eraseSettingsQuestion();

private:
    void judgeWholeDump();
    void reportIncompleteDump();
    bool dumpBytesStillQueued();

    PedalSession& session_;
    BackupHandler& backups_;
    Log& log_;
    Dialogs& dialogs_;
    Clock& clock_;
    MemoryDump dump_;
    QTimer dumpWatch_;
};
