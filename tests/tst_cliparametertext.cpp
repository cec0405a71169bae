// "set NAME VALUE": names and values in the effect window's units, turned into
// exactly what the window sends.

#include "cli/ParameterText.h"
#include "editor/DialMath.h"
#include "presets/PresetListing.h"

#include <QtTest>

using Cli::ParameterSetting;

Q_DECLARE_METATYPE(ParameterId)

class TestCliParameterText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void accepted_data();
    void accepted();
    void bypassIsItsOwnMessage_data();
    void bypassIsItsOwnMessage();
    void refused_data();
    void refused();
    void everyPositionReadsBackAsTyped();
};

void TestCliParameterText::accepted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<ParameterId>("id");
    QTest::addColumn<quint32>("word");
    QTest::addColumn<bool>("needsTuning");

    // Knobs: the level the dial sends where it shows the position.
    QTest::newRow("Dry 7.5") << "Dry" << "7.5" << ParameterId::Dry << 0x00600000u << false;
    QTest::newRow("Dry 0") << "Dry" << "0" << ParameterId::Dry << 0x00000000u << false;
    QTest::newRow("Input Level 10: the dial's top, not 1.0") << "Input Level" << "10" << ParameterId::InputLevel
                                                             << 0x007FE000u << false;
    // 3.5 is one of the positions where the nearest level reads back as 3.4.
    QTest::newRow("Wave Clip 3.5") << "Wave Clip" << "3.5" << ParameterId::WaveClip << (361u << 13) << false;
    QTest::newRow("stepped knobs are sent as levels") << "Low Pass" << "5" << ParameterId::LowPass << (513u << 13)
                                                      << false;
    // Names ignore case and blanks; names that begin with a dash are names.
    QTest::newRow("sub mix, any case") << "sUB mIX" << "0.1" << ParameterId::SubMix << (11u << 13) << false;
    QTest::newRow("SubMix without the blank") << "SubMix" << "0.1" << ParameterId::SubMix << (11u << 13) << false;
    QTest::newRow("-1 Oct") << "-1 Oct" << "10" << ParameterId::Minus1Oct << 0x007FE000u << false;
    QTest::newRow("Dry HPF is not Dry") << "dry hpf" << "0" << ParameterId::DryHpf << 0u << false;
    // The pitch list in semitones.
    QTest::newRow("pitch -12") << "1st Harmonic Pitch" << "-12" << ParameterId::HarmonicPitch << 0x00200000u << false;
    QTest::newRow("pitch 0") << "1st harmonic pitch" << "0" << ParameterId::HarmonicPitch << 0x00400000u << false;
    QTest::newRow("pitch +5") << "1st Harmonic Pitch" << "+5" << ParameterId::HarmonicPitch << 0x005AAAA8u << false;
    QTest::newRow("pitch 12") << "1st Harmonic Pitch" << "12" << ParameterId::HarmonicPitch << 0x00800000u << false;
    // Switches with the window's codes.
    QTest::newRow("Wave on") << "Wave" << "on" << ParameterId::Wave << 0x00400000u << false;
    QTest::newRow("Wave OFF") << "wave" << "OFF" << ParameterId::Wave << 0x00600000u << false;
    QTest::newRow("Split on") << "Split" << "on" << ParameterId::Split << 1u << false;
    QTest::newRow("Noise Gate Status off") << "Noise Gate Status" << "off" << ParameterId::NoiseGateStatus << 0u
                                           << false;
    QTest::newRow("Attack on is slow") << "Attack" << "on" << ParameterId::Attack << 0x00000800u << false;
    QTest::newRow("Attack slow") << "attack" << "Slow" << ParameterId::Attack << 0x00000800u << false;
    QTest::newRow("Attack fast") << "Attack" << "fast" << ParameterId::Attack << 0x00008000u << false;
    // The note-cut boxes need a tuning to be turned on, as in the window.
    QTest::newRow("Dominant Notes Cut on") << "Dominant Notes Cut" << "on" << ParameterId::DominantNotesCut << 1u
                                           << true;
    QTest::newRow("High Notes Cut off") << "High Notes Cut" << "off" << ParameterId::HighNotesCut << 0u << false;
}

void TestCliParameterText::accepted()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(ParameterId, id);
    QFETCH(quint32, word);
    QFETCH(bool, needsTuning);

    QString error;
    const std::optional<ParameterSetting> s = Cli::parseSetting(name, value, &error);
    QVERIFY2(s, qPrintable(error));
    QCOMPARE(s->kind, ParameterSetting::Kind::Parameter);
    QCOMPARE(s->id, id);
    QCOMPARE(s->value, word);
    QCOMPARE(s->name, ParameterModel().name(id));
    QCOMPARE(Cli::needsTuning(*s), needsTuning);
}

void TestCliParameterText::bypassIsItsOwnMessage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("on");
    QTest::newRow("Bypass on") << "Bypass" << "on" << true;
    QTest::newRow("bypass OFF") << "bypass" << "OFF" << false;
}

void TestCliParameterText::bypassIsItsOwnMessage()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, on);
    const std::optional<ParameterSetting> s = Cli::parseSetting(name, value, nullptr);
    QVERIFY(s);
    QCOMPARE(s->kind, ParameterSetting::Kind::Bypass);
    QCOMPARE(s->bypassOn, on);
    QCOMPARE(s->name, QStringLiteral("Bypass"));
    QVERIFY(!Cli::needsTuning(*s));
}

void TestCliParameterText::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown name lists the names") << "Volume" << "5"
                                                  << "unknown parameter \"Volume\"; set takes Bypass, Dry, Sub Mix, "
                                                     "-1 Oct, -2 Oct, Wave, Low Pass";
    QTest::newRow("a part of a name") << "Harmonic" << "5" << "unknown parameter \"Harmonic\"";
    QTest::newRow("knob above 10") << "Dry" << "10.1" << "Dry takes a position from 0 to 10 (for example 7.5), not \"10.1\"";
    QTest::newRow("knob below 0") << "Dry" << "-0.5" << "Dry takes a position from 0 to 10";
    QTest::newRow("knob not a number") << "Dry" << "loud" << "Dry takes a position from 0 to 10";
    QTest::newRow("knob with a comma") << "Dry" << "7,5" << "Dry takes a position from 0 to 10";
    QTest::newRow("knob nan") << "Dry" << "nan" << "Dry takes a position from 0 to 10";
    QTest::newRow("knob on") << "Range" << "on" << "Range takes a position from 0 to 10";
    QTest::newRow("switch 1") << "Wave" << "1" << "Wave takes on or off, not \"1\"";
    QTest::newRow("switch yes") << "Limit Range UP" << "yes" << "Limit Range UP takes on or off";
    QTest::newRow("Attack medium") << "Attack" << "medium" << "Attack takes on (slow) or off (fast), not \"medium\"";
    QTest::newRow("slow is Attack's only") << "Split" << "slow" << "Split takes on or off";
    QTest::newRow("pitch 13") << "1st Harmonic Pitch" << "13"
                              << "1st Harmonic Pitch takes semitones from -12 to +12, not \"13\"";
    QTest::newRow("pitch -13") << "1st Harmonic Pitch" << "-13" << "1st Harmonic Pitch takes semitones from -12 to +12";
    QTest::newRow("pitch half a semitone") << "1st Harmonic Pitch" << "2.5" << "1st Harmonic Pitch takes semitones from -12 to +12";
    QTest::newRow("Bypass 1") << "Bypass" << "1" << "Bypass takes on or off, not \"1\"";
}

void TestCliParameterText::refused()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, error);
    QString why;
    QVERIFY(!Cli::parseSetting(name, value, &why));
    QVERIFY2(why.startsWith(error), qPrintable(why));
    QVERIFY(!why.contains(QLatin1Char('\n')));
}

void TestCliParameterText::everyPositionReadsBackAsTyped()
{
    // Every position to one decimal, set and then shown as the window and the
    // status show the pedal's value, reads back as typed; the levels rise
    // with the position and are ones the dial itself can send.
    QSet<int> dialLevels;
    for (int angle = -179; angle <= 180; ++angle)
        dialLevels.insert(DialMath::dialToLevel(angle));
    int previous = -1;
    for (int tenths = 0; tenths <= 100; ++tenths) {
        const double position = tenths / 10.0;
        const int level = Cli::knobLevel(position);
        QVERIFY2(dialLevels.contains(level), qPrintable(QString::number(position)));
        QVERIFY2(level > previous, qPrintable(QString::number(position)));
        previous = level;
        for (ParameterId id : {ParameterId::Dry, ParameterId::InputLevel, ParameterId::NoiseGateThreshold})
            QCOMPARE(PresetListing::shownValue(id, levelWord(level)), QString::number(position, 'f', 1));
    }
}

QTEST_GUILESS_MAIN(TestCliParameterText)
#include "tst_cliparametertext.moc"
