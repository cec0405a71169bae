#pragma once

#include "tracking/TrackingMessages.h"

#include <QWidget>

#include <array>

namespace Ui {
class formNoteTrackingFilter;
}
class Log;
class PedalSession;
class QCheckBox;

// The note cut window: at most two notes from A2 to E3, sent as note filters.
// Nothing in the editor shows it: the pedal takes command 09 as the tuning
// message, so offering it would change the pedal's tuning.
class NoteTrackingFilter : public QWidget {
    Q_OBJECT
public:
    NoteTrackingFilter(PedalSession& session, Log& log);
    ~NoteTrackingFilter() override;

    Ui::formNoteTrackingFilter* ui;

    // The eight note boxes, A2 first.
    const std::array<QCheckBox*, TrackingMessages::kNotes>& noteBoxes() const { return boxes_; }

    void chkNoteClick(bool checked);
    void btnSaveClick();
    void btnGetClick();

private:
    PedalSession& session_;
    Log& log_;
    std::array<QCheckBox*, TrackingMessages::kNotes> boxes_{};
    int checkedCount_ = 0;
};
