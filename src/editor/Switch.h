#pragma once

#include <QColor>
#include <QWidget>

// An on/off toggle drawn as a small footswitch with a status LED beside it.
// Click or Space toggles it; switched() follows every real change, whether
// made by the user or by code.
class Switch : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn WRITE setOn NOTIFY switched)
    Q_PROPERTY(QColor trackColor READ trackColor WRITE setTrackColor)
    Q_PROPERTY(QColor trackOnColor READ trackOnColor WRITE setTrackOnColor)
    Q_PROPERTY(QColor thumbColor READ thumbColor WRITE setThumbColor)
    Q_PROPERTY(QColor frameColor READ frameColor WRITE setFrameColor)
    Q_PROPERTY(QColor ledOnColor READ ledOnColor WRITE setLedOnColor)
    Q_PROPERTY(QColor ledOffColor READ ledOffColor WRITE setLedOffColor)
    Q_PROPERTY(QColor focusColor READ focusColor WRITE setFocusColor)

public:
    explicit Switch(QWidget* parent = nullptr);

    bool isOn() const { return m_on; }

    QColor trackColor() const { return m_trackColor; }
    QColor trackOnColor() const { return m_trackOnColor; }
    QColor thumbColor() const { return m_thumbColor; }
    QColor frameColor() const { return m_frameColor; }
    QColor ledOnColor() const { return m_ledOnColor; }
    QColor ledOffColor() const { return m_ledOffColor; }
    QColor focusColor() const { return m_focusColor; }
    void setTrackColor(const QColor& c);
    void setTrackOnColor(const QColor& c);
    void setThumbColor(const QColor& c);
    void setFrameColor(const QColor& c);
    void setLedOnColor(const QColor& c);
    void setLedOffColor(const QColor& c);
    void setFocusColor(const QColor& c);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setOn(bool on);
    void toggle();

Q_SIGNALS:
    void switched();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setColor(QColor& member, const QColor& c);

    bool m_on = false;
    bool m_pressed = false;

    QColor m_trackColor{0x2b, 0x2b, 0x2f};
    QColor m_trackOnColor{0x4a, 0x4a, 0x50};
    QColor m_thumbColor{0xd8, 0xd8, 0xdc};
    QColor m_frameColor{0x10, 0x10, 0x12};
    QColor m_ledOnColor{0xff, 0x30, 0x24};
    QColor m_ledOffColor{0x4a, 0x14, 0x12};
    QColor m_focusColor{0x3d, 0xa5, 0xff};
};
