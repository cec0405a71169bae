// Effect uploads from the catalogue and from a file, on the virtual pedal:
// what goes on the wire and when, the pedal's answer, and the watchdog.

#include "EditorFixture.h"
#include "NamedPipe.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "data/DataItems.h"
#include "effects/EffectUploadHandler.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "ui_FormMain.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

namespace {
const QString kFailed = QStringLiteral("Upload failed! Disconnect the pedal from USB and try again.");

QByteArray embeddedImage()
{
    QByteArray text = DataItems::bytes(QStringLiteral("QUARNEL_MK3_0015"));
    const int end = text.indexOf('\n');
    if (end >= 0)
        text.truncate(end);
    return QByteArray::fromHex(text.trimmed());
}

QString writeFile(EditorFixture& fx, const QString& name, const QByteArray& bytes)
{
    const QString path = fx.documents.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

int indexOfLine(const QStringList& log, const QString& line, int from = 0)
{
    return static_cast<int>(log.indexOf(line, from));
}
} // namespace

class TestEffectUpload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void catalogueUpload();
    void catalogueUploadAnsweredNo();
    void answerInTwoParts_data();
    void answerInTwoParts();
    void queuedDumpIsNotTakenForTheAnswer();
    void silentPedalTripsTheWatchdog_data();
    void silentPedalTripsTheWatchdog();
    void noImageSendsNothing();
    void fileUpload();
    void refusedFiles_data();
    void refusedFiles();
    void somethingThatIsNotAFileIsRefused_data();
    void somethingThatIsNotAFileIsRefused();
    void fileDialogCancelledOrNo();
    void secondUploadDuringTheWaitIsRefused();
};

void TestEffectUpload::catalogueUpload()
{
    EditorFixture fx;
    fx.pedal().setAlgorithmVersion(14); // the pedal runs the older algorithm
    fx.startLinked();
    FormMain& main = fx.main();
    QVERIFY(main.isEnabledByName(QStringLiteral("btnUpload")));
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    const qsizetype firstWrite = fx.pedal().writes().size();
    fx.dialogs.clear();
    main.ui->btnUpload->click();

    const QByteArray image = embeddedImage();
    QCOMPARE(image.size(), 4256);
    const QList<QByteArray> sent = fx.writesSince(writes);
    QCOMPARE(sent.size(), 3);
    QCOMPARE(sent.at(0), QByteArray::fromHex("0D01"));
    QCOMPARE(sent.at(1), image); // one write, the whole image
    QCOMPARE(sent.at(2), QByteArray::fromHex("0200"));
    const auto& w = fx.pedal().writes();
    QCOMPARE(w.at(firstWrite + 1).ms - w.at(firstWrite).ms, qint64(40));

    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("Upload the selected algorithm?")});
    const QStringList log = fx.logSince(mark);
    int at = 0;
    for (const QString& line : {QStringLiteral("********************UPLOAD********************"),
                                QStringLiteral("resource name: Quarnel_MK3_0015"), QStringLiteral("size: 4256")}) {
        at = indexOfLine(log, line, at);
        QVERIFY2(at >= 0, qPrintable(line));
    }
    QCOMPARE(log.at(at + 1).left(31), QStringLiteral("filecontent (first 128 bytes): "));
    QCOMPARE(log.at(at + 1).size(), 31 + 256);
    QCOMPARE(log.mid(at + 2, 3), (QStringList{QStringLiteral("num of bytes: 4256"), QStringLiteral("write to device"),
                                              QStringLiteral("received: Upload OK")}));
    QVERIFY(indexOfLine(log, QStringLiteral("********************REQUEST********************"), at) > at);

    // The pedal runs the new algorithm, the window shows its answer and the
    // version that the closing status request read.
    QCOMPARE(fx.pedal().model().effectImage, image);
    QCOMPARE(main.ui->lblStatus->text(), QStringLiteral("Upload OK"));
    QCOMPARE(main.ui->lblAlgorithmVersion->text(), QStringLiteral("Device Algorithm: 0015"));
    QVERIFY(main.isEnabledByName(QStringLiteral("btnSaveParameters")));
    QVERIFY(!fx.session().uploadWatchdog().isActive());
    QVERIFY(fx.session().readTimer().isActive());
    QVERIFY(fx.session().reportsErrors());
    QVERIFY(fx.session().isLinked());
}

void TestEffectUpload::catalogueUploadAnsweredNo()
{
    EditorFixture fx;
    fx.startLinked();
    const int writes = fx.writeMark();
    fx.dialogs.answerNo();
    fx.main().ui->btnUpload->click();
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QVERIFY(fx.session().readTimer().isActive());
    QVERIFY(!fx.session().uploadWatchdog().isActive());
}

void TestEffectUpload::answerInTwoParts_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::newRow("5 ms apart") << 5;
    QTest::newRow("100 ms apart") << 100;
}

void TestEffectUpload::answerInTwoParts()
{
    QFETCH(int, gapMs);
    EditorFixture fx;
    fx.startLinked();
    fx.pedal().setSplitReplies(gapMs, 6); // "Upload" and, later, " OK"; the status reply is split too
    const int mark = fx.logMark();
    fx.main().ui->btnUpload->click();
    const QStringList log = fx.logSince(mark);
    QCOMPARE(log.filter(QRegularExpression(QStringLiteral("^received: "))),
             (QStringList{QStringLiteral("received: Upload"), QStringLiteral("received:  OK")}));
    QCOMPARE(fx.main().ui->lblStatus->text(), QStringLiteral(" OK"));
    // Nothing of the answer is left over to spoil the status request after it.
    QVERIFY(log.contains(QStringLiteral("received_bytes_array size: 107")));
    QVERIFY(log.contains(QStringLiteral("Firmware Version: 17")));
    QCOMPARE(fx.main().ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QVERIFY(fx.main().isEnabledByName(QStringLiteral("btnSaveParameters")));
    QVERIFY(fx.dialogs.informationTexts().isEmpty());
    QVERIFY(fx.session().readTimer().isActive());
}

void TestEffectUpload::queuedDumpIsNotTakenForTheAnswer()
{
    // An older algorithm: the link's request stops the read timer, so the
    // memory dump asked for in the console stays queued.
    EditorFixture fx;
    fx.pedal().setAlgorithmVersion(14);
    fx.startLinked();
    QVERIFY(!fx.session().readTimer().isActive());
    fx.session().send(PedalOperation::SettingsMemory, QStringLiteral("0C5000000000"), false, 4000);
    const int mark = fx.logMark();
    fx.main().ui->btnUpload->click();
    const QStringList log = fx.logSince(mark);
    QVERIFY(log.contains(QStringLiteral("16385 stray bytes dropped before the upload")));
    QCOMPARE(log.filter(QRegularExpression(QStringLiteral("^received: "))),
             QStringList{QStringLiteral("received: Upload OK")});
    QCOMPARE(fx.main().ui->lblStatus->text(), QStringLiteral("Upload OK"));
    QCOMPARE(fx.main().ui->lblAlgorithmVersion->text(), QStringLiteral("Device Algorithm: 0015"));
}

void TestEffectUpload::silentPedalTripsTheWatchdog_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::newRow("catalogue") << false;
    QTest::newRow("file") << true;
}

void TestEffectUpload::silentPedalTripsTheWatchdog()
{
    QFETCH(bool, fromFile);
    EditorFixture fx;
    fx.startLinked();
    fx.session().uploadWatchdog().setInterval(300);
    fx.pedal().setSilent(true);
    const int writes = fx.writeMark();
    fx.dialogs.clear();
    const qint64 started = fx.clock.nowMs();
    if (fromFile) {
        fx.dialogs.chooseFile(writeFile(fx, QStringLiteral("fx.dat"), embeddedImage()));
        fx.main().ui->menuLoadAlgorithmFromFile->trigger();
    } else {
        fx.main().ui->btnUpload->click();
    }

    QTRY_COMPARE(fx.main().ui->lblStatus->text(), QStringLiteral("Upload Failed"));
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{kFailed});
    QVERIFY(!fx.session().isLinked());
    QVERIFY(!fx.pedal().isOpen());
    QVERIFY(!fx.session().uploadWatchdog().isActive());
    QVERIFY(!fx.session().readTimer().isActive());
    QVERIFY(!fx.editor().effectUpload->uploading());
    // Bypass and image, and no status request after a failed upload.
    const QList<QByteArray> sent = fx.writesSince(writes);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(1), embeddedImage());
    // The wait had the watchdog's limit, not one of its own.
    QVERIFY(fx.clock.nowMs() - started < 300 + 500);
}

void TestEffectUpload::noImageSendsNothing()
{
    EditorFixture fx;
    fx.pedal().model().effectNumber = 5; // not in the catalogue: nothing is selected
    fx.startLinked();
    QVERIFY(fx.main().isEnabledByName(QStringLiteral("btnUpload")));
    const int writes = fx.writeMark();
    fx.dialogs.clear();
    fx.main().ui->btnUpload->click();
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QCOMPARE(fx.dialogs.questions(), QStringList());
    QCOMPARE(fx.dialogs.informationTexts().size(), 1);
    QVERIFY(fx.dialogs.informationTexts().first().contains(QStringLiteral("Nothing was sent")));
    QVERIFY(!fx.session().uploadWatchdog().isActive());
    QVERIFY(fx.session().isLinked());
}

void TestEffectUpload::fileUpload()
{
    EditorFixture fx;
    fx.startLinked();
    const QString path = writeFile(fx, QStringLiteral("effect.dat"), embeddedImage());
    fx.dialogs.chooseFile(path);
    const int mark = fx.logMark();
    const int writes = fx.writeMark();
    const qsizetype firstWrite = fx.pedal().writes().size();
    fx.main().ui->menuLoadAlgorithmFromFile->trigger();

    const ScriptedDialogs::Shown dialog = fx.dialogs.shown().first();
    QCOMPARE(dialog.kind, ScriptedDialogs::Kind::OpenFile);
    QCOMPARE(dialog.filter, QStringLiteral("Dat files (*.dat)"));
    QCOMPARE(dialog.folder, QString());
    QCOMPARE(fx.dialogs.questions(), QStringList{QStringLiteral("Upload the selected algorithm?")});

    const QList<QByteArray> sent = fx.writesSince(writes);
    QCOMPARE(sent, (QList<QByteArray>{QByteArray::fromHex("0D01"), embeddedImage()})); // no status request
    const auto& w = fx.pedal().writes();
    QCOMPARE(w.at(firstWrite + 1).ms - w.at(firstWrite).ms, qint64(400));
    QCOMPARE(fx.logSince(mark), (QStringList{QStringLiteral("Opening - ") + path, QStringLiteral("4256 Bytes Sent ..."),
                                             QStringLiteral("num of bytes received from device: 9"),
                                             QStringLiteral("received: Upload OK"),
                                             QStringLiteral("num of bytes received from device: 0")}));
    QCOMPARE(fx.main().ui->lblStatus->text(), QStringLiteral("Upload OK"));
    QVERIFY(!fx.session().uploadWatchdog().isActive());
    QVERIFY(fx.session().readTimer().isActive());

    // The next dialog opens where this file was.
    fx.dialogs.cancelFileDialog();
    fx.main().ui->menuLoadAlgorithmFromFile->trigger();
    QCOMPARE(fx.dialogs.shown().last().folder, fx.documents.path());
}

void TestEffectUpload::refusedFiles_data()
{
    QTest::addColumn<int>("size"); // -1: no such file
    QTest::addColumn<QString>("reason");
    QTest::newRow("70000 bytes") << 70000 << "70000 bytes";
    QTest::newRow("65537 bytes") << 65537 << "65537 bytes";
    QTest::newRow("empty") << 0 << "is empty";
    QTest::newRow("missing") << -1 << "Cannot read";
}

void TestEffectUpload::refusedFiles()
{
    QFETCH(int, size);
    QFETCH(QString, reason);
    EditorFixture fx;
    fx.startLinked();
    const QString path = size < 0 ? fx.documents.filePath(QStringLiteral("gone.dat"))
                                  : writeFile(fx, QStringLiteral("big.dat"), QByteArray(size, '\x5A'));
    fx.dialogs.clear();
    fx.dialogs.chooseFile(path);
    const int writes = fx.writeMark();
    fx.main().ui->menuLoadAlgorithmFromFile->trigger();

    QCOMPARE(fx.writesSince(writes), QList<QByteArray>()); // not even the bypass
    QCOMPARE(fx.dialogs.questions(), QStringList());
    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(reason) && shown.first().contains(QStringLiteral("Nothing was sent")),
             qPrintable(shown.first()));
    QVERIFY(!fx.session().uploadWatchdog().isActive());
    QVERIFY(fx.session().readTimer().isActive());
    QVERIFY(fx.session().isLinked());
}

void TestEffectUpload::somethingThatIsNotAFileIsRefused_data()
{
    QTest::addColumn<QString>("device"); // empty: a named pipe
    QTest::newRow("endless device") << "/dev/zero";
    QTest::newRow("named pipe") << QString();
}

void TestEffectUpload::somethingThatIsNotAFileIsRefused()
{
    QFETCH(QString, device);
    EditorFixture fx;
    fx.startLinked();
    const QString path = device.isEmpty() ? fx.documents.filePath(QStringLiteral("pipe.dat")) : device;
    std::unique_ptr<NamedPipe> pipe;
    if (device.isEmpty()) {
        pipe = std::make_unique<NamedPipe>(path);
        if (!pipe->made())
            QSKIP("no named pipes here");
    } else if (!QFileInfo::exists(device)) {
        QSKIP("no such device here");
    }
    fx.dialogs.clear();
    fx.dialogs.chooseFile(path);
    const int writes = fx.writeMark();
    const int mark = fx.logMark();
    fx.main().ui->menuLoadAlgorithmFromFile->trigger();

    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QCOMPARE(fx.dialogs.questions(), QStringList());
    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(path + QStringLiteral(" is not a regular file"))
                 && shown.first().endsWith(QStringLiteral("Nothing was sent to the pedal.")),
             qPrintable(shown.first()));
    QCOMPARE(fx.logSince(mark), QStringList{QStringLiteral("upload refused: ") + shown.first()});
    QVERIFY(!fx.session().uploadWatchdog().isActive());
    QVERIFY(fx.session().readTimer().isActive());
}

void TestEffectUpload::fileDialogCancelledOrNo()
{
    EditorFixture fx;
    fx.startLinked();
    const int writes = fx.writeMark();
    fx.dialogs.cancelFileDialog();
    fx.main().ui->menuLoadAlgorithmFromFile->trigger();
    fx.dialogs.chooseFile(writeFile(fx, QStringLiteral("effect.dat"), embeddedImage()));
    fx.dialogs.answerNo();
    fx.main().ui->menuLoadAlgorithmFromFile->trigger();
    QCOMPARE(fx.writesSince(writes), QList<QByteArray>());
    QVERIFY(fx.session().readTimer().isActive());
    QVERIFY(!fx.session().uploadWatchdog().isActive());
}

void TestEffectUpload::secondUploadDuringTheWaitIsRefused()
{
    EditorFixture fx;
    fx.startLinked();
    fx.pedal().setReplyDelay(50);
    const int writes = fx.writeMark();
    const int mark = fx.logMark();
    // Inside the wait the button is greyed; an upload started all the same
    // (a click already on its way) is refused by the handler.
    bool buttonEnabledInside = true;
    QTimer::singleShot(0, &fx.main(), [&fx, &buttonEnabledInside] {
        buttonEnabledInside = fx.main().ui->btnUpload->isEnabled();
        fx.editor().effectUpload->btnUploadClick();
    });
    fx.main().ui->btnUpload->click();
    QVERIFY(!buttonEnabledInside);
    QVERIFY(fx.logSince(mark).contains(QStringLiteral("upload refused: another upload is waiting for the pedal")));
    QCOMPARE(fx.writesSince(writes).count(embeddedImage()), 1);
    QCOMPARE(fx.dialogs.questions().size(), 1);
    QCOMPARE(fx.main().ui->lblStatus->text(), QStringLiteral("Upload OK"));
}

QTEST_MAIN(TestEffectUpload)
#include "tst_effectupload.moc"
