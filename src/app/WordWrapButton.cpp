#include "app/WordWrapButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

WordWrapButton::WordWrapButton(QWidget* parent) : QPushButton(parent) {}

void WordWrapButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(1, 0, -1, 0);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    // Where the platform's font runs wider than the one the layout was made
    // for, step the size down until the caption fits rather than clip it.
    QFont fitted = font();
    for (int i = 0; i < 8 && fitted.pointSizeF() > 7.0; ++i) {
        const QRect needed = QFontMetrics(fitted).boundingRect(area, flags, caption);
        if (needed.height() <= area.height() && needed.width() <= area.width())
            break;
        fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
    }
    painter.setFont(fitted);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, flags, caption);
}
