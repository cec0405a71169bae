#include "tracking/Tunings.h"

#include "session/PedalSession.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "status/Communication.h"
#include "link/Hex.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "tracking/TrackingMessages.h"

namespace {
// The pedal needs time to go into bypass before its filters are replaced.
constexpr int kPauseAfterBypassMs = 400;
constexpr int kPauseAfterTableMs = 100;
} // namespace

Tunings::Tunings(Editor& editor) : editor_(editor) {}

void Tunings::menuUploadTuningsDataClick()
{
    // Recomputed every time from the filter design, never kept as a copy.
    const QString table = Hex::toHex(TrackingMessages::tuningTable());
    editor_.log().logLine(QStringLiteral("tuning data: ") + table);
    if (!editor_.dialogs().askYesNo(editor_.formMain, QStringLiteral("Upload Tuning Data?")))
        return;

    PedalSession& session = *editor_.session;
    // The bypass alone, without the table after it, would leave the pedal mute.
    if (!session.mayStart(PedalOperation::PedalSetting))
        return;
    session.sendBypass(true);
    editor_.clock().sleepMs(kPauseAfterBypassMs);
    const QString message = TrackingMessages::tuningDataMessage(table);
    editor_.log().logLine(QStringLiteral("num_of_bytes: ") + QString::number(message.size() / 2));
    session.send(PedalOperation::PedalSetting, message, true, kPauseAfterTableMs);
}
