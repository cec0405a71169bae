#include "tracking/InstrumentRangeHandler.h"

#include "app/FunctionsUnit.h"
#include "files/TextFiles.h"
#include "link/Hex.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/PedalStatus.h"
#include "status/SettingsView.h"
#include "tracking/TrackingMessages.h"

#include <QDir>

using namespace TrackingMessages;

InstrumentRangeHandler::InstrumentRangeHandler(PedalSession& session, FunctionsUnit& functions, Log& log,
                                               Dialogs& dialogs)
    : session_(session), functions_(functions), log_(log), dialogs_(dialogs)
{
}

Outcome InstrumentRangeHandler::menuStandardClick()
{
    return chooseInstrument(kStandard);
}

Outcome InstrumentRangeHandler::menuLowClick()
{
    return chooseInstrument(kLow);
}

void InstrumentRangeHandler::showInstrument(uint8_t code)
{
    if (view_)
        view_->showInstrument(code);
}

Outcome InstrumentRangeHandler::chooseInstrument(uint8_t code)
{
    showInstrument(code);

    const QString path = functions_.filesPath(QStringLiteral("Instrument.txt"));
    QString error;
    if (!TextFiles::write(path, instrumentWord(code), &error)) {
        dialogs_.information(nullptr,
                             QStringLiteral("Cannot write ") + QDir::toNativeSeparators(path) + QStringLiteral(": ") + error);
        return Outcome::Refused;
    }

    const QString body = *instrumentBody(code);
    const uint8_t checksum = *Hex::hexXorChecksum(body, 7);
    log_.logLine(QStringLiteral("checksum byte: ") + Hex::hex(checksum, 2));
    const QString text = body + Hex::hex(checksum, 2);
    if (!dialogs_.askYesNo(nullptr, QStringLiteral("Change current Instrument?")))
        return Outcome::Cancelled;
    log_.logLine(text);
    return session_.sendMessage(PedalOperation::PedalSetting, text);
}

Outcome InstrumentRangeHandler::menuRangeLimitONClick()
{
    return sendRangeLimit(true);
}

Outcome InstrumentRangeHandler::menuRangeLimitOFFClick()
{
    return sendRangeLimit(false);
}

Outcome InstrumentRangeHandler::sendRangeLimit(bool on)
{
    log_.logLine(on ? Log::banner(QStringLiteral("RANGE LIMIT ON")) : Log::banner(QStringLiteral("RANGE LIMIT OFF")));
    const QString text = rangeLimit(on);
    log_.logLine(text);
    const Outcome sent = session_.sendMessage(PedalOperation::PedalSetting, text);
    if (view_)
        view_->showRangeLimit(on);
    return sent;
}

void InstrumentRangeHandler::decodeInstrumentRange(const PedalStatus& status)
{
    if (status.instrument == kStandard || status.instrument == kLow)
        showInstrument(status.instrument);
}
