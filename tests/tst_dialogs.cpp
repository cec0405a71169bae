// The real file dialogs behind the Dialogs seam.

#include "app/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveDialogLeavesTheReplaceQuestionToTheCaller();
};

void TestDialogs::saveDialogLeavesTheReplaceQuestionToTheCaller()
{
    // The caller may still change the name the dialog returns (a preset gets
    // ".txt"), so a question from the dialog would be about another file.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("drives Qt's own file dialog, which only the offscreen platform is sure to show");
    QTemporaryDir dir;
    QFile existing(dir.filePath(QStringLiteral("mine.TXT")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();

    QStringList boxes;
    QTimer::singleShot(0, this, [&boxes] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // A question the dialog asks is recorded and answered No.
        QTimer::singleShot(0, dialog, [&boxes] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->done(QMessageBox::No);
            }
        });
        dialog->selectFile(QStringLiteral("mine.TXT"));
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection); // the Save button
        if (dialog->isVisible())
            dialog->reject();
    });
    QtDialogs dialogs;
    const QString chosen = dialogs.saveFile(nullptr, QStringLiteral("Save Preset File"), dir.path(),
                                            QStringLiteral("Preset files (*.txt)"), QStringLiteral("txt"));
    QCOMPARE(boxes, QStringList());
    QCOMPARE(QFileInfo(chosen).fileName(), QStringLiteral("mine.TXT"));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
