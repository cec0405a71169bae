#include "effects/EffectUploadHandler.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "data/Placeholders.h"
#include "effects/CatalogueHandler.h"
#include "effects/UploadImage.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/Communication.h"

#include <QLabel>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>


namespace {
const QString kQuestion = QStringLiteral("Upload the selected algorithm?");
// The pedal needs this long in bypass before it takes a new algorithm.
constexpr int kCatalogueBypassPauseMs = 40;
constexpr int kFileBypassPauseMs = 400;
} // namespace

EffectUploadHandler::EffectUploadHandler(Editor& editor) : editor_(editor)
{
    QObject::connect(editor.session.get(), &PedalSession::uploadWatchdogExpired, editor.session.get(),
                     [this] { uploadWatchdogExpired(); });
}

bool EffectUploadHandler::refuseReentry()
{
    if (!busy_)
        return false;
    editor_.log().logLine(QStringLiteral("upload refused: another upload is waiting for the pedal"));
    return true;
}

void EffectUploadHandler::btnUploadClick()
{
    if (refuseReentry())
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    FormMain& main = *editor_.formMain;
    Log& log = editor_.log();
    CatalogueHandler& catalogue = *editor_.catalogue;
    PedalSession& session = *editor_.session;

    log.logLine(Log::banner(QStringLiteral("UPLOAD")));

    // The image is loaded and checked before the pedal is touched. A failed
    // load leaves the shared text list as it was, with some other item in it:
    // that must not go to the pedal as this effect.
    const QString effect = catalogue.selectedEffectName();
    const QString resource = CatalogueHandler::imageName(effect);
    const bool loaded = !effect.isEmpty() && catalogue.loadTextResource(resource);
    const QString line = loaded ? catalogue.loadedImageLine() : QString();
    const UploadImage::Checked image = UploadImage::fromImageLine(effect, line);
    if (!image.ok) {
        log.logLine(QStringLiteral("upload refused: ") + image.error);
        editor_.dialogs().information(&main, image.error);
        return;
    }
    if (refusePlaceholder(image.bytes, effect, false))
        return;

    if (!editor_.dialogs().askYesNo(&main, kQuestion))
        return;
    // Nothing of the upload goes out when the image could not follow its bypass.
    if (!session.mayStart(PedalOperation::EffectUpload))
        return;
    session.sendBypass(true);
    editor_.clock().sleepMs(kCatalogueBypassPauseMs);
    session.setReportErrors(true);
    session.beginUpload();

    log.logLine(QStringLiteral("resource name: ") + resource);
    log.logLine(QStringLiteral("size: ") + QString::number(line.size() / 2));
    log.logLine(QStringLiteral("filecontent (first 128 bytes): ") + line.left(256));
    log.logLine(QStringLiteral("num of bytes: ") + QString::number(image.bytes.size()));
    session.writeUpload(image.bytes);
    log.logLine(QStringLiteral("write to device"));
    main.lblStatus()->setText(QStringLiteral("Uploading..."));

    if (!awaitAnswer(Source::Catalogue))
        return;
    session.endUpload();
    editor_.comm->requestStatus();
}

void EffectUploadHandler::menuLoadAlgorithmFromFileClick()
{
    if (refuseReentry())
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    FormMain& main = *editor_.formMain;
    Log& log = editor_.log();
    PedalSession& session = *editor_.session;

    const QString path = editor_.dialogs().openFile(&main, main.OpenDialog1.title, main.OpenDialog1.initialFolder,
                                                    main.OpenDialog1.filter);
    if (path.isEmpty())
        return;
    // Read whole and checked before the pedal is touched: an unreadable, empty
    // or oversized file is never half sent.
    const UploadImage::Checked file = UploadImage::fromFile(path);
    if (!file.ok) {
        log.logLine(QStringLiteral("upload refused: ") + file.error);
        editor_.dialogs().information(&main, file.error);
        return;
    }
    if (refusePlaceholder(file.bytes, QDir::toNativeSeparators(path), true))
        return;
    if (!editor_.dialogs().askYesNo(&main, kQuestion))
        return;
    if (!session.mayStart(PedalOperation::EffectUpload))
        return;

    session.sendBypass(true);
    editor_.clock().sleepMs(kFileBypassPauseMs);
    session.setReportErrors(true);
    session.beginUpload();
    main.OpenDialog1.initialFolder = QFileInfo(path).absolutePath();
    log.logLine(QStringLiteral("Opening - ") + QDir::toNativeSeparators(path));
    const uint32_t sent = session.writeUpload(file.bytes);
    log.logLine(QString::number(sent) + QStringLiteral(" Bytes Sent ..."));

    if (!awaitAnswer(Source::File))
        return;
    session.endUpload();
}

bool EffectUploadHandler::refusePlaceholder(const QByteArray& image, const QString& name, bool fromFile)
{
    if (!Placeholders::isPlaceholder(image) || editor_.session->isVirtualPedal())
        return false;
    const QString text = Placeholders::refusal(
        Placeholders::Kind::Effect, fromFile ? Placeholders::Source::File : Placeholders::Source::Embedded, name);
    editor_.log().logLine(QStringLiteral("upload refused: ") + text.simplified());
    editor_.dialogs().information(editor_.formMain, text);
    return true;
}

bool EffectUploadHandler::awaitAnswer(Source source)
{
    FormMain& main = *editor_.formMain;
    Log& log = editor_.log();
    PedalSession& session = *editor_.session;
    // The wait ends with the watchdog at the latest: the timer, or this same
    // limit on the clock, whichever comes first, reports the failure.
    const int limitMs = session.uploadWatchdog().interval();
    const auto shown = [&](const QByteArray& read) {
        if (source == Source::File)
            log.logLine(QStringLiteral("num of bytes received from device: ") + QString::number(read.size()));
        if (read.isEmpty())
            return;
        // Only this read's bytes: what an older read left in the buffer is not the answer.
        const QString answer = QString::fromLatin1(read.left(kShownAnswer));
        log.logLine(QStringLiteral("received: ") + answer);
        main.lblStatus()->setText(answer);
        if (source == Source::Catalogue)
            session.stopUploadWatchdog();
    };
    bool failed = false;
    if (session.awaitUploadAnswer(shown, &failed))
        return true;
    if (failed) {
        // Unplugged, or unlinked by the watchdog: nothing more to wait for.
        log.logLine(QStringLiteral("upload: the pedal's answer cannot be read"));
    } else {
        log.logLine(QStringLiteral("upload: no answer from the pedal within %1 ms").arg(limitMs));
        if (session.uploadWatchdogRunning()) {
            session.endUpload();
            uploadWatchdogExpired();
        }
    }
    return false;
}

void EffectUploadHandler::uploadWatchdogExpired()
{
    editor_.formMain->lblStatus()->setText(QStringLiteral("Upload Failed"));
    editor_.comm->Disconnect();
    editor_.dialogs().information(editor_.formMain,
                                  QStringLiteral("Upload failed! Disconnect the pedal from USB and try again."));
}
