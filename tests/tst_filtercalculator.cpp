// The console's filter calculator and the raw sender's message check: plain
// tables of input and expected output.

#include "console/FilterCalculator.h"
#include "console/RawMessage.h"

#include <QtTest>

#include <cmath>
#include <limits>

using FilterCalculator::Settings;

class TestFilterCalculator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noteList();
    void noteFrequency_data();
    void noteFrequency();
    void theA2ExampleTable();
    void noBoostMeansUnityAndMirroredFeedback_data();
    void noBoostMeansUnityAndMirroredFeedback();
    void headerNamesBoostOrCut_data();
    void headerNamesBoostOrCut();
    void negativeCoefficientsInTwosComplement();
    void fixedPointForm_data();
    void fixedPointForm();
    void settingsWithoutAFilter_data();
    void settingsWithoutAFilter();
    void settingsWithoutAUsableTable_data();
    void settingsWithoutAUsableTable();
    void numbersInTheUsersLocale_data();
    void numbersInTheUsersLocale();
    void rawMessageIsOnlyAWholeParameterMessage_data();
    void rawMessageIsOnlyAWholeParameterMessage();
};

void TestFilterCalculator::noteList()
{
    const QStringList& notes = FilterCalculator::noteNames();
    QCOMPARE(notes.size(), 48);
    QCOMPARE(notes.mid(0, 15), (QStringList{"A1", "A#1", "B1", "C2", "C#2", "D2", "D#2", "E2", "F2", "F#2", "G2",
                                            "G#2", "A2", "A#2", "B2"}));
    QCOMPARE(notes.at(27), QStringLiteral("C4"));
    QCOMPARE(notes.last(), QStringLiteral("G#5"));
}

void TestFilterCalculator::noteFrequency_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("hz");
    QTest::newRow("A1") << 0 << 55.0;
    QTest::newRow("A2") << 12 << 110.0;
    QTest::newRow("A4") << 36 << 440.0;
    QTest::newRow("G#5") << 47 << 830.6093951598903;
}

void TestFilterCalculator::noteFrequency()
{
    QFETCH(int, index);
    QFETCH(double, hz);
    QCOMPARE(FilterCalculator::noteFrequency(Settings{}, index), hz);
}

void TestFilterCalculator::theA2ExampleTable()
{
    Settings s;
    s.q = 1.41;
    s.boostDb = 0;
    QCOMPARE(FilterCalculator::table(s, 12, QLocale::c()),
             (QStringList{
                 QStringLiteral("A2_0db_boost_Q1.41 : array[0..19] of string ="),
                 QStringLiteral("('00', '80', '00', '00', "),
                 QStringLiteral("'FF', '01', '53', 'AD', "),
                 QStringLiteral("'00', '7E', 'B3', '15', "),
                 QStringLiteral("'00', 'FE', 'AC', '53', "),
                 QStringLiteral("'FF', '81', '4C', 'EB');"),
             }));
}

void TestFilterCalculator::noBoostMeansUnityAndMirroredFeedback_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("q");
    QTest::newRow("A1, Q 11") << 0 << 11.0;
    QTest::newRow("E3, Q 0.7") << 19 << 0.7;
    QTest::newRow("G#5, Q 4") << 47 << 4.0;
}

void TestFilterCalculator::noBoostMeansUnityAndMirroredFeedback()
{
    QFETCH(int, index);
    QFETCH(double, q);
    const auto c = PeakingFilter::design(FilterCalculator::noteFrequency(Settings{}, index), 0.0, q);
    QCOMPARE(PeakingFilter::toFixed23(c.b0), 0x00800000);
    QCOMPARE(PeakingFilter::toFixed23(c.c1), -PeakingFilter::toFixed23(c.b1));
    QCOMPARE(PeakingFilter::toFixed23(c.c2), -PeakingFilter::toFixed23(c.b2));
}

void TestFilterCalculator::headerNamesBoostOrCut_data()
{
    QTest::addColumn<double>("boost");
    QTest::addColumn<double>("q");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("header");
    QTest::newRow("cut") << -6.0 << 11.0 << "C" << "E2_6db_cut_Q11 : array[0..19] of string =";
    QTest::newRow("boost") << 6.0 << 11.0 << "C" << "E2_6db_boost_Q11 : array[0..19] of string =";
    QTest::newRow("fraction") << -2.5 << 0.707 << "C" << "E2_2.5db_cut_Q0.707 : array[0..19] of string =";
    QTest::newRow("decimal comma") << 1.5 << 1.41 << "de_DE" << "E2_1,5db_boost_Q1,41 : array[0..19] of string =";
}

void TestFilterCalculator::headerNamesBoostOrCut()
{
    QFETCH(double, boost);
    QFETCH(double, q);
    QFETCH(QString, locale);
    QFETCH(QString, header);
    QCOMPARE(FilterCalculator::header(QStringLiteral("E2"), boost, q, QLocale(locale)), header);
}

void TestFilterCalculator::negativeCoefficientsInTwosComplement()
{
    PeakingFilter::Coefficients c{1.0, -1.989633920908, 0.0, -0.5, 255.0};
    QCOMPARE(FilterCalculator::coefficientLines(c),
             (QStringList{QStringLiteral("('00', '80', '00', '00', "), QStringLiteral("'FF', '01', '53', 'AD', "),
                          QStringLiteral("'00', '00', '00', '00', "), QStringLiteral("'FF', 'C0', '00', '00', "),
                          QStringLiteral("'7F', '80', '00', '00');")}));
}

void TestFilterCalculator::fixedPointForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<bool>("fits"); // the digits stand for the value
    const double lsb = 1.0 / 8388608.0;
    QTest::newRow("1.0") << 1.0 << "00800000" << true;
    QTest::newRow("half a step rounds to even 0") << 0.5 * lsb << "00000000" << true;
    QTest::newRow("one and a half steps round to even 2") << 1.5 * lsb << "00000002" << true;
    QTest::newRow("two and a half steps round to even 2") << 2.5 * lsb << "00000002" << true;
    QTest::newRow("minus one and a half steps") << -1.5 * lsb << "FFFFFFFE" << true;
    QTest::newRow("just under 256") << 256.0 - lsb << "7FFFFFFF" << true;
    QTest::newRow("half a step under 256 rounds to 256") << 256.0 - 0.5 * lsb << "80000000" << false;
    QTest::newRow("-256") << -256.0 << "80000000" << true;
    QTest::newRow("half a step under -256 rounds to even -256") << -256.0 - 0.5 * lsb << "80000000" << true;
    QTest::newRow("a step under -256 wraps") << -256.0 - lsb << "7FFFFFFF" << false;
    QTest::newRow("256 wraps") << 256.0 << "80000000" << false;
    QTest::newRow("far out of range keeps the low bits")
        << std::ldexp(1.0, 41) + std::ldexp(3.0, 12 - 23) << "00003000" << false; // 2^64 + 0x3000 steps
    QTest::newRow("huge") << 1e300 << "00000000" << false;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "00000000" << false;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "00000000" << false;
}

void TestFilterCalculator::fixedPointForm()
{
    QFETCH(double, value);
    QFETCH(QString, digits);
    QFETCH(bool, fits);
    QCOMPARE(PeakingFilter::fixed23Hex(value), digits);
    QCOMPARE(PeakingFilter::fitsFixed23(value), fits);
}

void TestFilterCalculator::settingsWithoutAFilter_data()
{
    QTest::addColumn<double>("q");
    QTest::addColumn<double>("boost");
    QTest::addColumn<bool>("finite");
    QTest::newRow("Q 11, boost -6") << 11.0 << -6.0 << true;
    QTest::newRow("negative Q") << -2.0 << 3.0 << true;
    QTest::newRow("Q 0") << 0.0 << -6.0 << false;
    QTest::newRow("boost 1e6") << 11.0 << 1e6 << false;
    QTest::newRow("boost -1e6") << 11.0 << -1e6 << false;
}

void TestFilterCalculator::settingsWithoutAFilter()
{
    QFETCH(double, q);
    QFETCH(double, boost);
    QFETCH(bool, finite);
    Settings s;
    s.q = q;
    s.boostDb = boost;
    QCOMPARE(PeakingFilter::isFinite(FilterCalculator::design(s, 12)), finite);
}

void TestFilterCalculator::settingsWithoutAUsableTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("q");
    QTest::addColumn<double>("boost");
    QTest::addColumn<QString>("refusal"); // empty: the table is printed
    const QString noQ = QStringLiteral("No filter was calculated: Q is %1, but a filter needs a Q greater than 0. "
                                       "Enter a positive Q, for example 1.41.");
    QTest::newRow("A2, Q 1.41, boost 0") << 12 << 1.41 << 0.0 << QString();
    QTest::newRow("G#5, Q 0.1, boost 24") << 47 << 0.1 << 24.0 << QString();
    QTest::newRow("A1, Q 0.001, cut 80") << 0 << 0.001 << -80.0 << QString();
    QTest::newRow("Q 0") << 12 << 0.0 << 0.0 << noQ.arg(QLatin1String("0"));
    QTest::newRow("negative Q") << 12 << -2.0 << 3.0 << noQ.arg(QLatin1String("-2"));
    QTest::newRow("tiny Q, big boost: b0 far beyond 256")
        << 12 << 0.001 << 80.0
        << QStringLiteral("No filter was calculated: with Q 0.001 and boost 80 the coefficient b0 is 672.508, "
                          "outside the range -256 to 256 of the pedal's fixed-point numbers. Use a larger Q or a "
                          "smaller boost.");
    QTest::newRow("boost without a filter")
        << 12 << 11.0 << 1e6
        << QStringLiteral("No filter can be calculated for Q 11 and boost 1000000: its coefficients are not finite "
                          "numbers.");
}

void TestFilterCalculator::settingsWithoutAUsableTable()
{
    QFETCH(int, index);
    QFETCH(double, q);
    QFETCH(double, boost);
    QFETCH(QString, refusal);
    Settings s;
    s.q = q;
    s.boostDb = boost;
    QCOMPARE(FilterCalculator::refusal(s, index, QLocale::c()).value_or(QString()), refusal);
}

void TestFilterCalculator::numbersInTheUsersLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("point") << "en_US" << "1.41" << true << 1.41;
    QTest::newRow("negative") << "en_US" << "-6" << true << -6.0;
    QTest::newRow("comma in German") << "de_DE" << "1,41" << true << 1.41;
    QTest::newRow("point in German") << "de_DE" << "1.41" << false << 0.0;
    QTest::newRow("group separator") << "en_US" << "1,000" << false << 0.0;
    QTest::newRow("letters") << "en_US" << "abc" << false << 0.0;
    QTest::newRow("empty") << "en_US" << "" << false << 0.0;
    QTest::newRow("sign alone") << "en_US" << "-" << false << 0.0;
}

void TestFilterCalculator::numbersInTheUsersLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const std::optional<double> parsed = FilterCalculator::parseNumber(text, QLocale(locale));
    QCOMPARE(parsed.has_value(), ok);
    if (ok) {
        QCOMPARE(*parsed, value);
        QCOMPARE(FilterCalculator::formatNumber(*parsed, QLocale(locale)), text);
    }
}

void TestFilterCalculator::rawMessageIsOnlyAWholeParameterMessage_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("message"); // empty: refused
    QTest::newRow("parameter message") << "0012" << "00800000" << "01001200800000";
    QTest::newRow("lower case kept") << "00ab" << "ffffffff" << "0100abffffffff";
    QTest::newRow("the edits' own texts") << "addr" << "data" << "";
    QTest::newRow("short address") << "12" << "00800000" << "";
    QTest::newRow("short data") << "0012" << "0080" << "";
    QTest::newRow("long data") << "0012" << "008000000" << "";
    QTest::newRow("letter beyond F") << "0012" << "0080000G" << "";
    QTest::newRow("blank inside") << "00 2" << "00800000" << "";
}

void TestFilterCalculator::rawMessageIsOnlyAWholeParameterMessage()
{
    QFETCH(QString, address);
    QFETCH(QString, data);
    QFETCH(QString, message);
    QCOMPARE(RawMessage::parameterMessage(address, data).value_or(QString()), message);
}

QTEST_GUILESS_MAIN(TestFilterCalculator)
#include "tst_filtercalculator.moc"
