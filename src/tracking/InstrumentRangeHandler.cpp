#include "tracking/InstrumentRangeHandler.h"

#include "session/PedalSession.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "files/TextFiles.h"
#include "link/Hex.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "status/Communication.h"
#include "status/PedalStatus.h"
#include "tracking/TrackingMessages.h"

#include <QAction>
#include <QDir>

using namespace TrackingMessages;

InstrumentRangeHandler::InstrumentRangeHandler(Editor& editor) : editor_(editor) {}

void InstrumentRangeHandler::menuStandardClick()
{
    chooseInstrument(kStandard);
}

void InstrumentRangeHandler::menuLowClick()
{
    chooseInstrument(kLow);
}

void InstrumentRangeHandler::showInstrument(uint8_t code)
{
    FormMain& main = *editor_.formMain;
    main.menuStandard()->setChecked(code == kStandard);
    main.menuLow()->setChecked(code == kLow);
}

void InstrumentRangeHandler::chooseInstrument(uint8_t code)
{
    showInstrument(code);

    const QString path = editor_.functions->filesPath(QStringLiteral("Instrument.txt"));
    QString error;
    if (!TextFiles::write(path, instrumentWord(code), &error)) {
        editor_.dialogs().information(editor_.formMain, QStringLiteral("Cannot write ")
                                                            + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                                                            + error);
        return;
    }

    const QString body = *instrumentBody(code);
    const uint8_t checksum = *Hex::hexXorChecksum(body, 7);
    editor_.log().logLine(QStringLiteral("checksum byte: ") + Hex::hex(checksum, 2));
    const QString text = body + Hex::hex(checksum, 2);
    if (!editor_.dialogs().askYesNo(editor_.formMain, QStringLiteral("Change current Instrument?")))
        return;
    editor_.log().logLine(text);
    editor_.session->send(PedalOperation::PedalSetting, text);
}

void InstrumentRangeHandler::menuRangeLimitONClick()
{
    sendRangeLimit(true);
}

void InstrumentRangeHandler::menuRangeLimitOFFClick()
{
    sendRangeLimit(false);
}

void InstrumentRangeHandler::sendRangeLimit(bool on)
{
    editor_.log().logLine(on ? Log::banner(QStringLiteral("RANGE LIMIT ON"))
                             : Log::banner(QStringLiteral("RANGE LIMIT OFF")));
    const QString text = rangeLimit(on);
    editor_.log().logLine(text);
    editor_.session->send(PedalOperation::PedalSetting, text);
    FormMain& main = *editor_.formMain;
    main.menuRangeLimitON()->setChecked(on);
    main.menuRangeLimitOFF()->setChecked(!on);
}

void InstrumentRangeHandler::decodeInstrumentRange(const PedalStatus& status)
{
    if (status.instrument == kStandard || status.instrument == kLow)
        showInstrument(status.instrument);
}
