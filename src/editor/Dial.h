#pragma once

#include <QColor>
#include <QWidget>

// A pedal knob. Its position is an angle in whole degrees (0 right,
// counter-clockwise positive, always -179..180); the knob travels clockwise
// from -135 over 180 and 90 to -45, and the quarter between the two ends
// through -90 is the dead zone. The mouse may leave the knob in the dead
// zone (the owner snaps it, as the pedal's scale has no levels there); the
// wheel and the keys stop at the ends.
class Dial : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int angle READ angle WRITE setAngle NOTIFY changed)
    Q_PROPERTY(QColor knobColor READ knobColor WRITE setKnobColor)
    Q_PROPERTY(QColor knurlColor READ knurlColor WRITE setKnurlColor)
    Q_PROPERTY(QColor markColor READ markColor WRITE setMarkColor)
    Q_PROPERTY(QColor arcColor READ arcColor WRITE setArcColor)
    Q_PROPERTY(QColor litColor READ litColor WRITE setLitColor)
    Q_PROPERTY(QColor tickColor READ tickColor WRITE setTickColor)
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)

public:
    // Degrees per arrow key or wheel notch, and per Page key.
    static constexpr int kSingleStep = 3;
    static constexpr int kPageStep = 27;

    explicit Dial(QWidget* parent = nullptr);

    int angle() const { return m_angle; }

    QColor knobColor() const { return m_knobColor; }
    QColor knurlColor() const { return m_knurlColor; }
    QColor markColor() const { return m_markColor; }
    QColor arcColor() const { return m_arcColor; }
    QColor litColor() const { return m_litColor; }
    QColor tickColor() const { return m_tickColor; }
    QColor focusColor() const { return m_focusColor; }
    void setKnobColor(const QColor& c);
    void setKnurlColor(const QColor& c);
    void setMarkColor(const QColor& c);
    void setArcColor(const QColor& c);
    void setLitColor(const QColor& c);
    void setTickColor(const QColor& c);
    void setFocusColor(const QColor& c);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Clockwise degrees from the minimum: 0..270 on the travel, more in the
    // dead zone.
    static int travelOf(int angle);

public Q_SLOTS:
    // Any angle is accepted and brought into -179..180; changed() follows only
    // when the angle actually moves.
    void setAngle(int angle);

Q_SIGNALS:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void turnToPointer(const QPointF& pos);
    void stepBy(int degrees);
    void setColor(QColor& member, const QColor& c);

    int m_angle = -135;
    bool m_dragging = false;
    int m_wheelRemainder = 0;

    QColor m_knobColor{0x2a, 0x2a, 0x2e};
    QColor m_knurlColor{0x12, 0x12, 0x14};
    QColor m_markColor{0xf4, 0xf1, 0xe8};
    QColor m_arcColor{0x00, 0x00, 0x00, 0x55};
    QColor m_litColor{0xff, 0x7a, 0x2e};
    QColor m_tickColor{0x80, 0x80, 0x80};
    QColor m_focusColor{0x3d, 0xa5, 0xff};
};
