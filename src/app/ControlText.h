#pragma once

#include <QFont>

#include <optional>

class QWidget;

// Captions of controls that the windows place at a fixed size: the layouts
// were drawn for Arial with the looks' borders and padding, and a platform
// whose fonts run wider would cut "Erase E2P" to "rase E2F". Each caption that
// does not fit gets its font stepped down until it does.
namespace ControlText {

// The font the layouts were drawn with: Arial, sized in 1/96 inch as the
// layouts measure it.
QFont layoutFont(double sizeIn96ths = 11.0);

// The room a control gives its one-line caption and the room the caption
// takes, in pixels, with the control's style (the look) and font; nothing for
// a control that sizes itself (placed by a layout), wraps its text, or has no
// caption.
struct Fit {
    int available = 0;
    int needed = 0;
    bool fits() const { return needed <= available; }
};
std::optional<Fit> captionFit(const QWidget* control);

// Every control of the window whose caption does not fit gets the largest
// font size, down from the one it was given, at which it does (7 points at
// least). Run again after a change of look: the sizes start from the given
// ones each time.
void fitCaptions(QWidget* window);

} // namespace ControlText
