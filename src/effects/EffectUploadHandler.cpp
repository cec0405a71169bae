#include "effects/EffectUploadHandler.h"

#include "data/Placeholders.h"
#include "effects/CatalogueHandler.h"
#include "effects/UploadImage.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/StatusLine.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace {
const QString kQuestion = QStringLiteral("Upload the selected algorithm?");
// The pedal needs this long in bypass before it takes a new algorithm.
constexpr int kCatalogueBypassPauseMs = 40;
constexpr int kFileBypassPauseMs = 400;
} // namespace

EffectUploadHandler::EffectUploadHandler(PedalSession& session, CatalogueHandler& catalogue, Communication& comm,
                                         Log& log, Dialogs& dialogs, Clock& clock)
    : session_(session), catalogue_(catalogue), comm_(comm), log_(log), dialogs_(dialogs), clock_(clock)
{
    OpenDialog1 = {QString(), QStringLiteral("Dat files (*.dat)"), QString(), {}};
    connect(&session_, &PedalSession::uploadWatchdogExpired, this, &EffectUploadHandler::uploadWatchdogExpired);
}

void EffectUploadHandler::showStatusText(const QString& text)
{
    if (statusLine_)
        statusLine_->showStatusText(text);
}

bool EffectUploadHandler::refuseReentry()
{
    if (!busy_)
        return false;
    log_.logLine(QStringLiteral("upload refused: another upload is waiting for the pedal"));
    return true;
}

bool EffectUploadHandler::beginUpload(int bypassPauseMs)
{
    // Nothing of the upload goes out when the image could not follow its bypass.
    if (!session_.mayStart(PedalOperation::EffectUpload))
        return false;
    session_.sendBypass(true);
    clock_.sleepMs(bypassPauseMs);
    session_.setReportErrors(true);
    return session_.beginUpload();
}

Outcome EffectUploadHandler::btnUploadClick()
{
    if (refuseReentry())
        return Outcome::Refused;
    const QScopedValueRollback<bool> busy(busy_, true);

    log_.logLine(Log::banner(QStringLiteral("UPLOAD")));

    // The image is loaded and checked before the pedal is touched. A failed
    // load leaves the shared text list as it was, with some other item in it:
    // that must not go to the pedal as this effect.
    const QString effect = catalogue_.selectedEffectName();
    const QString resource = CatalogueHandler::imageName(effect);
    const bool loaded = !effect.isEmpty() && catalogue_.loadTextResource(resource);
    const QString line = loaded ? catalogue_.loadedImageLine() : QString();
    const UploadImage::Checked image = UploadImage::fromImageLine(effect, line);
    if (!image.ok) {
        log_.logLine(QStringLiteral("upload refused: ") + image.error);
        dialogs_.information(nullptr, image.error);
        return Outcome::Refused;
    }
    if (refusePlaceholder(image.bytes, effect, false))
        return Outcome::Refused;

    if (!dialogs_.askYesNo(nullptr, kQuestion))
        return Outcome::Cancelled;
    if (!beginUpload(kCatalogueBypassPauseMs))
        return session_.refusal();

    log_.logLine(QStringLiteral("resource name: ") + resource);
    log_.logLine(QStringLiteral("size: ") + QString::number(line.size() / 2));
    log_.logLine(QStringLiteral("filecontent (first 128 bytes): ") + line.left(256));
    log_.logLine(QStringLiteral("num of bytes: ") + QString::number(image.bytes.size()));
    session_.writeUpload(image.bytes);
    log_.logLine(QStringLiteral("write to device"));
    showStatusText(QStringLiteral("Uploading..."));

    if (!awaitAnswer(Source::Catalogue))
        return unanswered();
    session_.endUpload();
    comm_.requestStatus();
    return Outcome::Done;
}

Outcome EffectUploadHandler::menuLoadAlgorithmFromFileClick()
{
    if (refuseReentry())
        return Outcome::Refused;
    const QScopedValueRollback<bool> busy(busy_, true);

    const QString path = dialogs_.openFile(nullptr, OpenDialog1.title, OpenDialog1.initialFolder, OpenDialog1.filter);
    if (path.isEmpty())
        return Outcome::Cancelled;
    // Read whole and checked before the pedal is touched: an unreadable, empty
    // or oversized file is never half sent.
    const UploadImage::Checked file = UploadImage::fromFile(path);
    if (!file.ok) {
        log_.logLine(QStringLiteral("upload refused: ") + file.error);
        dialogs_.information(nullptr, file.error);
        return Outcome::Refused;
    }
    if (refusePlaceholder(file.bytes, QDir::toNativeSeparators(path), true))
        return Outcome::Refused;
    if (!dialogs_.askYesNo(nullptr, kQuestion))
        return Outcome::Cancelled;
    if (!beginUpload(kFileBypassPauseMs))
        return session_.refusal();

    OpenDialog1.initialFolder = QFileInfo(path).absolutePath();
    log_.logLine(QStringLiteral("Opening - ") + QDir::toNativeSeparators(path));
    const uint32_t sent = session_.writeUpload(file.bytes);
    log_.logLine(QString::number(sent) + QStringLiteral(" Bytes Sent ..."));

    if (!awaitAnswer(Source::File))
        return unanswered();
    session_.endUpload();
    return Outcome::Done;
}

bool EffectUploadHandler::refusePlaceholder(const QByteArray& image, const QString& name, bool fromFile)
{
    if (!Placeholders::isPlaceholder(image) || session_.isVirtualPedal())
        return false;
    const QString text = Placeholders::refusal(
        Placeholders::Kind::Effect, fromFile ? Placeholders::Source::File : Placeholders::Source::Embedded, name);
    log_.logLine(QStringLiteral("upload refused: ") + text.simplified());
    dialogs_.information(nullptr, text);
    return true;
}

Outcome EffectUploadHandler::unanswered() const
{
    // The watchdog gives the link up when no answer comes: that is a pedal
    // that did not answer, not one that went away.
    return session_.mode() == SessionMode::Lost ? Outcome::NoPedal : Outcome::NoAnswer;
}

bool EffectUploadHandler::awaitAnswer(Source source)
{
    // The wait ends with the watchdog at the latest: the timer, or this same
    // limit on the clock, whichever comes first, reports the failure.
    const int limitMs = session_.uploadWatchdog().interval();
    const auto shown = [&](const QByteArray& read) {
        if (source == Source::File)
            log_.logLine(QStringLiteral("num of bytes received from device: ") + QString::number(read.size()));
        if (read.isEmpty())
            return;
        // Only this read's bytes: what an older read left in the buffer is not the answer.
        const QString answer = QString::fromLatin1(read.left(kShownAnswer));
        log_.logLine(QStringLiteral("received: ") + answer);
        showStatusText(answer);
        if (source == Source::Catalogue)
            session_.stopUploadWatchdog();
    };
    bool failed = false;
    if (session_.awaitUploadAnswer(shown, &failed))
        return true;
    if (failed) {
        // Unplugged, or unlinked by the watchdog: nothing more to wait for.
        log_.logLine(QStringLiteral("upload: the pedal's answer cannot be read"));
    } else {
        log_.logLine(QStringLiteral("upload: no answer from the pedal within %1 ms").arg(limitMs));
        if (session_.uploadWatchdogRunning()) {
            session_.endUpload();
            uploadWatchdogExpired();
        }
    }
    return false;
}

void EffectUploadHandler::uploadWatchdogExpired()
{
    showStatusText(QStringLiteral("Upload Failed"));
    comm_.Disconnect();
    dialogs_.information(nullptr, QStringLiteral("Upload failed! Disconnect the pedal from USB and try again."));
}
