#include "tracking/NoteTrackingFilter.h"

#include "app/Editor.h"

NoteTrackingFilter::NoteTrackingFilter(Editor& editor) : editor_(editor)
{
    (void)editor_;
    setObjectName(QStringLiteral("formNoteTrackingFilter"));
    setWindowTitle(QStringLiteral("Note Cut"));
    setFixedSize(222, 115);
}
