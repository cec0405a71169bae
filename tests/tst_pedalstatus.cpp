// The status reply read into its parts: from the text the pedal sends, through
// the reply decoder, to what each window shows.

#include "link/ReplyDecoder.h"
#include "status/PedalStatus.h"
#include "virtualpedal/PedalModel.h"
#include "virtualpedal/StatusReply.h"

#include <QtTest>

namespace {
std::optional<PedalStatus> fromPedal(const PedalModel& model)
{
    const ReplyDecoder::Result r =
        ReplyDecoder::decode(StatusReply::text(StatusReply::values(model)), StatusReply::kValueCount);
    if (r.state != ReplyDecoder::State::Whole)
        return std::nullopt;
    return PedalStatus::decode(r.values);
}
} // namespace

class TestPedalStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPartComesFromItsField();
    void bytesThatMeanNothing_data();
    void bytesThatMeanNothing();
    void aShortReplyIsNoStatus();
};

void TestPedalStatus::everyPartComesFromItsField()
{
    PedalModel pedal;
    pedal.firmwareVersion = 17;
    pedal.algorithmHigh = 0x00;
    pedal.algorithmLow = 0x15;
    pedal.effectNumber = 0x12;
    pedal.footswitchMode = 3;
    pedal.tuning = 4;
    pedal.semitones = static_cast<uint8_t>(-5);
    pedal.assignedFlags = {1, 0, 1, 0, 1};
    pedal.assignedAddresses = {0x0102, 0xFFFF, 0x0A0B, 0xFFFF, 0xFFFE};
    pedal.bypass = 1;
    pedal.storeBypass = 1;
    pedal.instrumentRange = 0xBA;
    pedal.midiChannel = 16;
    pedal.powerOnPreset = 1;
    for (int k = 0; k < kParameterCount; ++k)
        pedal.values[static_cast<size_t>(k)] = 0x01000000u * uint32_t(k) + 0x00ABCDEFu;

    const std::optional<PedalStatus> s = fromPedal(pedal);
    QVERIFY(s);
    QCOMPARE(s->fields.size(), PedalStatus::kFieldCount);
    QCOMPARE(s->firmware, uint8_t(17));
    QCOMPARE(s->firmwareText(), QStringLiteral("17"));
    QCOMPARE(s->algorithmText, QStringLiteral("0015"));
    QCOMPARE(s->algorithm, std::optional<int>(15));
    // The effect byte is two hexadecimal digits read as a decimal number.
    QCOMPARE(s->effectText, QStringLiteral("12"));
    QCOMPARE(s->effect, std::optional<int>(12));
    QCOMPARE(s->footswitchMode, uint8_t(3));
    QCOMPARE(s->tuning, uint8_t(4));
    QCOMPARE(s->semitoneVariation, int8_t(-5));
    QCOMPARE(s->assignments.assigned, (std::array<bool, 5>{true, false, true, false, true}));
    QCOMPARE(s->assignments.address, (std::array<uint16_t, 5>{0x0102, 0xFFFF, 0x0A0B, 0xFFFF, 0xFFFE}));
    QCOMPARE(s->bypass, std::optional<bool>(true));
    QCOMPARE(s->storeBypass, std::optional<bool>(true));
    QCOMPARE(s->instrument, uint8_t(0xBA));
    QCOMPARE(s->midiChannel, std::optional<int>(16));
    for (int k = 0; k < kParameterCount; ++k)
        QCOMPARE(s->values[static_cast<size_t>(k)], pedal.values[static_cast<size_t>(k)]);
    QCOMPARE(s->loadFirstPreset, std::optional<bool>(true));
}

void TestPedalStatus::bytesThatMeanNothing_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("part");
    QTest::newRow("algorithm digit A") << PedalStatus::kAlgorithmField + 1 << 0x1A << "algorithm";
    QTest::newRow("effect digit F") << PedalStatus::kEffectField << 0x0F << "effect";
    QTest::newRow("bypass 2") << PedalStatus::kBypassField << 2 << "bypass";
    QTest::newRow("store bypass 7") << PedalStatus::kStoreBypassField << 7 << "storeBypass";
    QTest::newRow("MIDI channel 17") << PedalStatus::kMidiChannelField << 17 << "midiChannel";
    QTest::newRow("power-on preset 0") << PedalStatus::kLoadFirstPresetField << 0 << "loadFirstPreset";
}

void TestPedalStatus::bytesThatMeanNothing()
{
    QFETCH(int, field);
    QFETCH(int, byte);
    QFETCH(QString, part);
    QByteArray fields(PedalStatus::kFieldCount, '\0');
    fields[PedalStatus::kBypassField] = 1;
    fields[PedalStatus::kStoreBypassField] = 1;
    fields[PedalStatus::kLoadFirstPresetField] = 1;
    fields[field] = static_cast<char>(byte);
    const std::optional<PedalStatus> s = PedalStatus::decode(fields);
    QVERIFY(s);
    const QHash<QString, bool> known = {
        {QStringLiteral("algorithm"), s->algorithm.has_value()},
        {QStringLiteral("effect"), s->effect.has_value()},
        {QStringLiteral("bypass"), s->bypass.has_value()},
        {QStringLiteral("storeBypass"), s->storeBypass.has_value()},
        {QStringLiteral("midiChannel"), s->midiChannel.has_value()},
        {QStringLiteral("loadFirstPreset"), s->loadFirstPreset.has_value()},
    };
    // That one part is empty; every other part still reads.
    for (auto it = known.cbegin(); it != known.cend(); ++it)
        QVERIFY2(it.value() == (it.key() != part), qPrintable(it.key()));
}

void TestPedalStatus::aShortReplyIsNoStatus()
{
    QVERIFY(!PedalStatus::decode(QByteArray(PedalStatus::kFieldCount - 1, '\x11')));
    QVERIFY(!PedalStatus::decode(QByteArray()));
    // Anything after the last field is not part of the status.
    const std::optional<PedalStatus> s = PedalStatus::decode(QByteArray(PedalStatus::kFieldCount + 3, '\x01'));
    QVERIFY(s);
    QCOMPARE(s->fields.size(), PedalStatus::kFieldCount);
}

QTEST_GUILESS_MAIN(TestPedalStatus)
#include "tst_pedalstatus.moc"
