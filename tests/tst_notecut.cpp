// The note cut window: at most two notes, sent as one three-byte message.

#include "EditorFixture.h"

#include "app/Editor.h"
#include "tracking/NoteTrackingFilter.h"
#include "ui_NoteTrackingFilter.h"

#include <QtTest>

class TestNoteCut : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void window();
    void notes_data();
    void notes();
};

void TestNoteCut::window()
{
    EditorFixture fx;
    fx.start();
    NoteTrackingFilter& w = *fx.editor().formNoteTrackingFilter;
    QCOMPARE(w.objectName(), QStringLiteral("formNoteTrackingFilter"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Note Cut"));
    QVERIFY(!w.isVisible()); // nothing in the editor shows it
    QCOMPARE(w.size(), QSize(222, 115));
    QVERIFY(w.windowFlags().testFlag(Qt::Tool));
    QStringList texts;
    for (QCheckBox* box : w.noteBoxes())
        texts << box->text();
    QCOMPARE(texts, (QStringList{"A2", "A#2", "B2", "C3", "C#3", "D3", "D#3", "E3"}));
    QCOMPARE(w.ui->chkE3->pos(), QPoint(65, 62));
    QCOMPARE(w.ui->btnGet->pos(), QPoint(128, 85));
}

void TestNoteCut::notes_data()
{
    QTest::addColumn<QList<int>>("clicks"); // boxes clicked in order, A2 = 0
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("disabled");
    QTest::newRow("no box") << QList<int>{} << QByteArray::fromHex("09FFFF") << 0;
    QTest::newRow("D3") << QList<int>{5} << QByteArray::fromHex("0905FF") << 0;
    QTest::newRow("A2 and E3") << QList<int>{0, 7} << QByteArray::fromHex("090007") << 6;
    QTest::newRow("E3 and A2") << QList<int>{7, 0} << QByteArray::fromHex("090007") << 6;
    QTest::newRow("a third is refused") << QList<int>{7, 0, 3} << QByteArray::fromHex("090007") << 6;
    QTest::newRow("one of two let go") << QList<int>{0, 7, 7} << QByteArray::fromHex("0900FF") << 0;
}

void TestNoteCut::notes()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QByteArray, sent);
    QFETCH(int, disabled);
    EditorFixture fx;
    fx.startLinked();
    NoteTrackingFilter& w = *fx.editor().formNoteTrackingFilter;
    for (int box : clicks)
        w.noteBoxes()[size_t(box)]->click();
    int off = 0;
    for (QCheckBox* box : w.noteBoxes())
        off += box->isEnabled() ? 0 : 1;
    QCOMPARE(off, disabled);

    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    fx.clock.clearPauses();
    w.ui->btnSave->click();
    const QString hex = QString::fromLatin1(sent.toHex().toUpper());
    QCOMPARE(fx.logSince(mark), (QStringList{QStringLiteral("byte 1: ") + hex.mid(2, 2),
                                             QStringLiteral("byte 2: ") + hex.mid(4, 2),
                                             QStringLiteral("Set note filters: ") + hex, QStringLiteral("3")}));
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>{sent});
    QCOMPARE(fx.clock.pauseLengths(), QList<int>{100});
    QVERIFY(fx.dialogs.questions().isEmpty());

    // "Get" has nothing to ask the pedal.
    const int afterSave = fx.writeMark();
    w.ui->btnGet->click();
    QCOMPARE(fx.writeMark(), afterSave);
}

QTEST_MAIN(TestNoteCut)
#include "tst_notecut.moc"
