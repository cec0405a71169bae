// The session on the virtual pedal, without a window: what each mode lets
// through to the pedal, the timers that follow the mode, and the link watch
// that notices an unplugged pedal in every linked mode.

#include "RecordingLog.h"
#include "VirtualClock.h"

#include "editor/Messages.h"
#include "console/MemoryMessages.h"
#include "session/PedalSession.h"
#include "status/StatusMessages.h"
#include "virtualpedal/VirtualPedal.h"

#include <QTimer>
#include <QtTest>

using Mode = SessionMode;
using Op = PedalOperation;
Q_DECLARE_METATYPE(SessionMode)
Q_DECLARE_METATYPE(PedalOperation)

namespace {

struct Rig {
    VirtualClock clock;
    RecordingLog log;
    VirtualPedal pedal{clock};
    PedalSession session{pedal, clock, log};

    bool linkedTo(Mode mode)
    {
        if (!session.open(QString::fromLatin1(VirtualPedal::kSerialNumber)))
            return false;
        switch (mode) {
        case Mode::Linked: break;
        case Mode::FirmwareTooOld:
        case Mode::AlgorithmTooOld:
            session.requestStatus([mode](const PedalStatus&) {
                return mode == Mode::FirmwareTooOld ? PedalSession::Verdict::FirmwareTooOld
                                                    : PedalSession::Verdict::AlgorithmTooOld;
            });
            break;
        case Mode::Uploading: session.beginUpload(); break;
        case Mode::BootloaderIdle:
        case Mode::BootloaderWriting:
            pedal.setShiftHeld(true);
            session.send(Op::BootloaderEntry, StatusMessages::bootloaderEntry());
            clock.sleepMs(200);
            if (!session.enterBootloader().ok)
                return false;
            if (mode == Mode::BootloaderWriting)
                session.beginBootloaderWrite();
            break;
        default: return false;
        }
        return session.mode() == mode;
    }
};

// What each operation's representative message is on the wire.
QString messageOf(Op op)
{
    switch (op) {
    case Op::ParameterWrite: return Messages::writeParameter(0x0012, 0x00800000);
    case Op::Bypass: return Messages::bypass(true);
    case Op::PedalSetting: return Messages::footswitch(Messages::FootswitchButtons{});
    case Op::SettingsMemory: return MemoryMessages::erase(MemoryMessages::settingsMemory());
    case Op::BootloaderEntry: return StatusMessages::bootloaderEntry();
    default: break;
    }
    return QString();
}

} // namespace

class TestPedalSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theGate_data();
    void theGate();
    void aRefusedMessageReachesNothing_data();
    void aRefusedMessageReachesNothing();
    void nothingIsSentWhileAReplyIsOnItsWay();
    void theReadTimerRunsOnlyWhileLinked();
    void theGreetingIsAnExchange_data();
    void theGreetingIsAnExchange();
    void windowsKeepShowingTheModeARequestStartedFrom();
    void pacedWritesWaitForAnExchange();
    void anUnplugIsNoticedInEveryLinkedMode_data();
    void anUnplugIsNoticedInEveryLinkedMode();
    void aLostPedalIsLookedForUntilItIsBack();
};

void TestPedalSession::theGate_data()
{
    // Each mode's row: the operations it lets through.
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QList<Op>>("allowed");
    const QList<Op> firmwareMessages = {Op::Unlink,       Op::StatusRequest,  Op::ParameterWrite, Op::Bypass,
                                        Op::PedalSetting, Op::EffectUpload,   Op::SettingsMemory, Op::BootloaderEntry,
                                        Op::BootloaderGreeting};
    QTest::newRow("unlinked") << Mode::Unlinked << QList<Op>{Op::Link};
    QTest::newRow("lost") << Mode::Lost << QList<Op>{Op::Link};
    QTest::newRow("linked") << Mode::Linked << firmwareMessages;
    QTest::newRow("algorithm too old") << Mode::AlgorithmTooOld << firmwareMessages;
    QTest::newRow("firmware too old") << Mode::FirmwareTooOld
                                      << QList<Op>{Op::Unlink, Op::StatusRequest, Op::Bypass, Op::SettingsMemory,
                                                   Op::BootloaderEntry, Op::BootloaderGreeting};
    QTest::newRow("requesting") << Mode::Requesting << QList<Op>{Op::Unlink};
    QTest::newRow("uploading") << Mode::Uploading << QList<Op>{Op::Bypass, Op::EffectUpload};
    QTest::newRow("bootloader") << Mode::BootloaderIdle
                                << QList<Op>{Op::Unlink, Op::BootloaderGreeting, Op::BootloaderCommand};
    QTest::newRow("bootloader writing") << Mode::BootloaderWriting << QList<Op>{Op::BootloaderCommand};
}

void TestPedalSession::theGate()
{
    QFETCH(Mode, mode);
    QFETCH(QList<Op>, allowed);
    for (Op op : {Op::Link, Op::Unlink, Op::StatusRequest, Op::ParameterWrite, Op::Bypass, Op::PedalSetting,
                  Op::EffectUpload, Op::SettingsMemory, Op::BootloaderEntry, Op::BootloaderGreeting,
                  Op::BootloaderCommand})
        QVERIFY2(SessionGate::allows(mode, op) == allowed.contains(op), qPrintable(SessionGate::operationName(op)));
}

void TestPedalSession::aRefusedMessageReachesNothing_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<Op>("op");
    QTest::addColumn<bool>("sent");
    for (Mode mode : {Mode::Linked, Mode::FirmwareTooOld, Mode::Uploading, Mode::BootloaderIdle,
                      Mode::BootloaderWriting}) {
        for (Op op : {Op::ParameterWrite, Op::Bypass, Op::PedalSetting, Op::SettingsMemory, Op::BootloaderEntry}) {
            const QString name = SessionGate::modeName(mode) + QLatin1String(": ") + SessionGate::operationName(op);
            QTest::newRow(qPrintable(name)) << mode << op << SessionGate::allows(mode, op);
        }
    }
}

void TestPedalSession::aRefusedMessageReachesNothing()
{
    QFETCH(Mode, mode);
    QFETCH(Op, op);
    QFETCH(bool, sent);
    Rig rig;
    QVERIFY(rig.linkedTo(mode));
    const int before = rig.pedal.writes().size();
    rig.log.clear();
    QCOMPARE(rig.session.send(op, messageOf(op)), sent);
    QCOMPARE(rig.pedal.writes().size(), before + (sent ? 1 : 0));
    if (!sent)
        QCOMPARE(rig.log.lines.filter(QStringLiteral("not sent while")).size(), 1);
}

void TestPedalSession::nothingIsSentWhileAReplyIsOnItsWay()
{
    Rig rig;
    QVERIFY(rig.linkedTo(Mode::Linked));
    int writesInside = -1;
    bool nested = true;
    bool updatingInside = false;
    const PedalSession::StatusOutcome outcome = rig.session.requestStatus([&](const PedalStatus&) {
        const int before = rig.pedal.writes().size();
        rig.session.sendBypass(true);
        nested = rig.session.requestStatus({}).kind != PedalSession::StatusOutcome::Kind::Refused;
        writesInside = rig.pedal.writes().size() - before;
        updatingInside = rig.session.updatingFromPedal();
        return PedalSession::Verdict::Accepted;
    });
    QVERIFY(updatingInside);
    QCOMPARE(outcome.kind, PedalSession::StatusOutcome::Kind::Read);
    QCOMPARE(writesInside, 0);
    QVERIFY(!nested);
    QCOMPARE(rig.session.mode(), Mode::Linked);
    QVERIFY(!rig.session.updatingFromPedal());
    QVERIFY(rig.session.lastStatus());
}

void TestPedalSession::theReadTimerRunsOnlyWhileLinked()
{
    Rig rig;
    QVERIFY(!rig.session.readTimer().isActive());
    QVERIFY(rig.linkedTo(Mode::Linked));
    QVERIFY(rig.session.readTimer().isActive());
    bool timerInside = true;
    rig.session.requestStatus([&](const PedalStatus&) {
        // Inside the request: the timer would take the reply out of the queue.
        timerInside = rig.session.readTimer().isActive();
        return PedalSession::Verdict::FirmwareTooOld;
    });
    QVERIFY(!timerInside);
    // Refused: the pedal's values were not taken, and the timer stays off.
    QCOMPARE(rig.session.mode(), Mode::FirmwareTooOld);
    QVERIFY(!rig.session.readTimer().isActive());
    QVERIFY(rig.session.updatingFromPedal());
    rig.session.requestStatus([](const PedalStatus&) { return PedalSession::Verdict::Accepted; });
    QVERIFY(rig.session.readTimer().isActive());
    QVERIFY(rig.session.unlink());
    QVERIFY(!rig.session.readTimer().isActive());
    QVERIFY(!rig.session.linkWatch().isActive());
}

void TestPedalSession::theGreetingIsAnExchange_data()
{
    QTest::addColumn<bool>("shift");
    QTest::addColumn<Mode>("after");
    QTest::newRow("the bootloader answers") << true << Mode::BootloaderIdle;
    QTest::newRow("no bootloader") << false << Mode::Linked;
}

void TestPedalSession::theGreetingIsAnExchange()
{
    // While 7F waits for its answer nothing else may be sent, and the read
    // timer may not take the answer out of the queue.
    QFETCH(bool, shift);
    QFETCH(Mode, after);
    Rig rig;
    QVERIFY(rig.linkedTo(Mode::Linked));
    rig.pedal.setShiftHeld(shift);
    rig.session.send(Op::BootloaderEntry, StatusMessages::bootloaderEntry());
    rig.clock.sleepMs(200);
    Mode inside = Mode::Linked;
    bool timerInside = true;
    bool sentInside = true;
    QTimer::singleShot(0, &rig.session, [&] {
        inside = rig.session.mode();
        timerInside = rig.session.readTimer().isActive();
        sentInside = rig.session.sendBypass(false);
    });
    const int before = rig.pedal.writes().size();
    QCOMPARE(rig.session.enterBootloader().ok, shift);
    QCOMPARE(inside, Mode::BootloaderWriting);
    QVERIFY(!timerInside);
    QVERIFY(!sentInside);
    for (const auto& w : rig.pedal.writes().mid(before))
        QCOMPARE(w.bytes, QByteArray(1, '\x7F'));
    QCOMPARE(rig.session.mode(), after);
}

void TestPedalSession::windowsKeepShowingTheModeARequestStartedFrom()
{
    Rig rig;
    QVERIFY(rig.linkedTo(Mode::FirmwareTooOld));
    Mode shownInside = Mode::Unlinked;
    rig.session.requestStatus([&](const PedalStatus&) {
        shownInside = rig.session.shownMode();
        return PedalSession::Verdict::Accepted;
    });
    QCOMPARE(shownInside, Mode::FirmwareTooOld);
    QCOMPARE(rig.session.shownMode(), Mode::Linked);
}

void TestPedalSession::pacedWritesWaitForAnExchange()
{
    Rig rig;
    QVERIFY(rig.linkedTo(Mode::Linked));
    const QString dry = Messages::writeParameter(0x0012, 0x00200000);
    rig.session.pacedWriter().queue(0x0012, Messages::writeParameter(0x0012, 0x00100000));
    rig.session.pacedWriter().queue(0x0012, dry);
    const int before = rig.pedal.writes().size();
    rig.session.requestStatus([&](const PedalStatus&) {
        // The pacing comes due while the reply is put on the controls.
        QTest::qWait(2 * PacedWriter::kPacingMs + 50);
        return PedalSession::Verdict::Accepted;
    });
    // The request's own message, then the newest value once the request is over.
    QCOMPARE(rig.pedal.writes().size(), before + 1);
    QTRY_COMPARE(rig.pedal.writes().size(), before + 2);
    QCOMPARE(rig.pedal.writes().last().bytes.toHex().toUpper(), dry.toLatin1());
}

void TestPedalSession::anUnplugIsNoticedInEveryLinkedMode_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::newRow("linked") << Mode::Linked;
    QTest::newRow("firmware too old") << Mode::FirmwareTooOld;
    QTest::newRow("algorithm too old") << Mode::AlgorithmTooOld;
    QTest::newRow("bootloader") << Mode::BootloaderIdle;
}

void TestPedalSession::anUnplugIsNoticedInEveryLinkedMode()
{
    QFETCH(Mode, mode);
    Rig rig;
    QVERIFY(rig.linkedTo(mode));
    QSignalSpy lost(&rig.session, &PedalSession::linkLost);
    rig.pedal.unplug();
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 3 * PedalSession::kLinkWatchMs);
    QCOMPARE(rig.session.mode(), Mode::Lost);
    // Once: nothing more is open to lose.
    QTest::qWait(2 * PedalSession::kLinkWatchMs);
    QCOMPARE(lost.size(), 1);
}

void TestPedalSession::aLostPedalIsLookedForUntilItIsBack()
{
    Rig rig;
    QVERIFY(rig.linkedTo(Mode::BootloaderIdle));
    QSignalSpy back(&rig.session, &PedalSession::deviceBack);
    rig.pedal.unplug();
    QTRY_COMPARE_WITH_TIMEOUT(rig.session.mode(), Mode::Lost, 3 * PedalSession::kLinkWatchMs);
    QVERIFY(rig.session.deviceWatch().isActive());
    rig.pedal.setShiftHeld(false);
    rig.pedal.replug();
    QTRY_COMPARE_WITH_TIMEOUT(back.size(), 1, 3 * PedalSession::kDeviceWatchMs);
    QVERIFY(rig.session.open(QString::fromLatin1(VirtualPedal::kSerialNumber)));
    QCOMPARE(rig.session.mode(), Mode::Linked);
    QVERIFY(!rig.session.deviceWatch().isActive());
}

QTEST_GUILESS_MAIN(TestPedalSession)
#include "tst_pedalsession.moc"
