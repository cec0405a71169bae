#pragma once

#include <QWidget>

class Editor;

// The window that tells of a newer editor.
class NewVersionMsg : public QWidget {
    Q_OBJECT
public:
    explicit NewVersionMsg(Editor& editor);


private:
    Editor& editor_;
};
