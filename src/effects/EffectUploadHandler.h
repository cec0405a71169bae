#pragma once

#include "seams/FileDialogSettings.h"
#include "session/Outcome.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class CatalogueHandler;
class Clock;
class Communication;
class Dialogs;
class Log;
class PedalSession;
class StatusLine;

// Uploads of an effect image (the selected catalogue entry, or a file) into
// the pedal: bypass, the whole image in one write, then the pedal's answer,
// watched over by the session's UploadCheckTimer.
class EffectUploadHandler : public QObject {
    Q_OBJECT
public:
    // What lblStatus shows of the pedal's answer.
    static constexpr int kShownAnswer = 17;

    EffectUploadHandler(PedalSession& session, CatalogueHandler& catalogue, Communication& comm, Log& log,
                        Dialogs& dialogs, Clock& clock);
    void setStatusLine(StatusLine* line) { statusLine_ = line; }

    // The file dialog of "Load Algorithm from File"; it opens where the last
    // file was taken from.
    FileDialogSettings OpenDialog1;

    Outcome btnUploadClick();
    Outcome menuLoadAlgorithmFromFileClick();

    bool uploading() const { return busy_; }

private:
    enum class Source { Catalogue, File };

    // Refuses (and logs) an upload started inside the wait of another.
    bool refuseReentry();
    // True (and the user told why) for a placeholder image on its way to a
    // pedal that is not the virtual one; before anything of the upload is sent.
    bool refusePlaceholder(const QByteArray& image, const QString& name, bool fromFile);
    // The pedal into bypass, the watchdog started; false (nothing sent) when
    // the session's mode allows no upload.
    bool beginUpload(int bypassPauseMs);
    // Waits for the pedal's answer and shows it; false when none came (the
    // watchdog has then reported the failure, or will).
    bool awaitAnswer(Source source);
    // How an upload whose answer did not come ended: NoAnswer, or NoPedal
    // when the device went away meanwhile.
    Outcome unanswered() const;
    // The pedal's answer did not come in time: the link is given up, and the
    // user told to start afresh.
    void uploadWatchdogExpired();
    void showStatusText(const QString& text);

    PedalSession& session_;
    CatalogueHandler& catalogue_;
    Communication& comm_;
    Log& log_;
    Dialogs& dialogs_;
    Clock& clock_;
    StatusLine* statusLine_ = nullptr;
    bool busy_ = false;
};
