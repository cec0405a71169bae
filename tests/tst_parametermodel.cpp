// The parameter model: the pitch table against the rule it follows, the
// address tables of the embedded images, and tables that cannot be read.

#include "data/DataItems.h"
#include "editor/ParameterModel.h"
#include "effects/CatalogueHandler.h"

#include <QtTest>

#include <cmath>

namespace {

// An image line whose address table holds the given 22 words, then a little data.
QString imageLineWith(const std::array<uint16_t, kAddressWords>& words)
{
    QString line = QStringLiteral("0010A0");
    for (uint16_t w : words)
        line += QStringLiteral("%1").arg(w, 4, 16, QLatin1Char('0')).toUpper();
    return line + QStringLiteral("DEADBEEF00000000");
}

QStringList embeddedImage(const QString& name)
{
    bool ok = false;
    const QByteArray bytes = DataItems::bytes(name, &ok);
    if (!ok)
        return {};
    return CatalogueHandler::splitLines(QString::fromUtf8(bytes));
}

} // namespace

class TestParameterModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pitchTableFollowsItsRule_data();
    void pitchTableFollowsItsRule();
    void pitchListTextsAndLookup();
    void freshModelHasNoAddresses();
    void everyWordGoesToItsParameter();
    void newestImageAddresses();
    void olderImageAddressesZeroAsAnyOther();
    void malformedTableChangesNothing_data();
    void malformedTableChangesNothing();
    void valuesInReplyOrder();
};

void TestParameterModel::pitchTableFollowsItsRule_data()
{
    QTest::addColumn<int>("semitones");
    for (int n = -12; n <= 12; ++n)
        QTest::addRow("%+d", n) << n;
}

void TestParameterModel::pitchTableFollowsItsRule()
{
    QFETCH(int, semitones);
    const double fraction = semitones <= 0 ? 0.5 + semitones / 48.0 : 0.5 + semitones / 24.0;
    const auto expected = static_cast<uint32_t>(8 * std::llround(std::ldexp(1.0, 20) * fraction));
    QCOMPARE(harmonicPitchTable[static_cast<size_t>(semitones + 12)], expected);
    QCOMPARE(harmonicPitchTable[static_cast<size_t>(semitones + 12)] % 8, 0u);
}

void TestParameterModel::pitchListTextsAndLookup()
{
    const QStringList texts = harmonicPitchTexts();
    QCOMPARE(texts.size(), 25);
    QCOMPARE(texts.first(), QStringLiteral("-12"));
    QCOMPARE(texts.at(11), QStringLiteral("-1"));
    QCOMPARE(texts.at(12), QStringLiteral("0"));
    QCOMPARE(texts.at(13), QStringLiteral("+1"));
    QCOMPARE(texts.last(), QStringLiteral("+12"));
    QCOMPARE(harmonicPitchIndex(0x00400000), 12);
    QCOMPARE(harmonicPitchIndex(0x00800000), 24);
    QCOMPARE(harmonicPitchIndex(0x00400001), -1);
}

void TestParameterModel::freshModelHasNoAddresses()
{
    ParameterModel m;
    QStringList names;
    for (int k = 0; k < kParameterCount; ++k) {
        const auto id = static_cast<ParameterId>(k);
        QCOMPARE(m.address(id), m.isAssignable(id) ? uint16_t(0xFFFF) : uint16_t(0x0000));
        QCOMPARE(m.value(id), 0u);
        names << m.name(id);
    }
    // The assign message finds a parameter by its name.
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), kParameterCount);
    QCOMPARE(m.controlAssigned, (std::array<bool, kControlCount>{}));
    QCOMPARE(int(m.currentTuning), 0);
    QCOMPARE(int(m.semitoneVariation), 0);
    QVERIFY(!m.allParametersEnabled);
}

void TestParameterModel::everyWordGoesToItsParameter()
{
    std::array<uint16_t, kAddressWords> words{};
    for (int k = 0; k < kAddressWords; ++k)
        words[static_cast<size_t>(k)] = static_cast<uint16_t>(0x1A00 + k);
    ParameterModel m;
    QVERIFY(readParameterAddresses({imageLineWith(words)}, m));

    const QList<QPair<ParameterId, int>> expected = {
        {ParameterId::Dry, 0},          {ParameterId::SubMix, 1},         {ParameterId::Minus1Oct, 2},
        {ParameterId::Minus2Oct, 3},    {ParameterId::Wave, 4},           {ParameterId::LowPass, 5},
        {ParameterId::HighPass, 6},     {ParameterId::FirstHarmonic, 7},  {ParameterId::Split, 8},
        {ParameterId::InputLevel, 12},  {ParameterId::HarmonicPitch, 13}, {ParameterId::WaveClip, 14},
        {ParameterId::DominantNotesCut, 15}, {ParameterId::HighNotesCut, 16}, {ParameterId::DryHpf, 17},
        {ParameterId::LimitRangeUp, 18}, {ParameterId::NoiseGateStatus, 19}, {ParameterId::NoiseGateThreshold, 20},
        {ParameterId::Attack, 21},
    };
    for (const auto& [id, word] : expected)
        QVERIFY2(m.address(id) == 0x1A00 + word, qPrintable(m.name(id)));
    // "Range" has no word of its own.
    QCOMPARE(m.range.address, uint16_t(0x0000));
}

void TestParameterModel::newestImageAddresses()
{
    const QStringList image = embeddedImage(QStringLiteral("QUARNEL_MK3_0015"));
    QCOMPARE(image.size(), 1);
    QCOMPARE(image.first().left(6), QStringLiteral("0010A0"));
    ParameterModel m;
    QVERIFY(readParameterAddresses(image, m));
    QCOMPARE(m.dry.address, uint16_t(0x0027));
    QCOMPARE(m.waveClip.address, uint16_t(0x00E7));
    QCOMPARE(m.attack.address, uint16_t(0x00AE));
    QCOMPARE(m.range.address, uint16_t(0x0000));
}

void TestParameterModel::olderImageAddressesZeroAsAnyOther()
{
    ParameterModel m;
    QVERIFY(readParameterAddresses(embeddedImage(QStringLiteral("QUARNEL_MK3_0015")), m));
#ifdef QUARNEL_PLACEHOLDER_IMAGES
    QVERIFY(readParameterAddresses(embeddedImage(QStringLiteral("QUARNEL_MK3_0008")), m));
    // The older algorithms have no Attack: its word is 0x0000 and is taken as it is.
    QCOMPARE(m.attack.address, uint16_t(0x0000));
    QCOMPARE(m.dryHpf.address, uint16_t(0x0000));
    QVERIFY(m.dry.address != 0x0000);
#endif

    std::array<uint16_t, kAddressWords> words{};
    words.fill(0x0040);
    words[21] = 0x0000;
    QVERIFY(readParameterAddresses({imageLineWith(words)}, m));
    QCOMPARE(m.attack.address, uint16_t(0x0000));
    QCOMPARE(m.noiseGateThreshold.address, uint16_t(0x0040));
}

void TestParameterModel::malformedTableChangesNothing_data()
{
    std::array<uint16_t, kAddressWords> words{};
    words.fill(0x0033);
    const QString good = imageLineWith(words);
    QTest::addColumn<QStringList>("image");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty text") << QStringList() << QStringLiteral("characters");
    QTest::newRow("too short") << QStringList{good.left(6 + 4 * 21 + 3)} << QStringLiteral("characters");
    QTest::newRow("not hexadecimal") << QStringList{good.left(30) + QStringLiteral("G") + good.mid(31)}
                                     << QStringLiteral("not hexadecimal");
    QTest::newRow("catalogue text") << QStringList{QStringLiteral("Quarnel MK3 0015")} << QStringLiteral("characters");
    QTest::newRow("blank in a word") << QStringList{good.left(90) + QStringLiteral(" ") + good.mid(91)}
                                     << QStringLiteral("word 21");
}

void TestParameterModel::malformedTableChangesNothing()
{
    QFETCH(QStringList, image);
    QFETCH(QString, reason);
    ParameterModel m;
    QVERIFY(readParameterAddresses(embeddedImage(QStringLiteral("QUARNEL_MK3_0015")), m));
    QString error;
    QVERIFY(!readParameterAddresses(image, m, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(m.dry.address, uint16_t(0x0027));
    QCOMPARE(m.attack.address, uint16_t(0x00AE));
}

void TestParameterModel::valuesInReplyOrder()
{
    ParameterModel m;
    std::array<uint32_t, kParameterCount> v{};
    for (int k = 0; k < kParameterCount; ++k)
        v[static_cast<size_t>(k)] = 0x100u + static_cast<uint32_t>(k);
    m.setValues(v);
    QCOMPARE(m.dry.value, 0x100u);
    QCOMPARE(m.subMix.value, 0x101u);
    QCOMPARE(m.minus1Oct.value, 0x102u);
    QCOMPARE(m.range.value, 0x109u);
    QCOMPARE(m.inputLevel.value, 0x10Au);
    QCOMPARE(m.harmonicPitch.value, 0x10Bu);
    QCOMPARE(m.waveClip.value, 0x10Cu);
    QCOMPARE(m.attack.value, 0x113u);
    QCOMPARE(m.values(), v);
}

QTEST_GUILESS_MAIN(TestParameterModel)
#include "tst_parametermodel.moc"
