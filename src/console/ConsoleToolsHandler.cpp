#include "console/ConsoleToolsHandler.h"

#include "session/PedalSession.h"
#include "app/Editor.h"
#include "console/MaintenanceHandler.h"
#include "console/PrintConsole.h"
#include "console/RawMessage.h"
#include "status/Communication.h"
#include "seams/Dialogs.h"
#include "ui_PrintConsole.h"

ConsoleToolsHandler::ConsoleToolsHandler(Editor& editor) : editor_(editor) {}

PrintConsole& ConsoleToolsHandler::console() const
{
    return *editor_.formPrint;
}

QString ConsoleToolsHandler::busAddress() const
{
    return console().ui->cmbI2Caddr->currentText();
}

void ConsoleToolsHandler::btnEraseEepromClick()
{
    if (editor_.dialogs().askYesNo(&console(), QStringLiteral("Erase EEPROM now?")))
        editor_.maintenance->EraseEEPROM(busAddress());
}

void ConsoleToolsHandler::btnReadEEPROMClick()
{
    editor_.maintenance->ReadEEPROM(busAddress());
}

void ConsoleToolsHandler::btnSendClick()
{
    const QString address = console().ui->edtAddress->text();
    const QString data = console().ui->edtData->text();
    const std::optional<QString> message = RawMessage::parameterMessage(address, data);
    if (!message) {
        editor_.log().logLine(QStringLiteral("raw message not sent: 01") + address + data);
        editor_.dialogs().information(&console(),
                                      QStringLiteral("Nothing was sent: the address needs four hexadecimal digits "
                                                     "and the data eight, for example 0012 and 00800000."));
        return;
    }
    editor_.log().logLine(*message);
    editor_.session->send(PedalOperation::PedalSetting, *message);
}

void ConsoleToolsHandler::cmbNotePickerChange()
{
    noteIndex_ = console().ui->cmbNotePicker->currentIndex();
}

void ConsoleToolsHandler::edtQChange()
{
    takeNumber(console().ui->edtQ->text(), settings_.q, QStringLiteral("Q: "));
}

void ConsoleToolsHandler::edtBoostChange()
{
    takeNumber(console().ui->edtBoost->text(), settings_.boostDb, QStringLiteral("boost: "));
}

void ConsoleToolsHandler::edtQDone()
{
    complainIfNoNumber(console().ui->edtQ->text(), settings_.q, QStringLiteral("Q"));
}

void ConsoleToolsHandler::edtBoostDone()
{
    complainIfNoNumber(console().ui->edtBoost->text(), settings_.boostDb, QStringLiteral("boost"));
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
    editor_.log().logLine(logLabel + FilterCalculator::formatNumber(target, locale));
}

void ConsoleToolsHandler::complainIfNoNumber(const QString& text, double stored, const QString& what)
{
    const QLocale locale;
    if (FilterCalculator::parseNumber(text, locale))
        return;
    editor_.dialogs().information(&console(), QStringLiteral("\"") + text + QStringLiteral("\" is not a number. The ")
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
        editor_.dialogs().information(&console(), *refused);
        return;
    }
    for (const QString& line : FilterCalculator::table(settings_, noteIndex_, locale))
        editor_.log().logLine(line);
}
