#include "console/ConsoleTools.h"

#include "app/Editor.h"
#include "console/Maintenance.h"
#include "console/PrintConsole.h"
#include "console/RawMessage.h"
#include "link/Communication.h"
#include "seams/Dialogs.h"
#include "ui_PrintConsole.h"

ConsoleTools::ConsoleTools(Editor& editor) : editor_(editor) {}

PrintConsole& ConsoleTools::console() const
{
    return *editor_.formPrint;
}

QString ConsoleTools::busAddress() const
{
    return console().ui->cmbI2Caddr->currentText();
}

void ConsoleTools::btnEraseEepromClick()
{
    if (editor_.dialogs().askYesNo(&console(), QStringLiteral("Erase EEPROM now?")))
        editor_.maintenance->EraseEEPROM(busAddress());
}

void ConsoleTools::btnReadEEPROMClick()
{
    editor_.maintenance->ReadEEPROM(busAddress());
}

void ConsoleTools::btnSendClick()
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
    editor_.comm->sendHex(*message);
}

void ConsoleTools::cmbNotePickerChange()
{
    noteIndex_ = console().ui->cmbNotePicker->currentIndex();
}

void ConsoleTools::edtQChange()
{
    takeNumber(console().ui->edtQ->text(), settings_.q, QStringLiteral("Q: "), QStringLiteral("Q"));
}

void ConsoleTools::edtBoostChange()
{
    takeNumber(console().ui->edtBoost->text(), settings_.boostDb, QStringLiteral("boost: "), QStringLiteral("boost"));
}

void ConsoleTools::takeNumber(const QString& text, double& target, const QString& logLabel, const QString& what)
{
    const QLocale locale;
    const std::optional<double> value = FilterCalculator::parseNumber(text, locale);
    if (!value) {
        editor_.dialogs().information(&console(), QStringLiteral("\"") + text + QStringLiteral("\" is not a number. The ")
                                                      + what + QStringLiteral(" stays ")
                                                      + FilterCalculator::formatNumber(target, locale)
                                                      + QStringLiteral("."));
        return;
    }
    target = *value;
    editor_.log().logLine(logLabel + FilterCalculator::formatNumber(target, locale));
}

void ConsoleTools::btnGetNoteFrequencyClick()
{
    for (const QString& line : FilterCalculator::table(settings_, noteIndex_, QLocale()))
        editor_.log().logLine(line);
}
