#pragma once

#include <QString>

#include <array>

// How quarnel-cli ends, for scripts. The one list: --help prints it from
// here and the program returns these values, so the two cannot drift apart.
namespace Cli {

enum class ExitStatus : int {
    Success = 0,
    Usage = 1,       // the command line or a value on it is wrong; the pedal was not touched
    NoPedal = 2,     // no pedal found, or none with the serial number asked for, or it did not open
    NoAnswer = 3,    // the pedal did not answer, or its answer was short or garbled
    Refused = 4,     // the pedal's state or the file does not allow the operation
    WriteFailed = 5, // the pedal stopped taking what was written to it
};

struct ExitStatusText {
    ExitStatus status;
    const char* text;
};

constexpr std::array<ExitStatusText, 6> kExitStatuses = {{
    {ExitStatus::Success, "success"},
    {ExitStatus::Usage, "usage: an unknown command, option, parameter or value"},
    {ExitStatus::NoPedal, "no pedal found, none with the serial number given, or it did not open"},
    {ExitStatus::NoAnswer, "the pedal did not answer, or answered short or garbled"},
    {ExitStatus::Refused, "refused: the pedal's firmware or algorithm, or the file, does not allow it"},
    {ExitStatus::WriteFailed, "failed while writing: the pedal stopped taking the data (or Ctrl+C)"},
}};

constexpr int code(ExitStatus status)
{
    return static_cast<int>(status);
}

// The "Exit status:" section of --help, one status a line.
inline QString exitStatusHelp()
{
    QString text = QStringLiteral("Exit status:\n");
    for (const ExitStatusText& s : kExitStatuses)
        text += QStringLiteral("  %1  %2\n").arg(code(s.status)).arg(QLatin1String(s.text));
    return text;
}

} // namespace Cli
