#include "app/ControlText.h"

#include "app/WordWrapButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>

namespace {
constexpr double kSmallestPoints = 7.0;
constexpr double kStepPoints = 0.25;
const char* const kGivenFont = "quarnelGivenFont";

// The caption as drawn: "&Save" shows "Save", "&&" one ampersand.
QString shownCaption(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        out.append(text.at(i));
    }
    return out;
}

std::optional<ControlText::Fit> buttonFit(const QAbstractButton* button, QStyle::SubElement contents)
{
    if (button->text().isEmpty())
        return std::nullopt;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    const QRect room = button->style()->subElementRect(contents, &option, button);
    int needed = button->fontMetrics().horizontalAdvance(shownCaption(button->text()));
    if (!button->icon().isNull())
        needed += button->iconSize().width() + 4;
    return ControlText::Fit{room.width(), needed};
}
} // namespace

namespace ControlText {

QFont layoutFont(double sizeIn96ths)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(sizeIn96ths * 72.0 / 96.0);
    return font;
}

std::optional<Fit> captionFit(const QWidget* control)
{
    // A layout gives its controls the room their captions ask for.
    const QWidget* parent = control->parentWidget();
    if (!parent || parent->layout())
        return std::nullopt;
    if (qobject_cast<const WordWrapButton*>(control))
        return std::nullopt; // fits its caption itself, over several lines
    if (const auto* button = qobject_cast<const QPushButton*>(control))
        return buttonFit(button, QStyle::SE_PushButtonContents);
    if (const auto* box = qobject_cast<const QCheckBox*>(control))
        return buttonFit(box, QStyle::SE_CheckBoxContents);
    if (const auto* radio = qobject_cast<const QRadioButton*>(control))
        return buttonFit(radio, QStyle::SE_RadioButtonContents);
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        const QString text = label->text();
        const bool rich = label->textFormat() == Qt::RichText
                          || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        if (text.isEmpty() || label->wordWrap() || rich || text.contains(QLatin1Char('\n')))
            return std::nullopt;
        const int indent = label->indent() > 0 ? label->indent() : 0;
        const int room = label->contentsRect().width() - 2 * label->margin() - indent;
        const QString shown = label->buddy() ? shownCaption(text) : text;
        return Fit{room, label->fontMetrics().horizontalAdvance(shown)};
    }
    return std::nullopt;
}

void fitCaptions(QWidget* window)
{
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QVariant given = control->property(kGivenFont);
        if (given.isValid())
            control->setFont(given.value<QFont>());
        std::optional<Fit> fit = captionFit(control);
        if (!fit || fit->fits())
            continue;
        const QFont original = control->font();
        if (!given.isValid())
            control->setProperty(kGivenFont, original);
        QFont font = original;
        double points = font.pointSizeF();
        if (points <= 0)
            continue; // sized in pixels: not one of the layouts' fonts
        while (fit && !fit->fits() && points - kStepPoints >= kSmallestPoints) {
            points -= kStepPoints;
            font.setPointSizeF(points);
            control->setFont(font);
            fit = captionFit(control);
        }
    }
}

} // namespace ControlText
