#pragma once

#include <QPushButton>

// A push button whose caption wraps onto several lines inside its fixed size,
// while text() stays the caption as given.
class WordWrapButton : public QPushButton {
    Q_OBJECT
public:
    explicit WordWrapButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
