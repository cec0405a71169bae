#include "effects/EffectUpload.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "data/Placeholders.h"
#include "effects/Catalogue.h"
#include "effects/UploadImage.h"
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
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

EffectUpload::EffectUpload(Editor& editor) : editor_(editor) {}

bool EffectUpload::refuseReentry()
{
    if (!busy_)
        return false;
    editor_.log().logLine(QStringLiteral("upload refused: another upload is waiting for the pedal"));
    return true;
}

void EffectUpload::btnUploadClick()
{
    if (refuseReentry())
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    FormMain& main = *editor_.formMain;
    Log& log = editor_.log();
    Catalogue& catalogue = *editor_.catalogue;

    log.logLine(Log::banner(QStringLiteral("UPLOAD")));
    main.Timer_USB_Read.stop();

    // The image is loaded and checked before the pedal is touched. A failed
    // load leaves the shared text list as it was, with some other item in it:
    // that must not go to the pedal as this effect.
    const QString effect = catalogue.selectedEffectName();
    const QString resource = Catalogue::imageName(effect);
    const bool loaded = !effect.isEmpty() && catalogue.loadTextResource(resource);
    const QString line = loaded ? catalogue.loadedImageLine() : QString();
    const UploadImage::Checked image = UploadImage::fromImageLine(effect, line);
    if (!image.ok) {
        log.logLine(QStringLiteral("upload refused: ") + image.error);
        editor_.dialogs().information(&main, image.error);
        main.Timer_USB_Read.start();
        return;
    }
    if (refusePlaceholder(image.bytes, effect, false)) {
        main.Timer_USB_Read.start();
        return;
    }

    if (!editor_.dialogs().askYesNo(&main, kQuestion)) {
        main.Timer_USB_Read.start();
        return;
    }
    editor_.comm->sendBypass(true);
    editor_.clock().sleepMs(kCatalogueBypassPauseMs);
    editor_.d2xx->reportErrors = true;
    main.UploadCheckTimer.start();

    log.logLine(QStringLiteral("resource name: ") + resource);
    log.logLine(QStringLiteral("size: ") + QString::number(line.size() / 2));
    log.logLine(QStringLiteral("filecontent (first 128 bytes): ") + line.left(256));
    log.logLine(QStringLiteral("num of bytes: ") + QString::number(image.bytes.size()));
    writeImage(image.bytes);
    log.logLine(QStringLiteral("write to device"));
    main.lblStatus()->setText(QStringLiteral("Uploading..."));

    if (!awaitAnswer(Source::Catalogue))
        return;
    editor_.comm->requestStatus();
    main.UploadCheckTimer.stop();
    main.Timer_USB_Read.start();
}

void EffectUpload::menuLoadAlgorithmFromFileClick()
{
    if (refuseReentry())
        return;
    const QScopedValueRollback<bool> busy(busy_, true);
    FormMain& main = *editor_.formMain;
    Log& log = editor_.log();

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

    editor_.comm->sendBypass(true);
    editor_.clock().sleepMs(kFileBypassPauseMs);
    editor_.d2xx->reportErrors = true;
    main.Timer_USB_Read.stop();
    main.UploadCheckTimer.start();
    main.OpenDialog1.initialFolder = QFileInfo(path).absolutePath();
    log.logLine(QStringLiteral("Opening - ") + QDir::toNativeSeparators(path));
    const uint32_t sent = writeImage(file.bytes);
    log.logLine(QString::number(sent) + QStringLiteral(" Bytes Sent ..."));

    if (!awaitAnswer(Source::File))
        return;
    main.UploadCheckTimer.stop();
    main.Timer_USB_Read.start();
}

bool EffectUpload::refusePlaceholder(const QByteArray& image, const QString& name, bool fromFile)
{
    if (!Placeholders::isPlaceholder(image) || editor_.driver().isVirtualPedal())
        return false;
    const QString text = Placeholders::refusal(
        Placeholders::Kind::Effect, fromFile ? Placeholders::Source::File : Placeholders::Source::Embedded, name);
    editor_.log().logLine(QStringLiteral("upload refused: ") + text.simplified());
    editor_.dialogs().information(editor_.formMain, text);
    return true;
}

uint32_t EffectUpload::writeImage(const QByteArray& image)
{
    // Whatever is queued now (a memory dump nobody read, say) is not the
    // answer to this image.
    editor_.transport->dropStaleBytes(QStringLiteral("the upload"));
    return editor_.transport->writeBytes(image);
}

bool EffectUpload::awaitAnswer(Source source)
{
    FormMain& main = *editor_.formMain;
    Log& log = editor_.log();
    // The wait ends with the watchdog at the latest: the timer, or this same
    // limit on the clock, whichever comes first, reports the failure.
    const int limitMs = main.UploadCheckTimer.interval();
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
            main.UploadCheckTimer.stop();
    };
    bool failed = false;
    if (editor_.transport->readAnswer(limitMs, shown, &failed))
        return true;
    if (failed) {
        // Unplugged, or unlinked by the watchdog: nothing more to wait for.
        log.logLine(QStringLiteral("upload: the pedal's answer cannot be read"));
    } else {
        log.logLine(QStringLiteral("upload: no answer from the pedal within %1 ms").arg(limitMs));
        if (main.UploadCheckTimer.isActive())
            editor_.comm->uploadWatchdogExpired();
    }
    return false;
}
