#include "presets/SaveParametersHandler.h"

#include "presets/StoreMessage.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/Communication.h"

#include <QStringList>

namespace {
// The quotation marks around Save Parameters. are the typographic ones.
const QString kInfoText = QStringList{
    QStringLiteral("Permanently saves the current state of all assignable parameters to the pedal, regardless of "
                   "whether they are currently assigned."),
    QStringLiteral("Assignable parameters are those not available as physical controls on the pedal (e.g., Input "
                   "Level, Dominant Notes Cut, etc.)."),
    QStringLiteral("Their saved state is preserved even after firmware or algorithm updates."),
    QStringLiteral("Example: you want to set a new Input Level, adjust the Input Level knob in the editor and then "
                   "click \u201CSave Parameters.\u201D"),
    QStringLiteral("Save Parameters is not related to presets, in this way saving preset from the pedal will not "
                   "erase Save Parameters settings."),
    QStringLiteral("Think of Save Parameters as a global preset."),
}.join(QStringLiteral("\r\n"));

constexpr int kPauseAfterStoreMs = 100;
} // namespace

SaveParametersHandler::SaveParametersHandler(PedalSession& session, Communication& comm, Log& log, Dialogs& dialogs)
    : session_(session), comm_(comm), log_(log), dialogs_(dialogs)
{
}

Outcome SaveParametersHandler::btnSaveParametersClick()
{
    // The pedal's own values are the ones to keep; the save goes on even when
    // the request stops early, with what the editor holds.
    comm_.requestStatus();

    log_.logLine(Log::banner(QStringLiteral("SAVE PARAMETERS")));
    const QString text = StoreMessage::text(session_.parameters());
    log_.logLine(QStringLiteral("Store settings message (HEX): ") + text);
    log_.logLine(QStringLiteral("num of bytes to send: ") + QString::number(text.size() / 2));
    if (!dialogs_.askYesNo(nullptr, QStringLiteral("Save Parameters to pedal?")))
        return Outcome::Cancelled;
    uint32_t sent = 0;
    const Outcome outcome = session_.sendMessage(PedalOperation::PedalSetting, text, true, kPauseAfterStoreMs, &sent);
    log_.logLine(QStringLiteral("num of bytes sent: ") + QString::number(sent));
    return outcome;
}

void SaveParametersHandler::btnSaveParametersInfoClick()
{
    dialogs_.information(nullptr, kInfoText);
}
