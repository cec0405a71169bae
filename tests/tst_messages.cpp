// The effect editor's messages as the pedal receives them, and the status
// reply fields it reads: tables of input and expected text.

#include "editor/Messages.h"
#include "editor/ParameterModel.h"
#include "effects/CatalogueHandler.h"

#include <QtTest>

namespace {

// The newest image's addresses for the parameters the examples use.
ParameterModel modelWithAddresses()
{
    ParameterModel m;
    m.inputLevel.address = 0x008C;
    m.harmonicPitch.address = 0x0095;
    m.waveClip.address = 0x00E7;
    m.dominantNotesCut.address = 0x009C;
    m.highNotesCut.address = 0x00A1;
    m.dryHpf.address = 0x00B4;
    m.limitRangeUp.address = 0x00BB;
    m.noiseGateStatus.address = 0x00C3;
    m.noiseGateThreshold.address = 0x00CA;
    m.attack.address = 0x00AE;
    return m;
}

QByteArray reply(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(static_cast<char>(b));
    return out;
}

} // namespace

class TestMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writeParameter_data();
    void writeParameter();
    void assign_data();
    void assign();
    void footswitch_data();
    void footswitch();
    void footswitchModesRoundTrip();
    void tuning_data();
    void tuning();
    void semitoneEntries_data();
    void semitoneEntries();
    void assignmentsFromTheReply();
    void sharedAddressMatchesEveryEntry();
    void valuesFromTheReply();
    void imageNames_data();
    void imageNames();
    void catalogueVersion_data();
    void catalogueVersion();
};

void TestMessages::writeParameter_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<uint>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("level 512 at 0x0013") << 0x0013 << uint(levelWord(512)) << QStringLiteral("01001300400000");
    QTest::newRow("highest level") << 0x0027 << uint(levelWord(1023)) << QStringLiteral("010027007FE000");
    QTest::newRow("pitch +12") << 0x0095 << uint(harmonicPitchTable[24]) << QStringLiteral("01009500800000");
    QTest::newRow("attack slow") << 0x00AE << uint(ParameterCodes::kAttackSlow) << QStringLiteral("0100AE00000800");
    QTest::newRow("unassigned address") << 0xFFFF << 1u << QStringLiteral("01FFFF00000001");
}

void TestMessages::writeParameter()
{
    QFETCH(int, address);
    QFETCH(uint, value);
    QFETCH(QString, text);
    QCOMPARE(Messages::writeParameter(static_cast<uint16_t>(address), value), text);
    QCOMPARE(Messages::bypass(true), QStringLiteral("0D01"));
    QCOMPARE(Messages::bypass(false), QStringLiteral("0D00"));
}

void TestMessages::assign_data()
{
    QTest::addColumn<QStringList>("entries"); // Control I..IV, remote
    QTest::addColumn<QString>("text");
    const QString na = Messages::notAssignedText();
    QTest::newRow("clip and attack")
        << QStringList{QStringLiteral("Wave Clip"), na, QStringLiteral("Attack"), na, na}
        << QStringLiteral("040100010000" "00E7" "FFFF" "00AE" "FFFF" "FFFF");
    QTest::newRow("remote preset") << QStringList{na, na, na, na, QStringLiteral("Preset")}
                                   << QStringLiteral("040000000001FFFFFFFFFFFFFFFFFFFD");
    QTest::newRow("remote bypass") << QStringList{na, na, na, na, QStringLiteral("Bypass")}
                                   << QStringLiteral("040000000001FFFFFFFFFFFFFFFFFFFE");
    QTest::newRow("noise gate threshold by its name")
        << QStringList{QStringLiteral("Noise Gate Threshold"), QStringLiteral("Input Level"),
                       QStringLiteral("High Notes Cut"), QStringLiteral("Noise Gate Status"), na}
        << QStringLiteral("040101010100" "00CA" "008C" "00A1" "00C3" "FFFF");
    QTest::newRow("nothing assigned") << QStringList{na, na, na, na, na}
                                      << QStringLiteral("040000000000FFFFFFFFFFFFFFFFFFFF");
}

void TestMessages::assign()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, text);
    ParameterModel m = modelWithAddresses();
    std::array<QString, kControlCount> shown;
    for (int c = 0; c < kControlCount; ++c) {
        shown[static_cast<size_t>(c)] = entries.at(c);
        m.controlAssigned[static_cast<size_t>(c)] = entries.at(c) != Messages::notAssignedText();
    }
    const QString message = Messages::assign(m, shown);
    QCOMPARE(message, text);
    QCOMPARE(message.size(), 32);
}

void TestMessages::footswitch_data()
{
    QTest::addColumn<bool>("changePresetShort");
    QTest::addColumn<bool>("bypassLong");
    QTest::addColumn<QString>("text");
    QTest::newRow("bypass short, preset long (mode 0)") << false << false << QStringLiteral("080000");
    QTest::newRow("bypass short, bypass long (mode 1)") << false << true << QStringLiteral("080001");
    QTest::newRow("preset short, preset long (mode 2)") << true << false << QStringLiteral("080100");
    QTest::newRow("preset short, bypass long (mode 3)") << true << true << QStringLiteral("080101");
}

void TestMessages::footswitch()
{
    QFETCH(bool, changePresetShort);
    QFETCH(bool, bypassLong);
    QFETCH(QString, text);
    Messages::FootswitchButtons b;
    b.bypassShort = !changePresetShort;
    b.changePresetShort = changePresetShort;
    b.bypassLong = bypassLong;
    b.changePresetLong = !bypassLong;
    QCOMPARE(Messages::footswitch(b), text);
}

void TestMessages::footswitchModesRoundTrip()
{
    // The reply's mode byte and the message use the same two bits.
    for (int mode = 0; mode < 4; ++mode) {
        const auto b = Messages::footswitchButtons(mode);
        QVERIFY(b);
        QCOMPARE(b->bypassShort, !b->changePresetShort);
        QCOMPARE(b->bypassLong, !b->changePresetLong);
        QCOMPARE(Messages::footswitch(*b), QStringLiteral("08%1%2").arg(mode >> 1, 2, 10, QLatin1Char('0'))
                                               .arg(mode & 1, 2, 10, QLatin1Char('0')));
    }
    QVERIFY(!Messages::footswitchButtons(4));
    QVERIFY(!Messages::footswitchButtons(255));
    QCOMPARE(Messages::footswitchModeLogLine(3), QStringLiteral("Footswitch Mode: Preset Short, Bypass Long"));
    QVERIFY(Messages::footswitchModeLogLine(4).isEmpty());
}

void TestMessages::tuning_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("variation");
    QTest::addColumn<QString>("text");
    QTest::newRow("standard, -1") << 1 << -1 << QStringLiteral("0901FF");
    QTest::newRow("bass guitar, +3") << 8 << 3 << QStringLiteral("090803");
    QTest::newRow("no tuning, 0") << 0 << 0 << QStringLiteral("090000");
    QTest::newRow("drop D, -2") << 2 << -2 << QStringLiteral("0902FE");
    QTest::newRow("open C, -5") << 7 << -5 << QStringLiteral("0907FB");
}

void TestMessages::tuning()
{
    QFETCH(int, code);
    QFETCH(int, variation);
    QFETCH(QString, text);
    QCOMPARE(Messages::tuning(static_cast<uint8_t>(code), static_cast<int8_t>(variation)), text);
    QCOMPARE(Messages::tuningTexts().size(), 9);
    QCOMPARE(Messages::tuningTexts().at(code).isEmpty(), false);
}

void TestMessages::semitoneEntries_data()
{
    QTest::addColumn<int>("variation");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::newRow("-5") << -5 << 0 << QStringLiteral("-5");
    QTest::newRow("-4 (0xFC)") << int(int8_t(0xFC)) << 1 << QStringLiteral("-4");
    QTest::newRow("0") << 0 << 5 << QStringLiteral("0");
    QTest::newRow("+3") << 3 << 8 << QStringLiteral("+3");
    QTest::newRow("+4 has none") << 4 << -1 << QString();
    QTest::newRow("-6 has none") << -6 << -1 << QString();
}

void TestMessages::semitoneEntries()
{
    QFETCH(int, variation);
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(Messages::semitoneIndex(variation), index);
    if (index >= 0) {
        QCOMPARE(Messages::semitoneTexts().at(index), text);
        QCOMPARE(Messages::semitonesFromText(text), std::optional<int>(variation));
    }
}

void TestMessages::assignmentsFromTheReply()
{
    // Flags at 7..11, addresses from 12, as in the status reply.
    QByteArray r(7, '\0');
    r += reply({1, 0, 1, 0, 1, 0x00, 0xE7, 0x12, 0x34, 0x00, 0xAE, 0xFF, 0xFF, 0xFF, 0xFD});
    const auto a = Messages::readAssignments(r, 7);
    QVERIFY(a);
    QCOMPARE(a->assigned, (std::array<bool, 5>{true, false, true, false, true}));
    QCOMPARE(a->address, (std::array<uint16_t, 5>{0x00E7, 0x1234, 0x00AE, 0xFFFF, 0xFFFD}));
    QVERIFY(!Messages::readAssignments(r.left(21), 7));

    const ParameterModel m = modelWithAddresses();
    QCOMPARE(Messages::matchingEntries(m, Control::One, 0x00E7), QList<int>{3});
    QCOMPARE(Messages::matchingEntries(m, Control::Three, 0x00AE), QList<int>{5});
    QCOMPARE(Messages::matchingEntries(m, Control::Two, 0x1234), QList<int>{});
    // Control III and IV offer the on/off parameters only.
    QCOMPARE(Messages::matchingEntries(m, Control::Four, 0x00E7), QList<int>{});
    QCOMPARE(Messages::assignmentLogLine(Control::One, 2), QStringLiteral("CTRL I assignment: Wave 2 Pitch"));
    QCOMPARE(Messages::assignmentLogLine(Control::Two, 3), QStringLiteral("CTRL II assignment: Clipping"));
    QCOMPARE(Messages::assignmentLogLine(Control::Three, 1), QStringLiteral("CTRL III assignment: DNC"));
    QCOMPARE(Messages::assignmentLogLine(Control::Four, 2), QStringLiteral("CTRL IV assignment: HNC"));
}

void TestMessages::sharedAddressMatchesEveryEntry()
{
    // Older images put 0x0000 in several words.
    ParameterModel m;
    m.dominantNotesCut.address = 0x0090;
    m.highNotesCut.address = 0x0092;
    m.limitRangeUp.address = 0x0000;
    m.noiseGateStatus.address = 0x0000;
    m.attack.address = 0x0000;
    QCOMPARE(Messages::matchingEntries(m, Control::Three, 0x0000), (QList<int>{3, 4, 5}));
}

void TestMessages::valuesFromTheReply()
{
    const QByteArray r = reply({0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0xFF});
    QCOMPARE(Messages::readValue(r, 0), std::optional<uint32_t>(0x00800000));
    QCOMPARE(Messages::readValue(r, 4), std::optional<uint32_t>(0x00008000));
    QCOMPARE(Messages::readValue(r, 6), std::optional<uint32_t>());
    QCOMPARE(Messages::valueLogLabel(ParameterId::SubMix, QStringLiteral("Sub Mix")), QStringLiteral("Sub Mix: "));
    QCOMPARE(Messages::valueLogLabel(ParameterId::Minus1Oct, QStringLiteral("-1 Oct")), QStringLiteral("Sub -1: \t"));
    QCOMPARE(Messages::valueLogLabel(ParameterId::Attack, QStringLiteral("Attack")), QStringLiteral("Attack: \t"));
}

void TestMessages::imageNames_data()
{
    QTest::addColumn<QString>("effect");
    QTest::addColumn<QString>("image");
    QTest::newRow("catalogue entry") << QStringLiteral("Quarnel MK3 0015") << QStringLiteral("Quarnel_MK3_0015");
    QTest::newRow("plus and upper-case X") << QStringLiteral("Oct+Sub X2") << QStringLiteral("OctplusSub_mult2");
    QTest::newRow("dash, lower-case x") << QStringLiteral("Sub-Oct x2") << QStringLiteral("Sub_Oct_x2");
}

void TestMessages::imageNames()
{
    QFETCH(QString, effect);
    QFETCH(QString, image);
    QCOMPARE(CatalogueHandler::imageName(effect), image);
}

void TestMessages::catalogueVersion_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("version");
    QTest::newRow("0015") << QStringLiteral("Quarnel MK3 0015") << 15;
    QTest::newRow("0120") << QStringLiteral("Other 0120") << 120;
    QTest::newRow("no number") << QStringLiteral("Quarnel MK3 beta") << -1;
    QTest::newRow("too short") << QStringLiteral("15") << -1;
}

void TestMessages::catalogueVersion()
{
    QFETCH(QString, entry);
    QFETCH(int, version);
    QCOMPARE(CatalogueHandler::versionOf(entry), version);
}

QTEST_GUILESS_MAIN(TestMessages)
#include "tst_messages.moc"
