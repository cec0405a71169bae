#include "editor/Switch.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Assistive tools see a check box: a name from the window, and its state.
class SwitchAccessible : public QAccessibleWidget {
public:
    explicit SwitchAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::CheckBox) {}

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = sw()->isOn();
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{toggleAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if ((name == toggleAction() || name == pressAction()) && widget()->isEnabled())
            sw()->toggle();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    Switch* sw() const { return static_cast<Switch*>(widget()); }
};

QAccessibleInterface* switchAccessibleFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String("Switch") && object && object->isWidgetType())
        return new SwitchAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

Switch::Switch(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(switchAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setFocusPolicy(Qt::StrongFocus);
}

void Switch::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    update();
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent ev(this, changed);
        QAccessible::updateAccessibility(&ev);
    }
    Q_EMIT switched();
}

void Switch::toggle() { setOn(!m_on); }

void Switch::setColor(QColor& member, const QColor& c)
{
    if (member == c)
        return;
    member = c;
    update();
}

void Switch::setTrackColor(const QColor& c) { setColor(m_trackColor, c); }
void Switch::setTrackOnColor(const QColor& c) { setColor(m_trackOnColor, c); }
void Switch::setThumbColor(const QColor& c) { setColor(m_thumbColor, c); }
void Switch::setFrameColor(const QColor& c) { setColor(m_frameColor, c); }
void Switch::setLedOnColor(const QColor& c) { setColor(m_ledOnColor, c); }
void Switch::setLedOffColor(const QColor& c) { setColor(m_ledOffColor, c); }
void Switch::setFocusColor(const QColor& c) { setColor(m_focusColor, c); }

QSize Switch::sizeHint() const { return {44, 22}; }
QSize Switch::minimumSizeHint() const { return {24, 12}; }

void Switch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        p.setOpacity(0.45);

    const QRectF area = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (area.width() < 4 || area.height() < 4)
        return;

    // Wide widgets put the LED left of a sideways lever, tall ones above an
    // upright lever (up is on, as on a toggle switch).
    const bool wide = area.width() >= area.height();
    const qreal along = wide ? area.width() : area.height();
    const qreal across = wide ? area.height() : area.width();
    const qreal led = std::min(across * 0.55, along * 0.3);
    const qreal gap = std::max<qreal>(2.0, led * 0.35);
    const qreal trackLen = along - led - gap;
    const qreal trackThick = std::min(across, trackLen * 0.56);

    QPointF ledCentre;
    QRectF track;
    if (wide) {
        ledCentre = QPointF(area.left() + led / 2, area.center().y());
        track = QRectF(area.left() + led + gap, area.center().y() - trackThick / 2, trackLen, trackThick);
    } else {
        ledCentre = QPointF(area.center().x(), area.top() + led / 2);
        track = QRectF(area.center().x() - trackThick / 2, area.top() + led + gap, trackThick, trackLen);
    }

    // LED: a glowing dome when on, a dark lens when off.
    const qreal ledR = led / 2;
    if (m_on) {
        QRadialGradient glow(ledCentre, ledR * 1.6);
        QColor halo = m_ledOnColor;
        halo.setAlpha(110);
        glow.setColorAt(0.55, halo);
        halo.setAlpha(0);
        glow.setColorAt(1.0, halo);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(ledCentre, ledR * 1.6, ledR * 1.6);
    }
    QRadialGradient lens(ledCentre - QPointF(ledR * 0.3, ledR * 0.3), ledR * 1.2);
    const QColor base = m_on ? m_ledOnColor : m_ledOffColor;
    lens.setColorAt(0.0, m_on ? base.lighter(170) : base.lighter(130));
    lens.setColorAt(0.6, base);
    lens.setColorAt(1.0, base.darker(m_on ? 130 : 160));
    p.setPen(QPen(m_frameColor, std::max<qreal>(0.8, ledR * 0.15)));
    p.setBrush(lens);
    p.drawEllipse(ledCentre, ledR * 0.85, ledR * 0.85);

    // The slot.
    const qreal radius = trackThick / 2;
    const QColor fill = m_on ? m_trackOnColor : m_trackColor;
    QLinearGradient slotShade(track.topLeft(), wide ? track.bottomLeft() : track.topRight());
    slotShade.setColorAt(0.0, fill.darker(140));
    slotShade.setColorAt(1.0, fill.lighter(115));
    QPen framePen(m_frameColor, std::max<qreal>(1.0, trackThick * 0.08));
    if (hasFocus()) {
        framePen.setColor(m_focusColor);
        framePen.setWidthF(std::max<qreal>(1.5, trackThick * 0.12));
    }
    p.setPen(framePen);
    p.setBrush(slotShade);
    p.drawRoundedRect(track, radius, radius);

    // The lever's cap, at the far end when on.
    const qreal inset = std::max<qreal>(1.5, trackThick * 0.12);
    const qreal thumbR = radius - inset;
    QPointF thumb;
    if (wide)
        thumb = QPointF(m_on ? track.right() - radius : track.left() + radius, track.center().y());
    else
        thumb = QPointF(track.center().x(), m_on ? track.top() + radius : track.bottom() - radius);
    const QColor cap = m_pressed ? m_thumbColor.darker(115) : m_thumbColor;
    QLinearGradient capShade(thumb - QPointF(thumbR, thumbR), thumb + QPointF(thumbR, thumbR));
    capShade.setColorAt(0.0, cap.lighter(130));
    capShade.setColorAt(1.0, cap.darker(140));
    p.setPen(QPen(m_frameColor, std::max<qreal>(0.8, thumbR * 0.12)));
    p.setBrush(capShade);
    p.drawEllipse(thumb, thumbR, thumbR);
}

void Switch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    update();
    event->accept();
}

void Switch::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    update();
    // Releasing outside is the usual way to change one's mind.
    if (rect().contains(event->position().toPoint()))
        toggle();
    event->accept();
}

void Switch::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        toggle();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
