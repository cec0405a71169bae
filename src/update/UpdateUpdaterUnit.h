#pragma once

#include <QWidget>

class Editor;

// The window that brings the updater up to date.
class UpdateUpdaterUnit : public QWidget {
    Q_OBJECT
public:
    explicit UpdateUpdaterUnit(Editor& editor);


private:
    Editor& editor_;
};
