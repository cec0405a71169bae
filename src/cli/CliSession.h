#pragma once

#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"

#include <QTextStream>

#include <memory>

class CatalogueHandler;
class Clock;
class FirmwareHandler;
class FtdiDriver;
class Log;
class PedalSession;
class Places;

// quarnel-cli's commands on the session and the handlers, assembled as the
// editor assembles them but without a window: the terminal's dialogs stand in
// for the desktop's, and the session keeps what the effect window's controls
// would show, so the handlers send what the controls would send.
// The program gives it the real driver, clock and places; tests give the
// virtual pedal and a virtual clock.
namespace Cli {

class TerminalDialogs;

class CliSession {
public:
    CliSession(FtdiDriver& driver, Clock& clock, Places& places, Log& log);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Runs one command. The command's output (the list, the status, the
    // handlers' reports of success, the progress) goes to out, the one line
    // of a refusal or failure to err. outIsTerminal chooses the progress bar.
    ExitStatus run(const Invocation& invocation, QTextStream& out, QTextStream& err, bool outIsTerminal);

    PedalSession& session();
    CatalogueHandler& catalogue();
    TerminalDialogs& dialogs();
    FirmwareHandler& firmware();

    // The catalogue row an upload's NAME stands for: an entry's text or its
    // image name, ignoring case; -1 when it names none (it is then a file).
    int catalogueRow(const QString& name) const;

    // The session and the handlers; only the .cpp knows them.
    struct Parts;

private:
    std::unique_ptr<Parts> parts_;
};

} // namespace Cli
