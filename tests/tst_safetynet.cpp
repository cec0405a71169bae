// What protects the user's work and keeps the window alive: automatic backups
// before destructive actions, a connection that notices an unplugged pedal,
// pauses that repaint without running handlers, and a status request that
// reads the reply as it comes.

#include "EditorFixture.h"
#include "PedalBehindLine.h"
#include "PedalStates.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/PauseFeedback.h"
#include "console/PrintConsole.h"
#include "editor/FXsettings.h"
#include "editor/Switch.h"
#include "link/FtdiDriver.h"
#include "presets/BackupHandler.h"
#include "presets/BackupFiles.h"
#include "presets/PresetFile.h"
#include "seams/Clock.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "ui_FXsettings.h"
#include "ui_FormMain.h"
#include "ui_PrintConsole.h"
#include "virtualpedal/VirtualPedal.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

namespace {
using namespace PedalStates;

void writePreset(const QString& path, const Values& v)
{
    QDir().mkpath(QFileInfo(path).path());
    PresetFile::Values p{};
    std::copy(v.begin(), v.end(), p.begin());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(PresetFile::bytes(p));
}

// The virtual pedal, except that closing a device that is gone fails, as
// some drivers do.
class CloseFailsWhenGone final : public PedalBehindLine {
public:
    using PedalBehindLine::PedalBehindLine;
    uint32_t close(Handle h) override { return pedal_.isPlugged() ? pedal_.close(h) : FT_IO_ERROR; }
};

// Counts paint events of one window and notes what held while it painted.
class PaintWatch final : public QObject {
public:
    PaintWatch(QWidget* window, Editor& editor, const bool& handlerRan)
        : editor_(editor), handlerRan_(handlerRan)
    {
        window->installEventFilter(this);
    }
    int paints = 0;
    bool handlerRanDuringPaint = false;
    bool busyCursor = false;
    bool progressShown = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            handlerRanDuringPaint = handlerRanDuringPaint || handlerRan_;
            const QCursor* c = QGuiApplication::overrideCursor();
            busyCursor = busyCursor || (c && c->shape() == Qt::WaitCursor);
            progressShown = progressShown || editor_.pauseFeedback()->progressBar() != nullptr;
        }
        return false;
    }

private:
    Editor& editor_;
    const bool& handlerRan_;
};
} // namespace

class TestSafetyNet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backupBeforeEachAction_data();
    void backupBeforeEachAction();
    void failedBackupIsReportedAndTheActionGoesOn();
    void unplugReachesTheUnlinkedStateOnce_data();
    void unplugReachesTheUnlinkedStateOnce();
    void replugOffersTheLink();
    void linkMarkSaysWhich();
    void longPauseRepaintsAndRunsNoHandler();
    void wallClockPausesReportTheirProgress();
    void statusReplyIsReadAsItComes_data();
    void statusReplyIsReadAsItComes();
};

void TestSafetyNet::backupBeforeEachAction_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("preset load") << QStringLiteral("preset");
    QTest::newRow("Set Assignable Parameters to Default") << QStringLiteral("defaults menu");
    QTest::newRow("Ctrl+Shift+Z") << QStringLiteral("defaults key");
    QTest::newRow("Erase Settings") << QStringLiteral("erase");
    QTest::newRow("firmware upgrade") << QStringLiteral("firmware");
}

void TestSafetyNet::backupBeforeEachAction()
{
    QFETCH(QString, action);
    EditorFixture f;
    // Input Level away from its maximum, where the defaults' value and the
    // knob's highest level would look the same to the knob.
    Values start = stateA();
    start[PedalModel::InputLevel] = level(513);
    f.pedal().model().values = start;
    f.pedal().model().tuning = 1;
    f.startLinked();
    // An edit since the status reply is part of what the pedal plays, and kept.
    f.fx().ui->swtLimitRange->setOn(false);
    Values held = start;
    held[PedalModel::LimitRangeUp] = 0;
    const QString folder = f.editor().backups->folder();
    QCOMPARE(folder, f.filesPath(QStringLiteral("Backups")));
    const int logMark = f.logMark();

    if (action == QLatin1String("preset")) {
        const QString path = f.filesPath(QStringLiteral("Preset/b.txt"));
        writePreset(path, stateB());
        f.dialogs.chooseFile(path);
        f.main().ui->menuLoadPreset->trigger();
    } else if (action == QLatin1String("defaults menu")) {
        f.main().ui->menuSetAssignableParamsToDefault->trigger();
    } else if (action == QLatin1String("defaults key")) {
        QTest::keyClick(&f.main(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    } else if (action == QLatin1String("erase")) {
        f.dialogs.answerYes();
        f.dialogs.answerNo();
        f.main().ui->menuEraseSettings->trigger();
    } else {
        // "Upgrade Mode" backs up before its question; No ends it there.
        f.dialogs.answerNo();
        f.main().ui->menuFirmwareUpgradeMode->trigger();
        QCOMPARE(f.dialogs.questions().last(), QStringLiteral("Keep SHIFT button on the pedal pressed and click YES."));
    }

    const QStringList copies = BackupFiles::copies(folder);
    QCOMPARE(copies.size(), 1);
    const PresetFile::Parsed parsed = PresetFile::read(copies.first());
    QVERIFY(parsed.ok);
    QCOMPARE(parsed.values.size(), held.size());
    QVERIFY(std::equal(held.begin(), held.end(), parsed.values.begin()));
    QCOMPARE(f.logSince(logMark).filter(QStringLiteral("backup before")).size(), 1);
    QVERIFY(f.logSince(logMark).filter(QStringLiteral("backup before")).first().endsWith(copies.first()));

    // "Load Local Preset" brings the pedal back to what it held.
    QTRY_VERIFY(!f.session().pacedWriter().Timer1.isActive());
    f.dialogs.chooseFile(copies.first());
    f.main().ui->menuLoadPreset->trigger();
    QTRY_VERIFY(!f.session().pacedWriter().Timer1.isActive());
    QCOMPARE(f.pedal().model().values, held);
    QCOMPARE(BackupFiles::copies(folder).size(), 2); // that load made its own copy
}

void TestSafetyNet::failedBackupIsReportedAndTheActionGoesOn()
{
    EditorFixture f;
    f.pedal().model().values = stateA();
    f.pedal().model().tuning = 1;
    f.startLinked();
    // A file where the folder goes.
    QFile blocker(f.filesPath(QStringLiteral("Backups")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    f.dialogs.clear();

    f.main().ui->menuSetAssignableParamsToDefault->trigger();
    const QStringList shown = f.dialogs.informationTexts();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown.at(0).startsWith(QStringLiteral("The pedal's values could not be backed up before the "
                                                   "assignable defaults: ")),
             qPrintable(shown.at(0)));
    QCOMPARE(shown.at(1), QStringLiteral("Click Save Parameters button to save the current status on pedal"));
    QCOMPARE(f.pedal().model().values[PedalModel::InputLevel], 0x00800000u);
}

void TestSafetyNet::unplugReachesTheUnlinkedStateOnce_data()
{
    QTest::addColumn<bool>("midRequest");
    QTest::addColumn<bool>("closeFails");
    QTest::newRow("idle") << false << false;
    QTest::newRow("idle, the driver cannot close it") << false << true;
    QTest::newRow("during a status request") << true << false;
}

void TestSafetyNet::unplugReachesTheUnlinkedStateOnce()
{
    QFETCH(bool, midRequest);
    QFETCH(bool, closeFails);
    EditorFixture f;
    if (closeFails)
        f.startWith(std::make_unique<CloseFailsWhenGone>(f.pedal()));
    f.startLinked();
    Communication& comm = f.comm();
    QVERIFY(f.session().isLinked());
    f.dialogs.clear();

    if (midRequest) {
        f.pedal().setReplyDelay(500);
        QTimer::singleShot(0, [&f] { f.pedal().unplug(); });
        QVERIFY(comm.requestStatus() != Outcome::Done);
    } else {
        f.pedal().unplug();
        QTRY_VERIFY(!f.session().isLinked());
    }
    QVERIFY(!f.session().isLinked());
    QCOMPARE(f.dialogs.informationTexts(), QStringList{Communication::connectionLostText()});
    QCOMPARE(comm.linkState(), Communication::LinkState::NotLinked);
    QVERIFY(!f.session().readTimer().isActive());
    QVERIFY(!f.main().ui->lblDeviceName->text().contains(QStringLiteral("linked")));
    QVERIFY(f.main().ui->menuScan->isEnabled());
    QVERIFY(!f.main().ui->menuDisconnect->isEnabled());
    QVERIFY(!f.main().ui->btnRequest->isEnabled());
    QVERIFY(!f.session().updatingFromPedal());
    // Nothing more is said however long it stays unplugged.
    QTest::qWait(200);
    QCOMPARE(f.dialogs.informationTexts().size(), 1);
}

void TestSafetyNet::replugOffersTheLink()
{
    EditorFixture f;
    f.startLinked();
    f.session().deviceWatch().setInterval(20);
    f.pedal().unplug();
    QTRY_VERIFY(!f.session().isLinked());
    QTest::qWait(100);
    QVERIFY(f.main().ui->lblStatus->text() != Communication::deviceBackText());

    f.pedal().replug();
    QTRY_COMPARE(f.main().ui->lblStatus->text(), Communication::deviceBackText());
    QVERIFY(!f.session().isLinked()); // offered, not linked
    QVERIFY(!f.session().deviceWatch().isActive());
    QVERIFY(f.main().ui->menuScan->isEnabled());

    f.main().ui->menuScan->trigger();
    QVERIFY(f.session().isLinked());
    QCOMPARE(f.comm().linkState(), Communication::LinkState::Answering);
    QCOMPARE(f.main().ui->lblStatus->text(), QStringLiteral("Status: "));
}

void TestSafetyNet::linkMarkSaysWhich()
{
    EditorFixture f;
    f.start();
    QLabel* mark = f.main().lblLinkState();
    QCOMPARE(mark->toolTip(), QStringLiteral("Not linked"));
    // Beside the device name, clear of the catalogue.
    const QRect name = f.main().ui->lblDeviceName->geometry();
    QVERIFY(mark->geometry().left() >= name.right());
    QVERIFY(mark->geometry().right() < f.main().ui->lstEffects->geometry().left());

    f.main().ui->menuScan->trigger();
    QCOMPARE(mark->toolTip(), QStringLiteral("Linked: the pedal answers"));
    f.pedal().setSilent(true);
    f.dialogs.clear();
    QVERIFY(f.comm().requestStatus() != Outcome::Done);
    QCOMPARE(mark->toolTip(), QStringLiteral("Linked, but the pedal has not answered"));
    f.main().ui->menuDisconnect->trigger();
    QCOMPARE(mark->toolTip(), QStringLiteral("Not linked"));
}

void TestSafetyNet::longPauseRepaintsAndRunsNoHandler()
{
    EditorFixture f;
    f.startLinked();
    PrintConsole& console = f.console();
    console.show();
    QVERIFY(QTest::qWaitForWindowExposed(&console));
    bool handlerRan = false;
    PaintWatch watch(&console, f.editor(), handlerRan);
    f.clock.clearPauses();
    // A click on another button, already waiting when the pause starts, is
    // handled after it, and a timer's tick too.
    QPushButton* other = console.ui->btnEraseEeprom;
    QObject::connect(other, &QPushButton::clicked, [&handlerRan] { handlerRan = true; });
    f.dialogs.setDefaultAnswer(false);
    const QPointF at = QRectF(other->rect()).center();
    QCoreApplication::postEvent(other, new QMouseEvent(QEvent::MouseButtonPress, at, other->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(other, new QMouseEvent(QEvent::MouseButtonRelease, at, other->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    bool tick = false;
    QTimer::singleShot(0, [&tick] { tick = true; });
    const qint64 before = f.clock.nowMs();
    QTest::mouseClick(console.ui->btnReadEEPROM, Qt::LeftButton);

    QCOMPARE(f.clock.pauseLengths(), QList<int>{4000});
    QVERIFY(f.clock.nowMs() - before >= 4000);
    QVERIFY(watch.paints >= 1);
    QVERIFY(!watch.handlerRanDuringPaint);
    QVERIFY(watch.busyCursor);
    QVERIFY(watch.progressShown);
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!tick);
    QTRY_VERIFY(handlerRan);
    QTRY_VERIFY(tick);
}

void TestSafetyNet::wallClockPausesReportTheirProgress()
{
    struct Recorder final : PauseObserver {
        QList<int> started, progress;
        int ended = 0;
        void pauseStarted(int ms) override { started << ms; }
        void pauseProgress(int elapsedMs, int) override { progress << elapsedMs; }
        void pauseEnded() override { ++ended; }
    } recorder;
    SystemClock clock;
    clock.setPauseObserver(&recorder);
    clock.sleepMs(Clock::kObservedPauseMs - 1); // too short to be worth a repaint
    QVERIFY(recorder.started.isEmpty());
    clock.sleepMs(150);
    QCOMPARE(recorder.started, QList<int>{150});
    QCOMPARE(recorder.ended, 1);
    QVERIFY(recorder.progress.size() >= 2); // in slices, not one block
    QCOMPARE(recorder.progress.last(), 150);  // and to its whole length
}

void TestSafetyNet::statusReplyIsReadAsItComes_data()
{
    QTest::addColumn<int>("splitGapMs");
    QTest::newRow("in one part") << 0;
    QTest::newRow("in two parts 80 ms apart") << 80;
}

void TestSafetyNet::statusReplyIsReadAsItComes()
{
    QFETCH(int, splitGapMs);
    EditorFixture f;
    f.pedal().model().values = stateA();
    f.pedal().setWireTimeModel(true);
    f.startLinked();
    f.pedal().model().values = stateB();
    if (splitGapMs > 0)
        f.pedal().setSplitReplies(splitGapMs, 200);
    f.clock.clearPauses();
    const qint64 before = f.clock.nowMs();
    QCOMPARE(f.comm().requestStatus(), Outcome::Done);
    const qint64 took = f.clock.nowMs() - before;
    // No fixed pause before the reading: the request lasts the reply's own
    // wire time (about 35 ms at 115200 baud), plus any gap inside it.
    QVERIFY(!f.clock.pauseLengths().contains(200));
    QVERIFY2(took < 100 + splitGapMs, qPrintable(QString::number(took)));
    QVERIFY(took >= splitGapMs);
    QCOMPARE(f.session().parameters().values(), stateB());
}

QTEST_MAIN(TestSafetyNet)
#include "tst_safetynet.moc"
