#include "tracking/Tunings.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "status/Communication.h"
#include "link/Transport.h"
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

    editor_.comm->sendBypass(true);
    editor_.clock().sleepMs(kPauseAfterBypassMs);
    const QString message = TrackingMessages::tuningDataMessage(table);
    editor_.log().logLine(QStringLiteral("num_of_bytes: ") + QString::number(message.size() / 2));
    editor_.transport->sendHex(message, true, kPauseAfterTableMs);
}
