#pragma once

#include <QWidget>

class Editor;

// The note cut window: up to two notes sent as note filters.
class NoteTrackingFilter : public QWidget {
    Q_OBJECT
public:
    explicit NoteTrackingFilter(Editor& editor);


private:
    Editor& editor_;
};
