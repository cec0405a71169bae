#include "tracking/Tunings.h"

#include "link/Hex.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "tracking/TrackingMessages.h"

namespace {
// The pedal needs time to go into bypass before its filters are replaced.
constexpr int kPauseAfterBypassMs = 400;
constexpr int kPauseAfterTableMs = 100;
} // namespace

Tunings::Tunings(PedalSession& session, Log& log, Dialogs& dialogs, Clock& clock)
    : session_(session), log_(log), dialogs_(dialogs), clock_(clock)
{
}

Outcome Tunings::menuUploadTuningsDataClick()
{
    // Recomputed every time from the filter design, never kept as a copy.
    const QString table = Hex::toHex(TrackingMessages::tuningTable());
    log_.logLine(QStringLiteral("tuning data: ") + table);
    if (!dialogs_.askYesNo(nullptr, QStringLiteral("Upload Tuning Data?")))
        return Outcome::Cancelled;

    // The bypass alone, without the table after it, would leave the pedal mute.
    if (!session_.mayStart(PedalOperation::PedalSetting))
        return session_.refusal();
    session_.sendBypass(true);
    clock_.sleepMs(kPauseAfterBypassMs);
    const QString message = TrackingMessages::tuningDataMessage(table);
    log_.logLine(QStringLiteral("num_of_bytes: ") + QString::number(message.size() / 2));
    return session_.sendMessage(PedalOperation::PedalSetting, message, true, kPauseAfterTableMs);
}
