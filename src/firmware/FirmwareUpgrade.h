#pragma once

#include <QWidget>

class Editor;

// The firmware upgrade window.
class FirmwareUpgrade : public QWidget {
    Q_OBJECT
public:
    explicit FirmwareUpgrade(Editor& editor);


private:
    Editor& editor_;
};
