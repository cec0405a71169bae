#include "editor/Dial.h"
#include "editor/Switch.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

// A dial 100 x 100 whose centre is (50, 50): the pointer angle of a point is
// easy to read off.
struct ShownDial {
    Dial dial;
    ShownDial()
    {
        dial.resize(100, 100);
        dial.show();
    }
};

void sendMove(QWidget* w, QPointF pos)
{
    QMouseEvent ev(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(w, &ev);
}

void sendWheel(QWidget* w, int deltaY)
{
    const QPointF pos(50, 50);
    QWheelEvent ev(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &ev);
}

// How many pixels of the image are close to the colour.
int pixelsNear(const QImage& img, const QColor& c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (p.alpha() > 200 && qAbs(p.red() - c.red()) < 40 && qAbs(p.green() - c.green()) < 40
                && qAbs(p.blue() - c.blue()) < 40)
                ++n;
        }
    }
    return n;
}

QImage render(QWidget& w, qreal dpr)
{
    QImage img(w.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dialStartsAtMinimum();
    void dialNormalisesAngles_data();
    void dialNormalisesAngles();
    void dialSignalsOnlyRealChanges();
    void dialFollowsTheDraggedPointer();
    void dialWheelStepsAndStopsAtTheEnds();
    void dialKeys_data();
    void dialKeys();
    void dialLeavesOtherKeysToTheWindow();
    void dialIsAccessible();
    void dialLightsTheTravelUpToTheKnob_data();
    void dialLightsTheTravelUpToTheKnob();

    void switchSignalsOnlyRealChanges();
    void switchTogglesByClickAndSpace();
    void switchReleaseOutsideDoesNotToggle();
    void switchIsAccessible();
    void switchShowsItsLed();
};

void TestWidgets::dialStartsAtMinimum()
{
    Dial dial;
    QCOMPARE(dial.angle(), -135);
    QVERIFY(dial.focusPolicy() & Qt::TabFocus);
}

void TestWidgets::dialNormalisesAngles_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("angle");
    QTest::newRow("left is 180") << 180 << 180;
    QTest::newRow("-180 is 180") << -180 << 180;
    QTest::newRow("-179 stays") << -179 << -179;
    QTest::newRow("181") << 181 << -179;
    QTest::newRow("270 is down") << 270 << -90;
    QTest::newRow("two turns and left") << 900 << 180;
    QTest::newRow("dead zone kept") << -128 << -128;
}

void TestWidgets::dialNormalisesAngles()
{
    QFETCH(int, set);
    QFETCH(int, angle);
    Dial dial;
    dial.setAngle(set);
    QCOMPARE(dial.angle(), angle);
}

void TestWidgets::dialSignalsOnlyRealChanges()
{
    Dial dial;
    QSignalSpy spy(&dial, &Dial::changed);
    dial.setAngle(-135);
    QCOMPARE(spy.count(), 0);
    dial.setAngle(90);
    QCOMPARE(spy.count(), 1);
    dial.setAngle(90 + 360);
    QCOMPARE(spy.count(), 1);
    dial.setAngle(180);
    dial.setAngle(-180);
    QCOMPARE(spy.count(), 2);
}

void TestWidgets::dialFollowsTheDraggedPointer()
{
    ShownDial d;
    QSignalSpy spy(&d.dial, &Dial::changed);

    QTest::mousePress(&d.dial, Qt::LeftButton, Qt::NoModifier, QPoint(10, 50));
    QCOMPARE(d.dial.angle(), 180);
    sendMove(&d.dial, QPointF(50, 10));
    QCOMPARE(d.dial.angle(), 90);
    sendMove(&d.dial, QPointF(90, 10));
    QCOMPARE(d.dial.angle(), 45);
    // Into the dead zone: the dial shows it, its owner snaps it.
    sendMove(&d.dial, QPointF(60, 90));
    QCOMPARE(d.dial.angle(), -76);
    QTest::mouseRelease(&d.dial, Qt::LeftButton, Qt::NoModifier, QPoint(90, 90));
    QCOMPARE(d.dial.angle(), -45);
    QCOMPARE(spy.count(), 5);

    // Without a pressed button the pointer passes over and changes nothing.
    sendMove(&d.dial, QPointF(10, 50));
    QCOMPARE(d.dial.angle(), -45);
    QCOMPARE(spy.count(), 5);
}

void TestWidgets::dialWheelStepsAndStopsAtTheEnds()
{
    ShownDial d;
    QSignalSpy spy(&d.dial, &Dial::changed);

    sendWheel(&d.dial, -120); // back, already at the minimum
    QCOMPARE(d.dial.angle(), -135);
    QCOMPARE(spy.count(), 0);

    sendWheel(&d.dial, 120);
    QCOMPARE(d.dial.angle(), -135 - Dial::kSingleStep);

    // Fine-grained wheels send parts of a notch.
    sendWheel(&d.dial, 60);
    QCOMPARE(d.dial.angle(), -135 - Dial::kSingleStep);
    sendWheel(&d.dial, 60);
    QCOMPARE(d.dial.angle(), -135 - 2 * Dial::kSingleStep);

    d.dial.setAngle(-44);
    sendWheel(&d.dial, 3 * 120);
    QCOMPARE(d.dial.angle(), -45);
    spy.clear();
    sendWheel(&d.dial, 120);
    QCOMPARE(d.dial.angle(), -45);
    QCOMPARE(spy.count(), 0);
}

void TestWidgets::dialKeys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("angle");

    const int s = Dial::kSingleStep;
    const int pg = Dial::kPageStep;
    QTest::newRow("Up turns clockwise") << -135 << int(Qt::Key_Up) << -135 - s;
    QTest::newRow("Right turns clockwise") << 90 << int(Qt::Key_Right) << 90 - s;
    QTest::newRow("Down turns back") << 90 << int(Qt::Key_Down) << 90 + s;
    QTest::newRow("Left turns back") << 90 << int(Qt::Key_Left) << 90 + s;
    QTest::newRow("Down stops at the minimum") << -135 << int(Qt::Key_Down) << -135;
    QTest::newRow("Down lands on the minimum") << -136 << int(Qt::Key_Down) << -135;
    QTest::newRow("Up stops at the maximum") << -45 << int(Qt::Key_Up) << -45;
    QTest::newRow("Up lands on the maximum") << -44 << int(Qt::Key_Up) << -45;
    QTest::newRow("Up crosses left") << -178 << int(Qt::Key_Up) << 179;
    QTest::newRow("Down crosses left") << 179 << int(Qt::Key_Down) << -178;
    QTest::newRow("PageUp") << -135 << int(Qt::Key_PageUp) << -135 - pg;
    QTest::newRow("PageDown stops at the minimum") << -150 << int(Qt::Key_PageDown) << -135;
    QTest::newRow("PageUp stops at the maximum") << -30 << int(Qt::Key_PageUp) << -45;
    QTest::newRow("Home") << 90 << int(Qt::Key_Home) << -135;
    QTest::newRow("End") << 90 << int(Qt::Key_End) << -45;
    // From a dead-zone angle (a drag or a start value) keys move from the
    // nearer end and never stay in the dead zone.
    QTest::newRow("Up from the dead zone near the minimum") << -128 << int(Qt::Key_Up) << -135 - s;
    QTest::newRow("Down from the dead zone near the minimum") << -100 << int(Qt::Key_Down) << -135;
    QTest::newRow("Up from the dead zone near the maximum") << -80 << int(Qt::Key_Up) << -45;
    QTest::newRow("Down from the dead zone near the maximum") << -80 << int(Qt::Key_Down) << -45 + s;
}

void TestWidgets::dialKeys()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, angle);
    ShownDial d;
    d.dial.setAngle(start);
    QTest::keyClick(&d.dial, Qt::Key(key));
    QCOMPARE(d.dial.angle(), angle);
}

void TestWidgets::dialLeavesOtherKeysToTheWindow()
{
    ShownDial d;
    QKeyEvent ev(QEvent::KeyPress, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::sendEvent(&d.dial, &ev);
    QVERIFY(!ev.isAccepted());
    QCOMPARE(d.dial.angle(), -135);
}

void TestWidgets::dialIsAccessible()
{
    Dial dial;
    dial.setAccessibleName(QStringLiteral("Dry"));
    dial.setAngle(90);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&dial);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Dial);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Dry"));
    QAccessibleValueInterface* value = iface->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toInt(), 510);
    QCOMPARE(value->maximumValue().toInt(), 1023);
    value->setCurrentValue(1023);
    QCOMPARE(dial.angle(), -45);
}

void TestWidgets::dialLightsTheTravelUpToTheKnob_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<bool>("lit");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("minimum") << -135 << false << 1.0;
    QTest::newRow("maximum") << -45 << true << 1.0;
    QTest::newRow("maximum, high density") << -45 << true << 2.0;
    QTest::newRow("dead zone near the minimum") << -110 << false << 1.0;
}

void TestWidgets::dialLightsTheTravelUpToTheKnob()
{
    QFETCH(int, angle);
    QFETCH(bool, lit);
    QFETCH(qreal, dpr);
    Dial dial;
    dial.resize(40, 40);
    const QColor green(0, 255, 0);
    dial.setLitColor(green);
    dial.setAngle(angle);
    const QImage img = render(dial, dpr);
    QCOMPARE(pixelsNear(img, green) > int(20 * dpr * dpr), lit);
}

void TestWidgets::switchSignalsOnlyRealChanges()
{
    Switch sw;
    QVERIFY(!sw.isOn());
    QSignalSpy spy(&sw, &Switch::switched);
    sw.setOn(false);
    QCOMPARE(spy.count(), 0);
    sw.setOn(true);
    sw.setOn(true);
    QCOMPARE(spy.count(), 1);
    QVERIFY(sw.isOn());
    sw.setOn(false);
    QCOMPARE(spy.count(), 2);
}

void TestWidgets::switchTogglesByClickAndSpace()
{
    Switch sw;
    sw.resize(44, 22);
    sw.show();
    QSignalSpy spy(&sw, &Switch::switched);

    QTest::mouseClick(&sw, Qt::LeftButton);
    QVERIFY(sw.isOn());
    QTest::keyClick(&sw, Qt::Key_Space);
    QVERIFY(!sw.isOn());
    QTest::keyClick(&sw, Qt::Key_Return);
    QVERIFY(!sw.isOn());
    QTest::mouseClick(&sw, Qt::RightButton);
    QVERIFY(!sw.isOn());
    QCOMPARE(spy.count(), 2);
}

void TestWidgets::switchReleaseOutsideDoesNotToggle()
{
    Switch sw;
    sw.resize(44, 22);
    sw.show();
    QTest::mousePress(&sw, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QTest::mouseRelease(&sw, Qt::LeftButton, Qt::NoModifier, QPoint(200, 10));
    QVERIFY(!sw.isOn());
}

void TestWidgets::switchIsAccessible()
{
    Switch sw;
    sw.setAccessibleName(QStringLiteral("Bypass"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&sw);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::CheckBox);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Bypass"));
    QVERIFY(iface->state().checkable);
    QVERIFY(!iface->state().checked);
    sw.setOn(true);
    QVERIFY(iface->state().checked);
    QAccessibleActionInterface* actions = iface->actionInterface();
    QVERIFY(actions);
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(!sw.isOn());
}

void TestWidgets::switchShowsItsLed()
{
    Switch sw;
    sw.resize(44, 22);
    const QColor green(0, 255, 0);
    sw.setLedOnColor(green);
    sw.setLedOffColor(QColor(0, 40, 0));
    QCOMPARE(pixelsNear(render(sw, 2.0), green), 0);
    sw.setOn(true);
    QVERIFY(pixelsNear(render(sw, 2.0), green) > 20);
    // Upright switches draw too.
    sw.resize(22, 44);
    QVERIFY(pixelsNear(render(sw, 1.0), green) > 5);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
