#include "presets/SaveParametersHandler.h"

#include "session/PedalSession.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "editor/FXsettings.h"
#include "link/D2XXUnit.h"
#include "link/Hex.h"
#include "presets/StoreMessage.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "status/Communication.h"

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

SaveParametersHandler::SaveParametersHandler(Editor& editor) : editor_(editor) {}

void SaveParametersHandler::btnSaveParametersClick()
{
    Communication& comm = *editor_.comm;
    // The pedal's own values are the ones to keep; the save goes on even when
    // the request stops early, with what the editor holds.
    comm.requestStatus();

    Log& log = editor_.log();
    log.logLine(Log::banner(QStringLiteral("SAVE PARAMETERS")));
    const QString text = StoreMessage::text(editor_.session->parameters());
    log.logLine(QStringLiteral("Store settings message (HEX): ") + text);
    log.logLine(QStringLiteral("num of bytes to send: ") + QString::number(text.size() / 2));
    if (!editor_.dialogs().askYesNo(editor_.formMain, QStringLiteral("Save Parameters to pedal?")))
        return;
    uint32_t sent = 0;
    editor_.session->send(PedalOperation::PedalSetting, text, true, kPauseAfterStoreMs, &sent);
    log.logLine(QStringLiteral("num of bytes sent: ") + QString::number(sent));
}

void SaveParametersHandler::btnSaveParametersInfoClick()
{
    editor_.dialogs().information(editor_.formMain, kInfoText);
}
