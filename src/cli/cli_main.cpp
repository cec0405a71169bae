// quarnel-cli: the pedal from a terminal, on the same session and handlers as
// the editor's windows, without a window.

#include "app/DriverChoice.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "link/SerialPortDriver.h"
#include "seams/Clock.h"
#include "seams/Log.h"
#include "seams/Places.h"
#include "virtualpedal/VirtualPedal.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(Cli::kProgramName));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUARNEL_EDITOR_VERSION));
    QCoreApplication::setOrganizationName(QStringLiteral("TERVO"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const Cli::CommandLine commandLine = Cli::parseCommandLine(QCoreApplication::arguments());
    switch (commandLine.outcome) {
    case Cli::CommandLine::Outcome::Help:
    case Cli::CommandLine::Outcome::Version:
        out << commandLine.text;
        return Cli::code(commandLine.exitStatus());
    case Cli::CommandLine::Outcome::UsageError:
        err << commandLine.text << '\n';
        return Cli::code(commandLine.exitStatus());
    case Cli::CommandLine::Outcome::Run:
        break;
    }

    Cli::Interrupt::install();
    const Cli::Invocation& invocation = commandLine.invocation;
    SystemClock clock;
    // The console's lines have no window to go to; the messages that matter
    // reach the terminal through the dialogs.
    NullLog log;
    StandardPlaces places;
    std::unique_ptr<FtdiDriver> driver;
    if (invocation.pedal.virtualPedal) {
        // SHIFT held, as in the editor's virtual pedal at start: nobody can
        // press it here, and an upgrade goes into the bootloader with it.
        auto pedal = std::make_unique<VirtualPedal>(clock);
        pedal->setShiftHeld(true);
        driver = std::move(pedal);
    } else if (!invocation.pedal.port.isEmpty()) {
        driver = std::make_unique<SerialPortDriver>(invocation.pedal.port);
    } else {
        driver = chooseDriver(false, clock);
    }

    Cli::ExitStatus status;
    {
        Cli::CliSession cli(*driver, clock, places, log);
        status = cli.run(invocation, out, err, isatty(fileno(stdout)) != 0);
    }
    return Cli::code(status);
}
