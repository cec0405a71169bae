#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class Editor;

// Uploads of an effect image (the selected catalogue entry, or a file) into
// the pedal: bypass, the whole image in one write, then the pedal's answer,
// watched over by the session's UploadCheckTimer.
class EffectUploadHandler {
public:
    // What lblStatus shows of the pedal's answer.
    static constexpr int kShownAnswer = 17;

    explicit EffectUploadHandler(Editor& editor);

    void btnUploadClick();
    void menuLoadAlgorithmFromFileClick();

    bool uploading() const { return busy_; }

private:
    enum class Source { Catalogue, File };

    // Refuses (and logs) an upload started inside the wait of another.
    bool refuseReentry();
    // True (and the user told why) for a placeholder image on its way to a
    // pedal that is not the virtual one; before anything of the upload is sent.
    bool refusePlaceholder(const QByteArray& image, const QString& name, bool fromFile);
    // Waits for the pedal's answer and shows it; false when none came (the
    // watchdog has then reported the failure, or will).
    bool awaitAnswer(Source source);
    // The pedal's answer did not come in time: the link is given up, and the
    // user told to start afresh.
    void uploadWatchdogExpired();

    Editor& editor_;
    bool busy_ = false;
};
