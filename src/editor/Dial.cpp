#include "editor/Dial.h"

#include "editor/DialMath.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>

namespace {

constexpr int kTravel = 270;
constexpr int kKnurlTeeth = 24;

// Screen readers hear the level the pedal gets (0..1023), not the angle.
class DialAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit DialAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Dial) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(currentValue().toInt());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return DialMath::dialToLevel(dial()->angle()); }
    void setCurrentValue(const QVariant& value) override
    {
        const int level = std::clamp(value.toInt(), 0, DialMath::kHighestLevel);
        dial()->setAngle(DialMath::valueToDialAngle(static_cast<quint32>(level) << 13));
    }
    QVariant maximumValue() const override { return DialMath::kHighestLevel; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    Dial* dial() const { return static_cast<Dial*>(widget()); }
};

QAccessibleInterface* dialAccessibleFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String("Dial") && object && object->isWidgetType())
        return new DialAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

QPointF pointAt(const QPointF& centre, qreal radius, qreal degrees)
{
    const qreal rad = qDegreesToRadians(degrees);
    return centre + QPointF(radius * qCos(rad), -radius * qSin(rad));
}

// Degrees of the travel to light: none or all of it while the knob rests in
// the dead zone, by the side it would snap to.
int litTravel(int angle)
{
    const int t = Dial::travelOf(angle);
    if (t <= kTravel)
        return t;
    return t >= 315 ? 0 : kTravel;
}

} // namespace

Dial::Dial(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(dialAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setFocusPolicy(Qt::WheelFocus);
}

int Dial::travelOf(int angle)
{
    int t = (DialMath::kMinimumAngle - DialMath::normalizeAngle(angle)) % 360;
    return t < 0 ? t + 360 : t;
}

void Dial::setAngle(int angle)
{
    const int a = DialMath::normalizeAngle(angle);
    if (a == m_angle)
        return;
    m_angle = a;
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent ev(this, DialMath::dialToLevel(a));
        QAccessible::updateAccessibility(&ev);
    }
    Q_EMIT changed();
}

void Dial::setColor(QColor& member, const QColor& c)
{
    if (member == c)
        return;
    member = c;
    update();
}

void Dial::setKnobColor(const QColor& c) { setColor(m_knobColor, c); }
void Dial::setKnurlColor(const QColor& c) { setColor(m_knurlColor, c); }
void Dial::setMarkColor(const QColor& c) { setColor(m_markColor, c); }
void Dial::setArcColor(const QColor& c) { setColor(m_arcColor, c); }
void Dial::setLitColor(const QColor& c) { setColor(m_litColor, c); }
void Dial::setTickColor(const QColor& c) { setColor(m_tickColor, c); }
void Dial::setFocusColor(const QColor& c) { setColor(m_focusColor, c); }

QSize Dial::sizeHint() const { return {40, 40}; }
QSize Dial::minimumSizeHint() const { return {20, 20}; }

void Dial::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        p.setOpacity(0.45);

    const QRectF area = QRectF(rect());
    const QPointF c = area.center();
    const qreal side = std::min(area.width(), area.height());
    const qreal R = side / 2.0 - 1.0;
    if (R <= 2.0)
        return;

    if (hasFocus()) {
        QPen ring(m_focusColor, std::max<qreal>(1.2, R * 0.07));
        p.setPen(ring);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, R - ring.widthF() / 2, R - ring.widthF() / 2);
    }

    // The scale: the whole travel dim, the part up to the knob lit.
    const qreal arcR = R * 0.84;
    const qreal arcW = std::max<qreal>(1.5, R * 0.13);
    const QRectF arcRect(c.x() - arcR, c.y() - arcR, 2 * arcR, 2 * arcR);
    QPen arcPen(m_arcColor, arcW, Qt::SolidLine, Qt::FlatCap);
    p.setPen(arcPen);
    p.drawArc(arcRect, DialMath::kMinimumAngle * 16, -kTravel * 16);
    const int lit = litTravel(m_angle);
    if (lit > 0) {
        arcPen.setColor(m_litColor);
        p.setPen(arcPen);
        p.drawArc(arcRect, DialMath::kMinimumAngle * 16, -lit * 16);
    }

    // End ticks just outside the scale.
    QPen tickPen(m_tickColor, std::max<qreal>(1.2, R * 0.08), Qt::SolidLine, Qt::RoundCap);
    p.setPen(tickPen);
    for (int end : {DialMath::kMinimumAngle, DialMath::kMaximumAngle})
        p.drawLine(pointAt(c, R * 0.70, end), pointAt(c, R * 0.99, end));

    // The knurled skirt turns with the knob, so a turn is visible at its rim.
    const qreal skirtR = R * 0.68;
    const qreal rootR = R * 0.61;
    QPainterPath skirt;
    for (int i = 0; i < 2 * kKnurlTeeth; ++i) {
        const qreal deg = m_angle + i * (180.0 / kKnurlTeeth);
        const QPointF pt = pointAt(c, (i % 2) ? rootR : skirtR, deg);
        if (i == 0)
            skirt.moveTo(pt);
        else
            skirt.lineTo(pt);
    }
    skirt.closeSubpath();
    QRadialGradient skirtShade(c, skirtR);
    skirtShade.setColorAt(0.0, m_knurlColor.lighter(160));
    skirtShade.setColorAt(1.0, m_knurlColor);
    p.setPen(QPen(m_knurlColor.darker(160), std::max<qreal>(0.6, R * 0.03)));
    p.setBrush(skirtShade);
    p.drawPath(skirt);

    // The cap, lit from the upper left.
    const qreal capR = R * 0.52;
    QLinearGradient capShade(pointAt(c, capR, 135), pointAt(c, capR, -45));
    capShade.setColorAt(0.0, m_knobColor.lighter(175));
    capShade.setColorAt(0.5, m_knobColor);
    capShade.setColorAt(1.0, m_knobColor.darker(150));
    p.setPen(QPen(m_knobColor.darker(200), std::max<qreal>(0.6, R * 0.03)));
    p.setBrush(capShade);
    p.drawEllipse(c, capR, capR);
    QRadialGradient sheen(pointAt(c, capR * 0.35, 120), capR * 0.9);
    QColor hi = m_knobColor.lighter(220);
    hi.setAlpha(90);
    sheen.setColorAt(0.0, hi);
    hi.setAlpha(0);
    sheen.setColorAt(1.0, hi);
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawEllipse(c, capR * 0.92, capR * 0.92);

    // The pointer runs from near the centre across the skirt.
    QPen markPen(m_markColor, std::max<qreal>(1.5, R * 0.11), Qt::SolidLine, Qt::RoundCap);
    p.setPen(markPen);
    p.drawLine(pointAt(c, R * 0.14, m_angle), pointAt(c, R * 0.62, m_angle));
}

void Dial::turnToPointer(const QPointF& pos)
{
    const QPointF d = pos - QRectF(rect()).center();
    // Too close to the centre to tell a direction.
    if (std::hypot(d.x(), d.y()) < 2.0)
        return;
    setAngle(qRound(qRadiansToDegrees(std::atan2(-d.y(), d.x()))));
}

void Dial::stepBy(int degrees)
{
    int t = travelOf(m_angle);
    if (t > kTravel)
        t = t >= 315 ? 0 : kTravel;
    t = std::clamp(t + degrees, 0, kTravel);
    setAngle(DialMath::kMinimumAngle - t);
}

void Dial::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    turnToPointer(event->position());
    event->accept();
}

void Dial::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    turnToPointer(event->position());
    event->accept();
}

void Dial::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    turnToPointer(event->position());
    event->accept();
}

void Dial::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    m_wheelRemainder += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = m_wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    m_wheelRemainder %= QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        stepBy(notches * kSingleStep);
    event->accept();
}

void Dial::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        stepBy(kSingleStep);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        stepBy(-kSingleStep);
        break;
    case Qt::Key_PageUp:
        stepBy(kPageStep);
        break;
    case Qt::Key_PageDown:
        stepBy(-kPageStep);
        break;
    case Qt::Key_Home:
        setAngle(DialMath::kMinimumAngle);
        break;
    case Qt::Key_End:
        setAngle(DialMath::kMaximumAngle);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
