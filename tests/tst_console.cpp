// The debug console: lines kept for log.txt, the batched view, scrolling and
// the bound on memory.

#include "console/PrintConsole.h"
#include "ui_PrintConsole.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

class TestConsole : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesAreKeptExactlyAndJoinedWithCrLf();
    void aBurstReachesTheViewInOneBatch();
    void aHiddenViewIsFilledWhenShown();
    void scrollingFollowsTheCheckBox_data();
    void scrollingFollowsTheCheckBox();
    void clearDropsEverything();
    void memoryIsBoundedWithAMarker();
};

void TestConsole::linesAreKeptExactlyAndJoinedWithCrLf()
{
    PrintConsole console;
    console.logLine(QStringLiteral("Dry: \t007FE000"));
    console.appendDirect(QStringLiteral("baud rate = 115200"));
    console.logLine(QString());
    QCOMPARE(console.lines(), (QStringList{QStringLiteral("Dry: \t007FE000"), QStringLiteral("baud rate = 115200"),
                                            QString()}));
    QCOMPARE(console.text(), QStringLiteral("Dry: \t007FE000\r\nbaud rate = 115200\r\n\r\n"));
}

void TestConsole::aBurstReachesTheViewInOneBatch()
{
    PrintConsole console;
    console.show();
    for (int p = 0; p < 16384; ++p)
        console.logLine(QString::number(p) + QStringLiteral(": FF"));
    QCOMPARE(console.ui->Memo1->blockCount(), 1); // nothing drawn yet
    QTRY_COMPARE(console.ui->Memo1->blockCount(), 16384);
    QCOMPARE(console.ui->Memo1->document()->lastBlock().text(), QStringLiteral("16383: FF"));
    QCOMPARE(console.lines().size(), 16384);
}

void TestConsole::aHiddenViewIsFilledWhenShown()
{
    PrintConsole console;
    const int count = PrintConsole::kMaxViewLines + 10;
    for (int i = 0; i < count; ++i)
        console.logLine(QStringLiteral("line %1").arg(i));
    QCoreApplication::processEvents();
    QCOMPARE(console.ui->Memo1->blockCount(), 1); // nobody sees it, nothing is laid out
    QCOMPARE(console.lines().size(), count);

    console.show();
    QCOMPARE(console.ui->Memo1->blockCount(), PrintConsole::kMaxViewLines);
    QCOMPARE(console.ui->Memo1->document()->firstBlock().text(), QStringLiteral("line 10"));
    QCOMPARE(console.ui->Memo1->document()->lastBlock().text(), QStringLiteral("line %1").arg(count - 1));
    QScrollBar* bar = console.ui->Memo1->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());

    // Shown, it follows again line by line; hidden and shown, it is not doubled.
    console.logLine(QStringLiteral("newest"));
    console.flush();
    QCOMPARE(console.ui->Memo1->document()->lastBlock().text(), QStringLiteral("newest"));
    console.hide();
    console.logLine(QStringLiteral("while hidden"));
    console.show();
    QCOMPARE(console.ui->Memo1->blockCount(), PrintConsole::kMaxViewLines);
    QCOMPARE(console.ui->Memo1->document()->lastBlock().text(), QStringLiteral("while hidden"));
}

void TestConsole::scrollingFollowsTheCheckBox_data()
{
    QTest::addColumn<bool>("scroll");
    QTest::addColumn<bool>("direct");
    QTest::addColumn<bool>("atBottom");
    QTest::newRow("scroll on, logLine") << true << false << true;
    QTest::newRow("scroll off, logLine") << false << false << false;
    QTest::newRow("scroll on, direct append") << true << true << false;
}

void TestConsole::scrollingFollowsTheCheckBox()
{
    QFETCH(bool, scroll);
    QFETCH(bool, direct);
    QFETCH(bool, atBottom);
    PrintConsole console;
    console.show();
    console.ui->CheckBox1->setChecked(scroll);
    QCOMPARE(console.autoScroll(), scroll);
    for (int i = 0; i < 500; ++i)
        direct ? console.appendDirect(QStringLiteral("line")) : console.logLine(QStringLiteral("line"));
    console.flush();
    QScrollBar* bar = console.ui->Memo1->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value() == bar->maximum(), atBottom);

    console.ui->btnScrollTop->click();
    QCOMPARE(bar->value(), 0);
}

void TestConsole::clearDropsEverything()
{
    PrintConsole console;
    console.logLine(QStringLiteral("a"));
    console.flush();
    console.logLine(QStringLiteral("b"));
    console.ui->btnClear->click();
    console.flush();
    QVERIFY(console.lines().isEmpty());
    QCOMPARE(console.ui->Memo1->toPlainText(), QString());
    QCOMPARE(console.text(), QString());
}

void TestConsole::memoryIsBoundedWithAMarker()
{
    PrintConsole console;
    console.setMaxKeptChars(1000);
    for (int i = 0; i < 1000; ++i)
        console.logLine(QStringLiteral("line %1").arg(i, 4, 10, QLatin1Char('0')));
    QVERIFY(console.text().size() <= 1000);
    QVERIFY(console.lines().constFirst().startsWith(QLatin1Char('[')));
    QVERIFY(console.lines().constFirst().contains(QStringLiteral("earlier lines dropped")));
    QCOMPARE(console.lines().constLast(), QStringLiteral("line 0999"));
    // Only one marker, whatever the number of trims.
    QCOMPARE(console.lines().filter(QStringLiteral("earlier lines dropped")).size(), 1);
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
