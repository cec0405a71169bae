// Linking the pedal, the status request and its refusals, and what the link
// does when the pedal misbehaves — all on the virtual pedal, through the real
// windows.

#include "EditorFixture.h"
#include "PedalBehindLine.h"

#include "app/FormMain.h"
#include "console/PrintConsole.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "link/D2XXUnit.h"
#include "link/Transport.h"
#include "app/Editor.h"
#include "editor/FXsettings.h"
#include "ui_FXsettings.h"
#include "ui_FormMain.h"
#include "virtualpedal/StatusReply.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {
const QStringList kUsbObjects = {
    QStringLiteral("btnUpload"),         QStringLiteral("btnSaveParameters"),   QStringLiteral("btnAssign"),
    QStringLiteral("btnSetFootswitchMode"), QStringLiteral("btnSetTuning"),    QStringLiteral("menuInstrumentRange"),
    QStringLiteral("menuBypassStatus"),  QStringLiteral("btnRequest"),          QStringLiteral("menuLoadPreset"),
    QStringLiteral("menuSavePreset"),    QStringLiteral("menuLoadAlgorithmFromFile"), QStringLiteral("lstEffects"),
    QStringLiteral("menuUploadTuningsData"), QStringLiteral("menuMIDI"),        QStringLiteral("menuRangeLimit"),
    QStringLiteral("menuSetAssignableParamsToDefault"),
};
const QStringList kCommandButtons = {QStringLiteral("btnRequest"), QStringLiteral("btnSaveParameters"),
                                     QStringLiteral("btnAssign"), QStringLiteral("btnSetFootswitchMode"),
                                     QStringLiteral("btnSetTuning")};

QStringList enabledOf(FormMain& main, const QStringList& names, bool wanted)
{
    QStringList wrong;
    for (const QString& n : names)
        if (main.isEnabledByName(n) != wanted)
            wrong << n;
    return wrong;
}
// Two FTDI devices on the bus, both leading to the one virtual pedal; like a
// real device, it cannot be opened twice. One of them may instead be another
// FTDI gadget, which takes every byte and never answers.
class TwoDevices final : public PedalBehindLine {
public:
    using PedalBehindLine::PedalBehindLine;
    QString name() const override { return QStringLiteral("two"); }
    uint32_t listDeviceCount(uint32_t& count) override
    {
        count = 2;
        return FT_OK;
    }
    uint32_t listSerialNumber(uint32_t index, char area[64]) override
    {
        std::strcpy(area, index == 0 ? "FIRST" : "SECOND");
        return FT_OK;
    }
    uint32_t listDescription(uint32_t index, char area[64]) override
    {
        std::strcpy(area, index == 0 ? "Pedal one" : "Pedal two");
        return FT_OK;
    }
    uint32_t openBySerialNumber(const char* serial, Handle& handle) override
    {
        if (refused == serial)
            return FT_DEVICE_NOT_OPENED; // held by another program, say
        ++opens;
        if (gadget == serial) {
            handle = kGadget;
            return FT_OK;
        }
        return pedal_.openBySerialNumber(VirtualPedal::kSerialNumber, handle);
    }
    OpenFailure lastOpenFailure() const override { return openFailure; }
    uint32_t close(Handle h) override
    {
        ++closes;
        return h == kGadget ? uint32_t(FT_OK) : pedal_.close(h);
    }
    uint32_t write(Handle h, const uint8_t* b, uint32_t n, uint32_t& w) override
    {
        if (h != kGadget)
            return pedal_.write(h, b, n, w);
        if (onGadgetWrite)
            onGadgetWrite();
        w = n;
        return FT_OK;
    }
    uint32_t read(Handle h, uint8_t* b, uint32_t n, uint32_t& r) override
    {
        r = 0;
        return h == kGadget ? uint32_t(FT_OK) : pedal_.read(h, b, n, r);
    }
    uint32_t queueStatus(Handle h, uint32_t& rx) override
    {
        if (h != kGadget)
            return pedal_.queueStatus(h, rx);
        rx = 0;
        return FT_OK;
    }
    uint32_t setBaudRate(Handle h, uint32_t baud) override
    {
        return h == kGadget ? uint32_t(FT_OK) : pedal_.setBaudRate(h, baud);
    }
    uint32_t setDataCharacteristics(Handle h, uint8_t w, uint8_t s, uint8_t p) override
    {
        return h == kGadget ? uint32_t(FT_OK) : pedal_.setDataCharacteristics(h, w, s, p);
    }
    uint32_t setLatencyTimer(Handle h, uint8_t ms) override
    {
        return h == kGadget ? uint32_t(FT_OK) : pedal_.setLatencyTimer(h, ms);
    }
    uint32_t purge(Handle h, uint32_t mask) override
    {
        const uint32_t status = h == kGadget ? uint32_t(FT_OK) : pedal_.purge(h, mask);
        return (mask & FT_PURGE_RX) && receivePurgeFails ? uint32_t(FT_IO_ERROR) : status;
    }
    void waitForData(Handle h, int ms) override
    {
        if (h != kGadget)
            pedal_.waitForData(h, ms);
    }

    static inline const Handle kGadget = reinterpret_cast<Handle>(quintptr(0x6AD6E700u));
    int opens = 0; // that succeeded
    int closes = 0;
    QByteArray refused; // the serial number whose open fails
    QByteArray gadget;  // the serial number of the device that is not the pedal
    OpenFailure openFailure;
    bool receivePurgeFails = false;
    std::function<void()> onGadgetWrite;
};
// The pedal behind a line that shapes what comes back from a status request:
// bytes right behind the reply, or other bytes in its place.
class ReplyShaper final : public PedalBehindLine {
public:
    using PedalBehindLine::PedalBehindLine;
    uint32_t write(Handle h, const uint8_t* b, uint32_t n, uint32_t& w) override
    {
        const bool request = n == 2 && b[0] == 0x02 && b[1] == 0x00;
        if (request && !instead.isEmpty()) {
            w = n;
            pedal_.sendUnasked(instead);
            return FT_OK;
        }
        const uint32_t status = pedal_.write(h, b, n, w);
        if (request && !after.isEmpty())
            pedal_.sendUnasked(after);
        return status;
    }

    QByteArray after;
    QByteArray instead;
};
} // namespace

class TestLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scanAndLinkThenUnlink();
    void oldFirmwareIsRefused();
    void oldAlgorithmDisablesOnlyTheCommandButtons();
    void noDeviceFound();
    void twoDevicesAreLinkedInTurnOneHandleAtATime();
    void linkEndsOnTheLastDeviceThatAnswered_data();
    void linkEndsOnTheLastDeviceThatAnswered();
    void failingReceivePurgeIsLoggedAfterTheReply();
    void refusedOpenLinksNothing_data();
    void refusedOpenLinksNothing();
    void faultsDuringTheStatusRequest_data();
    void faultsDuringTheStatusRequest();
    void splitReplyIsCollectedWhole();
    void statusReplyAmongOtherBytes_data();
    void statusReplyAmongOtherBytes();
    void lateReplyIsNotTakenForTheNextOne();
    void malformedRepliesAreRefused_data();
    void malformedRepliesAreRefused();
    void nestedRequestIsRefused();
    void unlinkDuringTheWaitKeepsTheReadTimerStopped();
    void unsolicitedBytesAreCountedByTheReadTimer_data();
    void unsolicitedBytesAreCountedByTheReadTimer();
};

void TestLink::scanAndLinkThenUnlink()
{
    EditorFixture fx;
    fx.start();
    FormMain& main = fx.main();
    QCOMPARE(main.ui->lblDeviceName->text(), QStringLiteral("Quarnel MK3"));
    QCOMPARE(main.ui->menuSerialNumber->text(), QStringLiteral("Device Serial: QM3V0001"));
    QVERIFY(!fx.session().isLinked());

    fx.comm().scanAndLink();
    QVERIFY(fx.session().isLinked());
    const QStringList log = fx.log();
    const QStringList expectedInOrder = {
        QStringLiteral("FT device count: 1"), QStringLiteral("FT_Device_String: QM3V0001"),
        QStringLiteral("serial number: QM3V0001"), QStringLiteral("driver: virtual"), QStringLiteral("baud rate = 115200"),
        QStringLiteral("firmware upgrade mode: False"),
        QStringLiteral("********************REQUEST********************"),
        QStringLiteral("num of bytes received: 107"), QStringLiteral("received_bytes_array size: 107"),
        QStringLiteral("0:    11"), QStringLiteral("106:    FF"), QStringLiteral("Firmware Version: 17"),
        QStringLiteral("Algorithm version: 0015"), QStringLiteral("Current device firmware: 17"),
        QStringLiteral("Most recent firmware: 17"), QStringLiteral("Effect Number: 00"),
    };
    int at = -1;
    for (const QString& line : expectedInOrder) {
        const int found = static_cast<int>(log.indexOf(line, at + 1));
        QVERIFY2(found > at, qPrintable(QStringLiteral("missing or out of order: ") + line));
        at = found;
    }
    QVERIFY(log.filter(QRegularExpression(QStringLiteral("^FT_HANDLE: 0x[0-9A-F]{8}$"))).size() == 1);
    QCOMPARE(main.ui->lblDeviceName->text(), QStringLiteral("Quarnel MK3 linked"));
    QCOMPARE(main.ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QCOMPARE(main.ui->lblAlgorithmVersion->text(), QStringLiteral("Device Algorithm: 0015"));

    // The pedal was asked once, with the status request, at 115200 8N1.
    QCOMPARE(fx.writes(), QList<QByteArray>{QByteArray("\x02\x00", 2)});
    QCOMPARE(fx.pedal().line().baud, 115200u);
    QCOMPARE(fx.pedal().line().parity, uint8_t(0));
    // The reply is read as it comes: no fixed pause before it.
    QVERIFY(!fx.clock.pauseLengths().contains(200));

    // The linked state.
    QCOMPARE(enabledOf(main, kUsbObjects, true), QStringList());
    QCOMPARE(enabledOf(main, {QStringLiteral("menuDisconnect"), QStringLiteral("menuEraseSettings"),
                              QStringLiteral("menuLoadFirstPresetAtStartup"), QStringLiteral("menuFirmwareUpgradeMode")},
                       true),
             QStringList());
    QCOMPARE(enabledOf(main, {QStringLiteral("menuScan"), QStringLiteral("menuConnect")}, false), QStringList());
    QVERIFY(fx.session().readTimer().isActive());
    QVERIFY(!fx.session().updatingFromPedal());
    QVERIFY(fx.dialogs.texts().isEmpty());

    main.ui->menuDisconnect->trigger();
    QVERIFY(!fx.session().isLinked());
    QCOMPARE(main.ui->lblDeviceName->text(), QStringLiteral("Quarnel MK3 "));
    QVERIFY(!fx.pedal().isOpen());
    QVERIFY(!fx.session().readTimer().isActive());
    QCOMPARE(enabledOf(main, {QStringLiteral("menuScan"), QStringLiteral("menuConnect")}, true), QStringList());
    QStringList off = kUsbObjects;
    off.removeAll(QStringLiteral("lstEffects")); // unlinking leaves the catalogue
    off << QStringLiteral("menuDisconnect") << QStringLiteral("menuEraseSettings")
        << QStringLiteral("menuLoadFirstPresetAtStartup");
    QCOMPARE(enabledOf(main, off, false), QStringList());
    QVERIFY(main.isEnabledByName(QStringLiteral("lstEffects")));
    QVERIFY(main.isEnabledByName(QStringLiteral("menuFirmwareUpgradeMode")));
}

void TestLink::oldFirmwareIsRefused()
{
    EditorFixture fx;
    fx.pedal().setFirmwareVersion(16);
    fx.startLinked();
    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), QStringLiteral("A firmware upgrade is required. Upgrade to Firmware 17"));
    QVERIFY(shown.at(1).startsWith(
        QStringLiteral("If current firmware is below 9 follow legacy firmware upgrade mode:\r\n1) close editor")));
    QVERIFY(shown.at(1).endsWith(
        QStringLiteral("\r\n\r\nIf current firmware is 9 or above go to Firmware Upgrade menu and follow instructions.")));
    QCOMPARE(shown.at(1).count(QStringLiteral("\r\n")), 7);
    QCOMPARE(enabledOf(fx.main(), kUsbObjects, false), QStringList());
    QCOMPARE(fx.main().ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 16"));
    QVERIFY(fx.session().updatingFromPedal()); // nothing is sent until a request succeeds
    QVERIFY(!fx.session().readTimer().isActive());
}

void TestLink::oldAlgorithmDisablesOnlyTheCommandButtons()
{
    EditorFixture fx;
    QVERIFY(fx.pedal().setAlgorithmVersion(14));
    fx.startLinked();
    QCOMPARE(fx.dialogs.informationTexts(),
             QStringList{QStringLiteral("Upload the latest version of Quarnel MK3 algorithm:\r\nUpload Quarnel MK3 0015")});
    QCOMPARE(fx.main().ui->lblAlgorithmVersion->text(), QStringLiteral("Device Algorithm: 0014"));
    QCOMPARE(enabledOf(fx.main(), kCommandButtons, false), QStringList());
    QStringList rest = kUsbObjects;
    for (const QString& b : kCommandButtons)
        rest.removeAll(b);
    QCOMPARE(enabledOf(fx.main(), rest, true), QStringList());
    QVERIFY(fx.main().isEnabledByName(QStringLiteral("btnUpload")));
}

void TestLink::noDeviceFound()
{
    EditorFixture fx;
    fx.pedal().unplug();
    fx.start();
    QCOMPARE(fx.main().ui->lblDeviceName->text(), QStringLiteral("No device found"));
    QVERIFY(!fx.main().isEnabledByName(QStringLiteral("menuConnect")));
    fx.comm().scanAndLink();
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{QStringLiteral("No device found")});
    QCOMPARE(fx.log(), QStringList{QStringLiteral("FT device count: 0")});
    QVERIFY(!fx.session().isLinked());
}

void TestLink::twoDevicesAreLinkedInTurnOneHandleAtATime()
{
    EditorFixture fx;
    VirtualPedal& pedal = fx.pedal();
    auto owned = std::make_unique<TwoDevices>(pedal);
    TwoDevices& two = *owned;
    fx.startWith(std::move(owned));
    Editor& editor = fx.editor();
    QCOMPARE(editor.formMain->ui->lblDeviceName->text(), QStringLiteral("Pedal two"));
    QCOMPARE(editor.formMain->ui->menuSerialNumber->text(), QStringLiteral("Device Serial: FIRSTSECOND"));

    editor.comm->scanAndLink();
    const QStringList log = editor.formPrint->lines();
    QVERIFY(log.indexOf(QStringLiteral("FT_Device_String: FIRST")) < log.indexOf(QStringLiteral("FT_Device_String: SECOND")));
    QCOMPARE(two.opens, 2);
    QCOMPARE(two.closes, 1); // the first handle let go before the second open
    QVERIFY(editor.session->isLinked());
    QCOMPARE(editor.comm->deviceSerialNumber(), QStringLiteral("SECOND"));
    QCOMPARE(editor.formMain->ui->lblDeviceName->text(), QStringLiteral("Pedal two linked"));
    QCOMPARE(log.filter(QStringLiteral("Firmware Version: 17")).size(), 2);
}

void TestLink::linkEndsOnTheLastDeviceThatAnswered_data()
{
    QTest::addColumn<QByteArray>("gadget");
    QTest::addColumn<QByteArray>("refused");
    QTest::addColumn<bool>("silentPedal");
    QTest::addColumn<QString>("linkedTo"); // empty: nothing stays linked
    QTest::addColumn<QStringList>("messages");
    const QString noAnswer = QStringLiteral("The pedal did not answer. Check that it is connected, then click Request.");
    const QString notOpened = QStringLiteral("The pedal could not be opened. It may be in use by another program: "
                                             "close that program, then choose Scan And Link to try again.");
    QTest::newRow("the pedal, then a silent gadget") << QByteArray("SECOND") << QByteArray() << false << "FIRST"
                                                     << QStringList();
    QTest::newRow("a silent gadget, then the pedal") << QByteArray("FIRST") << QByteArray() << false << "SECOND"
                                                     << QStringList();
    QTest::newRow("the pedal, then a device that will not open")
        << QByteArray() << QByteArray("SECOND") << false << "FIRST" << QStringList();
    // Nobody answered: the last device, as always, and only its message.
    QTest::newRow("a silent gadget, then a device that will not open")
        << QByteArray("FIRST") << QByteArray("SECOND") << false << QString() << QStringList{notOpened};
    QTest::newRow("two silent devices") << QByteArray("FIRST") << QByteArray() << true << "SECOND"
                                        << QStringList{noAnswer};
}

void TestLink::linkEndsOnTheLastDeviceThatAnswered()
{
    QFETCH(QByteArray, gadget);
    QFETCH(QByteArray, refused);
    QFETCH(bool, silentPedal);
    QFETCH(QString, linkedTo);
    QFETCH(QStringList, messages);
    EditorFixture fx;
    VirtualPedal& pedal = fx.pedal();
    pedal.setSilent(silentPedal);
    auto owned = std::make_unique<TwoDevices>(pedal);
    TwoDevices& two = *owned;
    two.gadget = gadget;
    two.refused = refused;
    bool windowShownToTheGadget = false;
    two.onGadgetWrite = [&] { windowShownToTheGadget = windowShownToTheGadget || fx.fx().isVisible(); };
    fx.startWith(std::move(owned));
    Editor& editor = fx.editor();
    FormMain& main = *editor.formMain;

    editor.comm->scanAndLink();
    const QStringList log = fx.log();
    QVERIFY(log.indexOf(QStringLiteral("FT_Device_String: FIRST")) < log.indexOf(QStringLiteral("FT_Device_String: SECOND")));
    QCOMPARE(fx.dialogs.informationTexts(), messages);
    QVERIFY(!windowShownToTheGadget); // its controls would have sent another device's values to it
    QCOMPARE(two.opens - two.closes, linkedTo.isEmpty() ? 0 : 1); // one handle at a time
    if (linkedTo.isEmpty()) {
        QVERIFY(!editor.session->isLinked());
        QVERIFY(!pedal.isOpen());
        QCOMPARE(enabledOf(main, {QStringLiteral("menuScan"), QStringLiteral("menuConnect")}, true), QStringList());
        QCOMPARE(enabledOf(main, {QStringLiteral("menuDisconnect"), QStringLiteral("btnRequest")}, false),
                 QStringList());
        QVERIFY(!fx.session().readTimer().isActive());
        QCOMPARE(main.ui->lblDeviceName->text(), QStringLiteral("Pedal two"));
        return;
    }
    QVERIFY(editor.session->isLinked());
    QCOMPARE(editor.comm->deviceSerialNumber(), linkedTo);
    QCOMPARE(main.ui->lblDeviceName->text(),
             (linkedTo == QLatin1String("FIRST") ? QStringLiteral("Pedal one") : QStringLiteral("Pedal two"))
                 + QStringLiteral(" linked"));
    if (silentPedal) {
        QCOMPARE(editor.comm->linkState(), Communication::LinkState::Silent);
        return;
    }
    QCOMPARE(editor.comm->linkState(), Communication::LinkState::Answering);
    QVERIFY(pedal.isOpen());
    QVERIFY(fx.fx().isVisible());
    // A dial turned now reaches the pedal.
    const int mark = fx.writeMark();
    fx.fx().ui->dialDry->setAngle(0);
    QTRY_VERIFY(!fx.session().pacedWriter().Timer1.isActive());
    const QList<QByteArray> sent = fx.writesSince(mark);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(uint8_t(sent.at(0).at(0)), uint8_t(0x01));
}

void TestLink::failingReceivePurgeIsLoggedAfterTheReply()
{
    EditorFixture fx;
    VirtualPedal& pedal = fx.pedal();
    auto owned = std::make_unique<TwoDevices>(pedal);
    TwoDevices& two = *owned;
    fx.startWith(std::move(owned));
    Editor& editor = fx.editor();
    editor.comm->scanAndLink();
    editor.session->pollUnsolicited(); // a read-timer tick turns error reporting on
    two.receivePurgeFails = true;

    const int mark = static_cast<int>(editor.formPrint->lines().size());
    QCOMPARE(editor.comm->requestStatus(), Outcome::Done);
    const QStringList log = editor.formPrint->lines().mid(mark);
    const auto purge = log.indexOf(QStringLiteral("FT_Purge RX - General IO error..."));
    QVERIFY2(purge > log.indexOf(QStringLiteral("106:    FF")), qPrintable(log.join(QLatin1Char('|'))));
    QVERIFY(purge < log.indexOf(QStringLiteral("Firmware Version: 17")));
}

void TestLink::refusedOpenLinksNothing_data()
{
    using Reason = FtdiDriver::OpenFailure::Reason;
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("systemText");
    QTest::addColumn<QString>("logged"); // empty: no line of the system's
    QTest::addColumn<QStringList>("said"); // parts of the one message, in order
    const QStringList inUse{QStringLiteral("The pedal could not be opened. It may be in use by another program: close "
                                           "that program, then choose Scan And Link to try again.")};
    // D2XX gives a status and nothing more.
    QTest::newRow("D2XX refuses") << int(Reason::Unknown) << QString() << QString() << inUse;
    QTest::newRow("another program holds the port")
        << int(Reason::InUse) << "Permission error while locking the device"
        << "could not open /dev/ttyUSB0: Permission error while locking the device" << inUse;
    QTest::newRow("this user may not open the port")
        << int(Reason::NoPermission) << "Permission denied" << "could not open /dev/ttyUSB0: Permission denied"
        << QStringList{QStringLiteral("this user may not open the port /dev/ttyUSB0 (Permission denied)"),
                       QStringLiteral("udev rule 60-quarnel-ftdi.rules"), QStringLiteral("cmake --install"),
                       QStringLiteral("dialout group"), QStringLiteral("log in again"),
                       QStringLiteral("Scan And Link")};
    QTest::newRow("a folder") << int(Reason::NotASerialPort) << "Is a directory"
                              << "could not open /dev/ttyUSB0: Is a directory"
                              << QStringList{QStringLiteral("/dev/ttyUSB0 is not a serial port (Is a directory)"),
                                             QStringLiteral("QUARNEL_SERIAL_PORT")};
}

void TestLink::refusedOpenLinksNothing()
{
    QFETCH(int, reason);
    QFETCH(QString, systemText);
    QFETCH(QString, logged);
    QFETCH(QStringList, said);
    EditorFixture fx;
    // One device, which will not open, with what its driver found out.
    class Refusing final : public PedalBehindLine {
    public:
        using PedalBehindLine::PedalBehindLine;
        uint32_t openBySerialNumber(const char*, Handle&) override { return FT_DEVICE_NOT_OPENED; }
        OpenFailure lastOpenFailure() const override { return failure; }
        OpenFailure failure;
    };
    auto owned = std::make_unique<Refusing>(fx.pedal());
    owned->failure = {FtdiDriver::OpenFailure::Reason(reason), systemText.isEmpty() ? QString() : "/dev/ttyUSB0",
                      systemText};
    fx.startWith(std::move(owned));
    fx.comm().scanAndLink();
    QVERIFY(!fx.session().isLinked());
    QCOMPARE(fx.main().ui->lblDeviceName->text(), QStringLiteral("Quarnel MK3"));
    QVERIFY(fx.main().isEnabledByName(QStringLiteral("menuScan")));
    // The request that follows any link attempt cannot reach a pedal and says so
    // at once instead of waiting or decoding old bytes, and says why: not a
    // pedal that did not answer, nor a "Request" button that is disabled.
    const QStringList log = fx.log();
    QVERIFY(log.contains(QStringLiteral("the pedal could not be opened, so the status request got no answer")));
    QCOMPARE(log.filter(QStringLiteral("could not open ")), logged.isEmpty() ? QStringList() : QStringList{logged});
    QVERIFY(log.filter(QStringLiteral("driver: ")).isEmpty());
    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 1);
    int at = 0;
    for (const QString& part : said) {
        at = static_cast<int>(shown.at(0).indexOf(part, at));
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("not said: ") + part + QStringLiteral("\n") + shown.at(0)));
    }
    QVERIFY(fx.writes().isEmpty());
}

void TestLink::faultsDuringTheStatusRequest_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<QString>("message");
    const QString noAnswer = QStringLiteral("The pedal did not answer. Check that it is connected, then click Request.");
    QTest::newRow("silent pedal") << "silent" << "the pedal did not answer the status request" << noAnswer;
    // An unplugged pedal unlinks the window instead (tst_safetynet).
    QTest::newRow("short reply") << "short"
                                 << "status reply too short: 50 values by the time limit, 107 expected"
                                 << "The pedal's answer was incomplete. Click Request to ask again.";
    QTest::newRow("garbled reply") << "garbled" << "status reply malformed: "
                                   << "The pedal's answer could not be read. Click Request to ask again.";
}

void TestLink::faultsDuringTheStatusRequest()
{
    QFETCH(QString, fault);
    QFETCH(QString, logLine);
    QFETCH(QString, message);
    EditorFixture fx;
    fx.startLinked();
    const QByteArray before = fx.session().lastStatus()->fields;
    fx.dialogs.clear();
    if (fault == QLatin1String("silent"))
        fx.pedal().setSilent(true);
    else if (fault == QLatin1String("short"))
        fx.pedal().setShortReply(50);
    else
        fx.pedal().setGarbledReply(true);

    const qint64 started = fx.clock.nowMs();
    const int mark = fx.logMark();
    QVERIFY(fx.comm().requestStatus() != Outcome::Done);
    QVERIFY(fx.clock.nowMs() - started <= Transport::kReplyTimeoutMs + 500); // a time limit, not a hang
    const QStringList log = fx.logSince(mark);
    QVERIFY2(std::any_of(log.cbegin(), log.cend(), [&](const QString& l) { return l.startsWith(logLine); }),
             qPrintable(log.join(QLatin1Char('|'))));
    QCOMPARE(fx.dialogs.informationTexts(), QStringList{message});
    QCOMPARE(fx.session().lastStatus()->fields, before); // neither the old nor a partial reply is used
    QVERIFY(fx.comm().lastStatus());
    QCOMPARE(fx.comm().lastStatus()->fields, before); // the last status is the last whole one
    // The window is as it was: linked, controls on, the read timer back.
    QVERIFY(!fx.session().updatingFromPedal());
    QVERIFY(fx.session().readTimer().isActive());
    QCOMPARE(enabledOf(fx.main(), kUsbObjects, true), QStringList());
}

void TestLink::splitReplyIsCollectedWhole()
{
    EditorFixture fx;
    fx.pedal().setSplitReplies(20);
    fx.startLinked();
    QCOMPARE(fx.session().lastStatus()->fields.size(), 107);
    QCOMPARE(fx.main().ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QVERIFY(fx.dialogs.texts().isEmpty());
}

void TestLink::statusReplyAmongOtherBytes_data()
{
    QTest::addColumn<QByteArray>("before"); // queued before the request is sent
    QTest::addColumn<QByteArray>("after");  // arriving right behind the reply
    QTest::addColumn<QString>("logged");
    QTest::newRow("the tail of an upload's answer") << QByteArray("oad OK") << QByteArray()
                                                    << "6 stray bytes dropped before the status request";
    QTest::newRow("a memory dump nobody read")
        << QByteArray(1, char(0xAB)) + QByteArray(16384, char(0xFF)) << QByteArray()
        << "16385 stray bytes dropped before the status request";
    PedalModel older;
    older.firmwareVersion = 9;
    const QByteArray lateReply = StatusReply::text(older, -1, false);
    QTest::newRow("a late reply behind the answer")
        << QByteArray() << lateReply << QStringLiteral("%1 bytes after the reply were dropped").arg(lateReply.size());
}

void TestLink::statusReplyAmongOtherBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, logged);
    EditorFixture fx;
    auto owned = std::make_unique<ReplyShaper>(fx.pedal());
    ReplyShaper& shaper = *owned;
    fx.startWith(std::move(owned));
    fx.comm().scanAndLink();
    fx.session().readTimer().stop(); // as after a refused algorithm: nobody reads the queue between
    fx.pedal().sendUnasked(before);
    fx.clock.advance(2000);
    shaper.after = after;
    fx.dialogs.clear();

    const int mark = fx.logMark();
    QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
    const QStringList log = fx.logSince(mark);
    QVERIFY2(log.contains(logged), qPrintable(log.join(QLatin1Char('|'))));
    QVERIFY(log.contains(QStringLiteral("received_bytes_array size: 107")));
    QCOMPARE(fx.session().lastStatus()->fields.size(), 107);
    QCOMPARE(fx.main().ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QVERIFY(fx.dialogs.texts().isEmpty());
}

void TestLink::lateReplyIsNotTakenForTheNextOne()
{
    EditorFixture fx;
    fx.startLinked();
    fx.dialogs.clear();
    fx.pedal().setReplyDelay(Transport::kReplyTimeoutMs + 500);
    QVERIFY(fx.comm().requestStatus() != Outcome::Done); // given up before its reply came
    fx.pedal().setReplyDelay(0);
    fx.clock.advance(1000); // the late reply has arrived by the next click
    fx.pedal().setFirmwareVersion(18);

    const int mark = fx.logMark();
    QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
    const QStringList log = fx.logSince(mark);
    QCOMPARE(log.filter(QRegularExpression(QStringLiteral("^\\d+ stray bytes dropped before the status request$"))).size(),
             1);
    QCOMPARE(fx.session().lastStatus()->fields.size(), 107);
    QCOMPARE(fx.main().ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 18"));
    QCOMPARE(fx.comm().lastStatus()->firmware, uint8_t(18));
}

void TestLink::malformedRepliesAreRefused_data()
{
    QTest::addColumn<QByteArray>("reply");
    const QByteArray good = StatusReply::text(PedalModel(), -1, false);
    const QByteArray tail = good.mid(good.indexOf('\r')); // everything after the first field
    QTest::newRow("CR CR LF between fields") << QByteArray(good).replace("\r\n", "\r\r\n");
    QTest::newRow("letters") << QByteArray("Qw") + tail;
    QTest::newRow("a minus sign") << QByteArray("-17") + tail;
    QTest::newRow("a colon") << QByteArray("1:7") + tail;
    QTest::newRow("a field of 60,000 digits") << QByteArray(60000, '1') + tail;
}

void TestLink::malformedRepliesAreRefused()
{
    QFETCH(QByteArray, reply);
    EditorFixture fx;
    auto owned = std::make_unique<ReplyShaper>(fx.pedal());
    ReplyShaper& shaper = *owned;
    fx.startWith(std::move(owned));
    fx.comm().scanAndLink();
    const QByteArray before = fx.session().lastStatus()->fields;
    QCOMPARE(before.size(), 107);
    fx.pedal().setFirmwareVersion(18); // what a wrongly decoded reply must not show either
    shaper.instead = reply;
    fx.dialogs.clear();

    const int mark = fx.logMark();
    QVERIFY(fx.comm().requestStatus() != Outcome::Done);
    QCOMPARE(fx.logSince(mark).filter(QRegularExpression(QStringLiteral("^status reply malformed: "))).size(), 1);
    QCOMPARE(fx.dialogs.informationTexts(),
             QStringList{QStringLiteral("The pedal's answer could not be read. Click Request to ask again.")});
    QCOMPARE(fx.session().lastStatus()->fields, before);
    QCOMPARE(fx.main().ui->lblFirmwareVersion->text(), QStringLiteral("Device Firmware: 17"));
    QVERIFY(fx.session().readTimer().isActive());
}

void TestLink::nestedRequestIsRefused()
{
    EditorFixture fx;
    fx.startLinked();
    fx.pedal().setReplyDelay(50);
    // A click on "Request" that arrives while the first request waits.
    bool nestedResult = true;
    QTimer::singleShot(0, &fx.main(), [&] { nestedResult = fx.comm().requestStatus() == Outcome::Done; });
    QCOMPARE(fx.comm().requestStatus(), Outcome::Done);
    QVERIFY(!nestedResult);
    QVERIFY(fx.log().contains(QStringLiteral("status request refused: another request is waiting for the pedal")));
}

void TestLink::unlinkDuringTheWaitKeepsTheReadTimerStopped()
{
    EditorFixture fx;
    fx.startLinked();
    QVERIFY(fx.session().readTimer().isActive());
    fx.pedal().setSilent(true);
    // "Unlink" chosen while the request waits for the pedal.
    QTimer::singleShot(0, &fx.main(), [&] { fx.main().ui->menuDisconnect->trigger(); });
    QVERIFY(fx.comm().requestStatus() != Outcome::Done);
    QVERIFY(!fx.session().isLinked());
    QVERIFY(!fx.session().readTimer().isActive());
    QVERIFY(fx.main().isEnabledByName(QStringLiteral("menuScan")));
}

void TestLink::unsolicitedBytesAreCountedByTheReadTimer_data()
{
    QTest::addColumn<int>("sent");
    QTest::addColumn<QStringList>("logged"); // over two ticks
    QTest::newRow("a few bytes") << 5 << QStringList{QStringLiteral("num of bytes read: 5")};
    QTest::newRow("a whole receive buffer") << 65536 << QStringList{QStringLiteral("num of bytes read: 65536")};
    QTest::newRow("more than the buffer holds")
        << 70000 << QStringList{QStringLiteral("num of bytes read: 65536"), QStringLiteral("num of bytes read: 4464")};
}

void TestLink::unsolicitedBytesAreCountedByTheReadTimer()
{
    QFETCH(int, sent);
    QFETCH(QStringList, logged);
    EditorFixture fx;
    fx.startLinked();
    fx.pedal().sendUnasked(QByteArray(sent, 'h'));
    fx.clock.advance(10000); // every byte on the wire
    const int mark = fx.logMark();
    fx.session().pollUnsolicited();
    QVERIFY(fx.session().reportsErrors()); // on again after the tick
    fx.session().pollUnsolicited();
    fx.session().pollUnsolicited(); // nothing queued, nothing logged
    QCOMPARE(fx.logSince(mark), logged);
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
