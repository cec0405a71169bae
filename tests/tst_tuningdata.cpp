// The tuning data table of tracking filters and its upload.

#include "EditorFixture.h"

#include "app/FormMain.h"
#include "link/Hex.h"
#include "tracking/TrackingMessages.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

#include <cmath>

namespace {
// The cookbook's peaking equaliser written out once more, straight from its
// formulas, to hold the table against.
QByteArray sectionFromTheFormulas(int note, double gainDb, double q)
{
    const double f0 = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * M_PI * f0 / 48000.0;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double a0 = 1.0 + alpha / a;
    const double c[5] = {(1.0 + alpha * a) / a0, -2.0 * std::cos(w0) / a0, (1.0 - alpha * a) / a0,
                         2.0 * std::cos(w0) / a0, -(1.0 - alpha / a) / a0};
    QByteArray out;
    for (double x : c) {
        const auto u = static_cast<uint32_t>(static_cast<int32_t>(std::llround(x * 8388608.0)));
        out.append(char(u >> 24)).append(char(u >> 16)).append(char(u >> 8)).append(char(u));
    }
    return out;
}
} // namespace

class TestTuningData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tellingRows_data();
    void tellingRows();
    void wholeTableFollowsTheRule();
    void upload();
    void answeringNoSendsNothing();
};

void TestTuningData::tellingRows_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("coefficients");
    QTest::newRow("0, D2") << 0 << "007FF5EC FF002B70 007FE1AB 00FFD490 FF80286A";
    QTest::newRow("7, A2") << 7 << "007FF0E7 FF004351 007FD291 00FFBCAF FF803C88";
    QTest::newRow("18, C3") << 18 << "007FBD9D FF009D1C 007FAEDD 00FF62E4 FF809386";
    QTest::newRow("27, A3") << 27 << "007F9089 FF0112C5 007F77C4 00FEED3B FF80F7B3";
    QTest::newRow("31, C#4") << 31 << "007F73B6 FF0162AE 007F548A 00FE9D52 FF8137C0";
}

void TestTuningData::tellingRows()
{
    QFETCH(int, section);
    QFETCH(QString, coefficients);
    const QByteArray table = TrackingMessages::tuningTable();
    QCOMPARE(Hex::toHex(table.mid(20 * section, 20)), QString(coefficients).remove(QLatin1Char(' ')));
}

void TestTuningData::wholeTableFollowsTheRule()
{
    QByteArray expected;
    for (int s = 0; s < 18; ++s)
        expected += sectionFromTheFormulas(38 + s, -6.0, 11.0);
    for (int s = 18; s < 32; ++s)
        expected += sectionFromTheFormulas(30 + s, -20.0, 12.0);
    QCOMPARE(expected.size(), 640);
    QCOMPARE(TrackingMessages::tuningTable(), expected);
}

void TestTuningData::upload()
{
    EditorFixture fx;
    fx.startLinked();
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    fx.clock.clearPauses();
    fx.main().ui->menuUploadTuningsData->trigger();

    const QByteArray table = TrackingMessages::tuningTable();
    const QStringList log = fx.logSince(mark);
    QCOMPARE(log.first(), QStringLiteral("tuning data: ") + Hex::toHex(table));
    QCOMPARE(log.first().size(), 13 + 1280);
    QVERIFY(log.contains(QStringLiteral("num_of_bytes: 641")));
    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("Upload Tuning Data?")});

    // Bypass first, 400 ms, then the whole message in one write, then 100 ms.
    const QList<QByteArray> sent = fx.writesSince(writes);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0), QByteArray::fromHex("0D01"));
    QCOMPARE(sent.at(1).size(), 641);
    QVERIFY(sent.at(1).startsWith(QByteArray::fromHex("0E007FF5ECFF002B70")));
    QCOMPARE(sent.at(1).mid(1), table);
    QCOMPARE(fx.clock.pauseLengths(), (QList<int>{400, 100}));
    const auto& w = fx.pedal().writes();
    QCOMPARE(w.last().ms - w.at(w.size() - 2).ms, qint64(400));
    QCOMPARE(fx.pedal().model().tuningData, table);
    QCOMPARE(fx.pedal().model().bypass, uint8_t(1));
}

void TestTuningData::answeringNoSendsNothing()
{
    EditorFixture fx;
    fx.startLinked();
    const int writes = fx.writeMark();
    fx.dialogs.answerNo();
    fx.main().ui->menuUploadTuningsData->trigger();
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QCOMPARE(fx.log().last(), QStringLiteral("tuning data: ") + Hex::toHex(TrackingMessages::tuningTable()));
}

QTEST_MAIN(TestTuningData)
#include "tst_tuningdata.moc"
