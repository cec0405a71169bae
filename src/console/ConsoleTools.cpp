#include "console/ConsoleTools.h"

#include "app/Editor.h"

ConsoleTools::ConsoleTools(Editor& editor) : editor_(editor)
{
    (void)editor_;
}

void ConsoleTools::btnEraseEepromClick()
{
}

void ConsoleTools::btnReadEEPROMClick()
{
}

void ConsoleTools::btnSendClick()
{
}

void ConsoleTools::cmbNotePickerChange()
{
}

void ConsoleTools::edtQChange()
{
}

void ConsoleTools::edtBoostChange()
{
}

void ConsoleTools::btnGetNoteFrequencyClick()
{
}
