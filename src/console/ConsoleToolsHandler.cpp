#include "console/ConsoleToolsHandler.h"

#include "console/MaintenanceHandler.h"
#include "console/RawMessage.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"

#include <QLocale>

ConsoleToolsHandler::ConsoleToolsHandler(PedalSession& session, MaintenanceHandler& maintenance, Log& log,
                                         Dialogs& dialogs)
    : session_(session), maintenance_(maintenance), log_(log), dialogs_(dialogs)
{
}

Outcome ConsoleToolsHandler::btnEraseEepromClick(const QString& busAddress)
{
    if (!dialogs_.askYesNo(nullptr, QStringLiteral("Erase EEPROM now?")))
        return Outcome::Cancelled;
    return maintenance_.EraseEEPROM(busAddress);
}

Outcome ConsoleToolsHandler::btnReadEEPROMClick(const QString& busAddress)
{
    return maintenance_.ReadEEPROM(busAddress);
}

Outcome ConsoleToolsHandler::btnSendClick(const QString& address, const QString& data)
{
    const std::optional<QString> message = RawMessage::parameterMessage(address, data);
    if (!message) {
        log_.logLine(QStringLiteral("raw message not sent: 01") + address + data);
        dialogs_.information(nullptr, QStringLiteral("Nothing was sent: the address needs four hexadecimal digits "
                                                     "and the data eight, for example 0012 and 00800000."));
        return Outcome::Refused;
    }
    log_.logLine(*message);
    return session_.sendMessage(PedalOperation::PedalSetting, *message);
}

void ConsoleToolsHandler::cmbNotePickerChange(int index)
{
    noteIndex_ = index;
}

void ConsoleToolsHandler::edtQChange(const QString& text)
{
    takeNumber(text, settings_.q, QStringLiteral("Q: "));
}

void ConsoleToolsHandler::edtBoostChange(const QString& text)
{
    takeNumber(text, settings_.boostDb, QStringLiteral("boost: "));
}

void ConsoleToolsHandler::edtQDone(const QString& text)
{
    complainIfNoNumber(text, settings_.q, QStringLiteral("Q"));
}

void ConsoleToolsHandler::edtBoostDone(const QString& text)
{
    complainIfNoNumber(text, settings_.boostDb, QStringLiteral("boost"));
}

void ConsoleToolsHandler::takeNumber(const QString& text, double& target, const QString& logLabel)
{
    // Every keystroke that leaves a number takes it; one that does not ("-" on
    // the way to "-6") keeps the stored value and waits for the edit to finish.
    const QLocale locale;
    const std::optional<double> value = FilterCalculator::parseNumber(text, locale);
    if (!value)
        return;
    target = *value;
    log_.logLine(logLabel + FilterCalculator::formatNumber(target, locale));
}

void ConsoleToolsHandler::complainIfNoNumber(const QString& text, double stored, const QString& what)
{
    const QLocale locale;
    if (FilterCalculator::parseNumber(text, locale))
        return;
    dialogs_.information(nullptr, QStringLiteral("\"") + text + QStringLiteral("\" is not a number. The ")
                                                  + what + QStringLiteral(" stays ")
                                                  + FilterCalculator::formatNumber(stored, locale)
                                                  + QStringLiteral("."));
}

void ConsoleToolsHandler::btnGetNoteFrequencyClick()
{
    // Settings without a usable filter print nothing: a table in the log is
    // one somebody may paste into the firmware.
    const QLocale locale;
    if (const std::optional<QString> refused = FilterCalculator::refusal(settings_, noteIndex_, locale)) {
        dialogs_.information(nullptr, *refused);
        return;
    }
    for (const QString& line : FilterCalculator::table(settings_, noteIndex_, locale))
        log_.logLine(line);
}
