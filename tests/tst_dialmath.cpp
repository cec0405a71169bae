#include "editor/DialMath.h"

#include <QTest>

class TestDialMath : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dialToLevel_data();
    void dialToLevel();
    void normalizeAngle_data();
    void normalizeAngle();
    void valueToDialAngle_data();
    void valueToDialAngle();
    void everyLevelOnTheScaleComesBackClose();
};

void TestDialMath::dialToLevel_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("shown");

    QTest::newRow("minimum") << -135 << 0 << -135;
    QTest::newRow("left") << 180 << 167 << 180;
    QTest::newRow("just past left") << -179 << 167 << -179;
    QTest::newRow("up") << 90 << 510 << 90;
    QTest::newRow("right") << 0 << 852 << 0;
    QTest::newRow("just below right") << -1 << 856 << -1;
    QTest::newRow("maximum") << -45 << 1023 << -45;
    QTest::newRow("dead zone, minimum side") << -100 << 0 << -135;
    QTest::newRow("dead zone, maximum side") << -80 << 1023 << -45;
    QTest::newRow("dead zone middle goes down") << -90 << 0 << -135;
    QTest::newRow("dead zone next to minimum") << -134 << 0 << -135;
    QTest::newRow("dead zone next to maximum") << -46 << 1023 << -45;
    QTest::newRow("-180 is left") << -180 << 167 << 180;
    QTest::newRow("a whole turn more") << 360 + 90 << 510 << 90;
}

void TestDialMath::dialToLevel()
{
    QFETCH(int, angle);
    QFETCH(int, level);
    QFETCH(int, shown);
    int snapped = 12345;
    QCOMPARE(DialMath::dialToLevel(angle, &snapped), level);
    QCOMPARE(snapped, shown);
    QCOMPARE(DialMath::dialToLevel(angle), level);
}

void TestDialMath::normalizeAngle_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("normal");
    QTest::newRow("in range") << -179 << -179;
    QTest::newRow("180 stays") << 180 << 180;
    QTest::newRow("-180 is 180") << -180 << 180;
    QTest::newRow("181") << 181 << -179;
    QTest::newRow("-540") << -540 << 180;
    QTest::newRow("725") << 725 << 5;
}

void TestDialMath::normalizeAngle()
{
    QFETCH(int, angle);
    QFETCH(int, normal);
    QCOMPARE(DialMath::normalizeAngle(angle), normal);
}

void TestDialMath::valueToDialAngle_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("angle");

    auto level = [](quint32 l) { return l << 13; };
    QTest::newRow("level 0") << level(0) << 0 << -135;
    QTest::newRow("level 169") << level(169) << 0 << -179;
    QTest::newRow("level 170") << level(170) << 0 << 180;
    QTest::newRow("level 339") << level(339) << 0 << 135;
    QTest::newRow("level 340") << level(340) << 0 << 136;
    QTest::newRow("level 511") << level(511) << 0 << 90;
    QTest::newRow("level 512") << level(512) << 0 << 89;
    QTest::newRow("level 851") << level(851) << 0 << -1;
    QTest::newRow("level 1023") << level(1023) << 0 << -45;
    // Truncation toward zero inside a segment: -135 + (100 * -44) / 169.
    QTest::newRow("level 100") << level(100) << 0 << -161;
    QTest::newRow("low bits dropped") << (level(512) | 0x1FFFu) << 0 << 89;
    QTest::newRow("Input Level default clamps") << 0x00800000u << 0 << -45;
    QTest::newRow("step 12 of 24") << 12u << 24 << 90;
    QTest::newRow("step 24 of 24") << 24u << 24 << -45;
    QTest::newRow("step 0 of 16") << 0u << 16 << -135;
    QTest::newRow("step 16 of 16 clamps") << 16u << 16 << -45;
    QTest::newRow("step 11 of 22") << 11u << 22 << 90;
    QTest::newRow("step 22 of 22") << 22u << 22 << -45;
}

void TestDialMath::valueToDialAngle()
{
    QFETCH(quint32, value);
    QFETCH(int, steps);
    QFETCH(int, angle);
    QCOMPARE(DialMath::valueToDialAngle(value, steps), angle);
}

void TestDialMath::everyLevelOnTheScaleComesBackClose()
{
    // A shown level lies on the travel, and reading the knob back moves the
    // level by a few steps only (under three degrees of knob).
    for (quint32 l = 0; l <= 1023; ++l) {
        const int a = DialMath::valueToDialAngle(l << 13);
        const int travel = (((-135 - a) % 360) + 360) % 360;
        QVERIFY2(travel <= 270, qPrintable(QStringLiteral("level %1 at %2").arg(l).arg(a)));
        int snapped = 0;
        const int back = DialMath::dialToLevel(a, &snapped);
        QCOMPARE(snapped, a);
        QVERIFY2(qAbs(back - int(l)) <= 10,
                 qPrintable(QStringLiteral("%1 -> %2 -> %3").arg(l).arg(a).arg(back)));
    }
}

QTEST_APPLESS_MAIN(TestDialMath)
#include "tst_dialmath.moc"
