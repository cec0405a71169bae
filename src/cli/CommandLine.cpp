#include "cli/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <array>

namespace Cli {

namespace {

struct CommandSpec {
    Command command;
    const char* name;
    int argumentCount;
    const char* syntax;
    const char* description;
};

constexpr std::array<CommandSpec, 7> kCommands = {{
    {Command::List, "list", 0, "list", "the pedals found: driver, serial number, description"},
    {Command::Status, "status", 0, "status [--json]",
     "versions, effect, footswitch, tuning, assignments, settings, the twenty values"},
    {Command::Save, "save", 1, "save FILE", "write the pedal's values to FILE as a local preset"},
    {Command::Load, "load", 1, "load FILE", "send a local preset, as Load Local Preset (backup first)"},
    {Command::Set, "set", 2, "set NAME VALUE",
     "one parameter: knobs 0 to 10, switches on/off, pitch in semitones, Bypass on/off"},
    {Command::Upload, "upload", 1, "upload NAME|FILE", "upload an embedded effect image, or an effect file"},
    {Command::Upgrade, "upgrade", 1, "upgrade NAME|FILE", "upgrade the firmware (FIRMWARE_17, or a file)"},
}};

// A negative number ("-5") or a name such as "-1 Oct" is a value, never an
// option: none of ours begins with a digit. Such arguments are hidden from
// the parser behind this mark and unmarked afterwards.
const QChar kValueMark(0xE000);

QString unmarked(QString text)
{
    if (text.startsWith(kValueMark))
        text.remove(0, 1);
    return text;
}

QString commandsHelp()
{
    QString text = QStringLiteral("Commands:\n");
    for (const CommandSpec& c : kCommands)
        text += QStringLiteral("  %1%2\n")
                    .arg(QLatin1String(c.syntax), -20)
                    .arg(QLatin1String(c.description));
    return text;
}

QString commandNames()
{
    QStringList names;
    for (const CommandSpec& c : kCommands)
        names.append(QLatin1String(c.name));
    return names.join(QStringLiteral(", "));
}

CommandLine usageError(const QString& why)
{
    CommandLine r;
    r.outcome = CommandLine::Outcome::UsageError;
    r.text = QLatin1String(kProgramName) + QStringLiteral(": ") + why;
    return r;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The Quarnel MK3 guitar pedal from a terminal: read it, back it up, restore it, set it, "
                       "upload effects and upgrade its firmware.\n\n")
        + commandsHelp()
        + QStringLiteral("\nNames and values that begin with a dash (\"-1 Oct\", -5) are values, not options."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Use the pedal on this serial port only (a device path)."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption virtualPedal(QStringLiteral("virtual-pedal"),
                                          QStringLiteral("Use the virtual pedal built into the program."));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Use the pedal with this serial number when several are connected."),
                                    QStringLiteral("NUMBER"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("status: print one JSON object."));
    parser.addOptions({port, virtualPedal, serial, json});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("One of: ") + commandNames() + QLatin1Char('.'),
                                 QStringLiteral("command [arguments]"));

    QStringList marked;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        const bool looksNegative = i > 0 && a.size() > 1 && a.at(0) == QLatin1Char('-') && a.at(1).isDigit();
        marked.append(looksNegative ? kValueMark + a : a);
    }

    if (!parser.parse(marked))
        return usageError(unmarked(parser.errorText()));

    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        CommandLine r;
        r.outcome = CommandLine::Outcome::Help;
        r.text = parser.helpText() + QLatin1Char('\n') + exitStatusHelp();
        return r;
    }
    if (parser.isSet(version)) {
        CommandLine r;
        r.outcome = CommandLine::Outcome::Version;
        r.text = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion()
            + QLatin1Char('\n');
        return r;
    }

    for (const QCommandLineOption* once : {&port, &serial}) {
        if (parser.values(*once).size() > 1)
            return usageError(QStringLiteral("--%1 is given more than once").arg(once->names().constFirst()));
    }

    Invocation inv;
    inv.pedal.virtualPedal = parser.isSet(virtualPedal);
    inv.pedal.port = unmarked(parser.value(port));
    inv.pedal.serialNumber = unmarked(parser.value(serial));
    inv.json = parser.isSet(json);
    if (parser.isSet(port) && inv.pedal.port.isEmpty())
        return usageError(QStringLiteral("--port needs the path of a serial port"));
    if (parser.isSet(serial) && inv.pedal.serialNumber.isEmpty())
        return usageError(QStringLiteral("--serial needs a serial number"));
    if (inv.pedal.virtualPedal && parser.isSet(port))
        return usageError(QStringLiteral("--port and --virtual-pedal cannot go together"));

    QStringList positional;
    for (const QString& p : parser.positionalArguments())
        positional.append(unmarked(p));
    if (positional.isEmpty())
        return usageError(QStringLiteral("a command is needed: %1 (see --help)").arg(commandNames()));

    const QString word = positional.takeFirst();
    const CommandSpec* spec = nullptr;
    for (const CommandSpec& c : kCommands)
        if (word == QLatin1String(c.name))
            spec = &c;
    if (!spec)
        return usageError(QStringLiteral("unknown command \"%1\"; the commands are %2").arg(word, commandNames()));
    if (positional.size() != spec->argumentCount)
        return usageError(QStringLiteral("%1 takes %2: %3")
                              .arg(QLatin1String(spec->name),
                                   spec->argumentCount == 0   ? QStringLiteral("no arguments")
                                   : spec->argumentCount == 1 ? QStringLiteral("one argument")
                                                              : QStringLiteral("two arguments"),
                                   QLatin1String(spec->syntax)));
    if (inv.json && spec->command != Command::Status)
        return usageError(QStringLiteral("--json goes with status only"));
    for (const QString& a : positional)
        if (a.trimmed().isEmpty())
            return usageError(QStringLiteral("%1 takes no empty argument: %2")
                                  .arg(QLatin1String(spec->name), QLatin1String(spec->syntax)));

    inv.command = spec->command;
    inv.arguments = positional;
    if (inv.command == Command::Set) {
        QString why;
        inv.setting = parseSetting(positional.at(0), positional.at(1), &why);
        if (!inv.setting)
            return usageError(why);
    }

    CommandLine r;
    r.outcome = CommandLine::Outcome::Run;
    r.invocation = inv;
    return r;
}

} // namespace Cli
