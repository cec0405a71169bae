#pragma once

#include "cli/ExitStatus.h"
#include "cli/ParameterText.h"

#include <QString>
#include <QStringList>

#include <optional>

// quarnel-cli's command line read into what to do, with QCommandLineParser's
// conventions (--help, --version, options before or after the command). A
// wrong command line is found here, before any pedal is looked for.
namespace Cli {

constexpr const char* kProgramName = "quarnel-cli";

enum class Command { List, Status, Save, Load, Set, Upload, Upgrade };

// Which pedal: the virtual one, one serial port, or whatever the driver
// finds (D2XX when its library loads, else the serial ports), narrowed to one
// serial number when several are connected.
struct PedalChoice {
    bool virtualPedal = false;
    QString port;         // --port PATH; empty when not given
    QString serialNumber; // --serial NUMBER; empty when not given
};

struct Invocation {
    Command command = Command::Status;
    QStringList arguments; // the command's own: FILE, NAME VALUE, NAME|FILE
    PedalChoice pedal;
    bool json = false; // status --json
    // set: NAME VALUE read into what the window would send.
    std::optional<ParameterSetting> setting;
};

struct CommandLine {
    enum class Outcome {
        Run,       // invocation holds what to do
        Help,      // print text on standard output, exit 0
        Version,   // the same
        UsageError // print text (one line) on standard error, exit 1
    };
    Outcome outcome = Outcome::UsageError;
    Invocation invocation;
    QString text;

    ExitStatus exitStatus() const { return outcome == Outcome::UsageError ? ExitStatus::Usage : ExitStatus::Success; }
};

// arguments as QCoreApplication::arguments() gives them, the program first.
// The help text uses QCoreApplication's name and version when there is an
// application object.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace Cli
