// The progress of an upload or upgrade: a bar redrawn in place on a terminal,
// one line per tenth elsewhere.

#include "cli/ProgressDisplay.h"

#include <QtTest>

using Cli::ProgressDisplay;

namespace {
struct Step {
    qint64 done;
    qint64 total;
    qint64 elapsedMs;
};

QString run(const QList<Step>& steps, bool terminal, const QString& label, bool finish = true)
{
    QString out;
    QTextStream stream(&out);
    ProgressDisplay display(stream, terminal, label);
    for (const Step& s : steps)
        display.show(s.done, s.total, s.elapsedMs);
    if (finish)
        display.finish();
    stream.flush();
    return out;
}
} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestCliProgress : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesPerTenth_data();
    void linesPerTenth();
    void barLine_data();
    void barLine();
    void terminalRedrawsOneLine();
};

void TestCliProgress::linesPerTenth_data()
{
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expected");

    QList<Step> everyBlock;
    for (qint64 i = 0; i <= 211; ++i)
        everyBlock.append({i, 211, i * 40});
    QTest::newRow("211 blocks of a firmware, once each")
        << everyBlock << "Writing"
        << "Writing 10 %\nWriting 20 %\nWriting 30 %\nWriting 40 %\nWriting 50 %\nWriting 60 %\nWriting 70 %\n"
           "Writing 80 %\nWriting 90 %\nWriting 100 %\n";
    QTest::newRow("a jump over tenths writes each") << QList<Step>{{5, 100, 1}, {35, 100, 2}} << ""
                                                    << "10 %\n20 %\n30 %\n";
    QTest::newRow("the same tenth again writes nothing")
        << QList<Step>{{10, 100, 1}, {12, 100, 2}, {19, 100, 3}} << "" << "10 %\n";
    QTest::newRow("nothing done yet") << QList<Step>{{0, 100, 0}, {9, 100, 500}} << "" << "";
    QTest::newRow("more than the whole counts as the whole") << QList<Step>{{150, 100, 1}} << ""
        << "10 %\n20 %\n30 %\n40 %\n50 %\n60 %\n70 %\n80 %\n90 %\n100 %\n";
    QTest::newRow("no total shows nothing") << QList<Step>{{0, 0, 0}, {5, 0, 10}} << "" << "";
}

void TestCliProgress::linesPerTenth()
{
    QFETCH(QList<Step>, steps);
    QFETCH(QString, label);
    QFETCH(QString, expected);
    QCOMPARE(run(steps, false, label), expected);
}

void TestCliProgress::barLine_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("expected");

    QTest::newRow("start: no rate yet") << qint64(0) << qint64(200) << qint64(0)
                                        << "Writing [------------------------------]   0 %";
    QTest::newRow("a quarter after 10 s") << qint64(50) << qint64(200) << qint64(10000)
                                          << "Writing [#######-----------------------]  25 %  about 30 s left";
    // Part of a second left is still "about 1 s".
    QTest::newRow("almost done") << qint64(199) << qint64(200) << qint64(19900)
                                 << "Writing [#############################-]  99 %  about 1 s left";
    QTest::newRow("done: nothing left") << qint64(200) << qint64(200) << qint64(20000)
                                        << "Writing [##############################] 100 %";
}

void TestCliProgress::barLine()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, expected);
    QCOMPARE(ProgressDisplay::barLine(QStringLiteral("Writing"), done, total, elapsedMs), expected);
}

void TestCliProgress::terminalRedrawsOneLine()
{
    // Drawn again only when the line changes, each time from the start of the
    // line, with blanks over a longer line before; finish() ends the line.
    const QString out = run({{50, 100, 5000}, {50, 100, 5000}, {99, 100, 9900}, {100, 100, 10000}}, true, "");
    const QString half = ProgressDisplay::barLine(QString(), 50, 100, 5000);
    const QString most = ProgressDisplay::barLine(QString(), 99, 100, 9900);
    const QString all = ProgressDisplay::barLine(QString(), 100, 100, 10000);
    QVERIFY(all.size() < most.size());
    QCOMPARE(out, QLatin1Char('\r') + half + QLatin1Char('\r') + most + QLatin1Char('\r') + all
                      + QString(most.size() - all.size(), QLatin1Char(' ')) + QLatin1Char('\n'));

    // A failure half-way: its message starts on a line of its own.
    QCOMPARE(run({{30, 100, 3000}}, true, ""),
             QLatin1Char('\r') + ProgressDisplay::barLine(QString(), 30, 100, 3000) + QLatin1Char('\n'));
    // Nothing drawn, nothing to end.
    QCOMPARE(run({}, true, ""), QString());
}

QTEST_GUILESS_MAIN(TestCliProgress)
#include "tst_cliprogress.moc"
