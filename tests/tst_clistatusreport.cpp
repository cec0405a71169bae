// "quarnel-cli status": a status reply as lines for a person and as one JSON
// object, in the editor's own spellings and the effect window's units.

#include "cli/StatusReport.h"
#include "virtualpedal/PedalModel.h"
#include "virtualpedal/StatusReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

const QString kEffect = QStringLiteral("Quarnel MK3 0015");

QByteArray fieldsOf(const PedalModel& pedal)
{
    QByteArray fields;
    for (uint8_t v : StatusReply::values(pedal))
        fields.append(static_cast<char>(v));
    return fields;
}

// A pedal with something to say in every field.
PedalStatus busyPedal()
{
    PedalModel pedal;
    pedal.effectNumber = 0;
    pedal.footswitchMode = 2;
    pedal.tuning = 1;
    pedal.semitones = static_cast<uint8_t>(-2);
    pedal.assignedFlags = {1, 1, 1, 0, 1};
    // Control II at an address no parameter of the effect has; Control III at
    // one two of its parameters share.
    pedal.assignedAddresses = {0x0030, 0x9999, 0x0000, 0x0031, 0xFFFD};
    pedal.bypass = 1;
    pedal.storeBypass = 0;
    pedal.instrumentRange = 0xBA;
    pedal.midiChannel = 0;
    pedal.powerOnPreset = 255;
    pedal.values = {
        0x00600000, // Dry 7.5
        0x00000000, // Sub Mix
        0x007FE000, // -1 Oct at the top
        0x00200000, // -2 Oct
        0x00400000, // Wave on
        12,         // Low Pass: step 12 of 24
        16,         // High Pass: the last step
        0x00000000, // 1st Harmonic
        1,          // Split on
        0,          // Range
        0x00800000, // Input Level's default, above the dial's top
        0x00355558, // 1st Harmonic Pitch -4
        0x00000000, // Wave Clip
        1,          // Dominant Notes Cut on
        7,          // High Notes Cut: the window shows anything but 1 as off
        0x00000000, // Dry HPF
        0,          // Limit Range UP
        1,          // Noise Gate Status
        0x00000000, // Noise Gate Threshold
        0x00000800, // Attack slow
    };
    return *PedalStatus::decode(fieldsOf(pedal));
}

// The addresses of the effect the pedal runs.
ParameterModel effectAddresses()
{
    ParameterModel m;
    m.inputLevel.address = 0x0030;
    m.harmonicPitch.address = 0x0034;
    m.waveClip.address = 0x0035;
    m.dryHpf.address = 0x0036;
    m.noiseGateThreshold.address = 0x0037;
    m.dominantNotesCut.address = 0x0031;
    m.highNotesCut.address = 0x0032;
    m.limitRangeUp.address = 0x0000;
    m.noiseGateStatus.address = 0x0033;
    m.attack.address = 0x0000;
    return m;
}

// The value on the line that begins with label and a colon.
QString lineValue(const QString& text, const QString& label)
{
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (line.startsWith(label + QLatin1Char(':')))
            return line.mid(label.size() + 1).trimmed();
    return QStringLiteral("<no line>");
}

QJsonObject asParsedJson(const QJsonObject& o)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QJsonDocument(o).toJson(), &error);
    return doc.object();
}

} // namespace

class TestCliStatusReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textLines_data();
    void textLines();
    void textListsTheTwentyInReplyOrder();
    void json();
    void bytesThatMeanNothing_data();
    void bytesThatMeanNothing();
};

void TestCliStatusReport::textLines_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("value");

    QTest::newRow("firmware") << "Device Firmware" << "17";
    QTest::newRow("algorithm") << "Device Algorithm" << "0015";
    QTest::newRow("effect") << "Effect" << "Quarnel MK3 0015 (00)";
    QTest::newRow("footswitch") << "Footswitch Mode" << "Preset Short, Preset Long";
    QTest::newRow("tuning") << "Tuning" << "Standard (EADGBE)";
    QTest::newRow("semitones") << "Semitones" << "-2";
    QTest::newRow("Control I") << "Control I" << "Input Level";
    QTest::newRow("Control II matches nothing") << "Control II" << "? (address 9999)";
    // As the window: the last of the parameters that share the address.
    QTest::newRow("Control III shared address") << "Control III" << "Attack";
    QTest::newRow("Control IV's flag is clear") << "Control IV" << "Not Assigned";
    QTest::newRow("remote") << "Remote Footswitch" << "Preset";
    QTest::newRow("bypass") << "Bypass" << "on";
    QTest::newRow("store bypass") << "Store Bypass Status" << "OFF";
    QTest::newRow("MIDI") << "MIDI channel" << "OMNI";
    QTest::newRow("power-on preset") << "Load preset at power ON" << "FALSE";
    QTest::newRow("instrument") << "Instrument Range" << "Low";
    QTest::newRow("Dry") << "Dry" << "7.5";
    QTest::newRow("-1 Oct") << "-1 Oct" << "10.0";
    QTest::newRow("Wave") << "Wave" << "on";
    QTest::newRow("Low Pass in steps") << "Low Pass" << "5.0";
    QTest::newRow("High Pass in steps") << "High Pass" << "10.0";
    QTest::newRow("Split") << "Split" << "on";
    QTest::newRow("Input Level's default") << "Input Level" << "10.0";
    QTest::newRow("pitch") << "1st Harmonic Pitch" << "-4 semitones";
    QTest::newRow("High Notes Cut 7") << "High Notes Cut" << "off";
    QTest::newRow("Attack") << "Attack" << "on (slow)";
}

void TestCliStatusReport::textLines()
{
    QFETCH(QString, label);
    QFETCH(QString, value);
    QCOMPARE(lineValue(Cli::StatusReport::text(busyPedal(), kEffect, effectAddresses()), label), value);
}

void TestCliStatusReport::textListsTheTwentyInReplyOrder()
{
    const QString text = Cli::StatusReport::text(busyPedal(), kEffect, effectAddresses());
    QVERIFY(text.endsWith(QLatin1Char('\n')));
    const QStringList blocks = text.split(QStringLiteral("\n\n"));
    QCOMPARE(blocks.size(), 2);
    const QStringList values = blocks.at(1).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(values.size(), kParameterCount);
    const ParameterModel names;
    for (int k = 0; k < kParameterCount; ++k)
        QVERIFY2(values.at(k).startsWith(names.name(static_cast<ParameterId>(k)) + QLatin1Char(':')),
                 qPrintable(values.at(k)));
    // The values start in one column.
    const int column = values.first().indexOf(QLatin1String("7.5"));
    for (const QString& line : values)
        QVERIFY2(line.at(column - 1) == QLatin1Char(' ') && line.at(column) != QLatin1Char(' '), qPrintable(line));
}

void TestCliStatusReport::json()
{
    const QJsonObject o = asParsedJson(Cli::StatusReport::json(busyPedal(), kEffect, effectAddresses()));
    QCOMPARE(o.value("firmwareVersion"), QJsonValue(17));
    QCOMPARE(o.value("algorithmVersion"), QJsonValue("0015"));
    QCOMPARE(o.value("effectNumber"), QJsonValue(0));
    QCOMPARE(o.value("effectName"), QJsonValue(kEffect));
    QCOMPARE(o.value("footswitchMode"), QJsonValue("Preset Short, Preset Long"));
    QCOMPARE(o.value("tuning"), QJsonValue("Standard (EADGBE)"));
    QCOMPARE(o.value("semitones"), QJsonValue(-2));
    QCOMPARE(o.value("bypass"), QJsonValue(true));
    QCOMPARE(o.value("storeBypassStatus"), QJsonValue(false));
    QCOMPARE(o.value("midiChannel"), QJsonValue("OMNI"));
    QCOMPARE(o.value("loadFirstPresetAtPowerOn"), QJsonValue(false));
    QCOMPARE(o.value("instrumentRange"), QJsonValue("Low"));

    const QJsonArray assignments = o.value("assignments").toArray();
    QCOMPARE(assignments.size(), 5);
    const auto assignment = [](const char* control, bool assigned, const QJsonValue& parameter, int address) {
        return QJsonObject{{"control", control}, {"assigned", assigned}, {"parameter", parameter}, {"address", address}};
    };
    QCOMPARE(assignments.at(0).toObject(), assignment("Control I", true, "Input Level", 0x0030));
    QCOMPARE(assignments.at(1).toObject(), assignment("Control II", true, QJsonValue::Null, 0x9999));
    QCOMPARE(assignments.at(2).toObject(), assignment("Control III", true, "Attack", 0x0000));
    QCOMPARE(assignments.at(3).toObject(), assignment("Control IV", false, QJsonValue::Null, 0x0031));
    QCOMPARE(assignments.at(4).toObject(), assignment("Remote Footswitch", true, "Preset", 0xFFFD));

    // The twenty values in reply order, typed as the window shows them.
    const QJsonArray values = o.value("values").toArray();
    QCOMPARE(values.size(), kParameterCount);
    const ParameterModel names;
    for (int k = 0; k < kParameterCount; ++k)
        QCOMPARE(values.at(k).toObject().value("name"), QJsonValue(names.name(static_cast<ParameterId>(k))));
    const auto value = [&values](ParameterId id) { return values.at(static_cast<int>(id)).toObject().value("value"); };
    QCOMPARE(value(ParameterId::Dry), QJsonValue(7.5));
    QCOMPARE(value(ParameterId::LowPass), QJsonValue(5.0));
    QCOMPARE(value(ParameterId::Wave), QJsonValue(true));
    QCOMPARE(value(ParameterId::Split), QJsonValue(true));
    QCOMPARE(value(ParameterId::HarmonicPitch), QJsonValue(-4));
    QCOMPARE(value(ParameterId::HighNotesCut), QJsonValue(false));
    QCOMPARE(value(ParameterId::Attack), QJsonValue(true));
    // raw is the word itself, for a script that wants it exactly.
    QCOMPARE(values.at(0).toObject().value("raw"), QJsonValue(0x00600000));
    QCOMPARE(values.at(static_cast<int>(ParameterId::InputLevel)).toObject().value("raw"), QJsonValue(0x00800000));
}

void TestCliStatusReport::bytesThatMeanNothing_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("key");  // a top-level key, or
    QTest::addColumn<int>("valueIndex"); // the value at this index of "values"

    const int waveLowByte = PedalStatus::kValueField + 4 * static_cast<int>(ParameterId::Wave) + 3;
    QTest::newRow("effect digit F") << PedalStatus::kEffectField << 0x0F << "Effect" << "0F (not in the catalogue)"
                                    << "effectNumber" << -1;
    QTest::newRow("footswitch 4") << PedalStatus::kFootswitchField << 4 << "Footswitch Mode" << "? (4)"
                                  << "footswitchMode" << -1;
    QTest::newRow("tuning 9") << PedalStatus::kTuningField << 9 << "Tuning" << "? (9)" << "tuning" << -1;
    QTest::newRow("bypass 2") << PedalStatus::kBypassField << 2 << "Bypass" << "? (2)" << "bypass" << -1;
    QTest::newRow("store bypass 255") << PedalStatus::kStoreBypassField << 255 << "Store Bypass Status" << "? (255)"
                                      << "storeBypassStatus" << -1;
    QTest::newRow("MIDI channel 17") << PedalStatus::kMidiChannelField << 17 << "MIDI channel" << "? (17)"
                                     << "midiChannel" << -1;
    QTest::newRow("power-on preset 0") << PedalStatus::kLoadFirstPresetField << 0 << "Load preset at power ON"
                                       << "? (0)" << "loadFirstPresetAtPowerOn" << -1;
    QTest::newRow("instrument 0") << PedalStatus::kInstrumentField << 0 << "Instrument Range" << "? (0)"
                                  << "instrumentRange" << -1;
    QTest::newRow("Wave neither on nor off") << waveLowByte << 0x34 << "Wave" << "? (00400034)" << ""
                                             << static_cast<int>(ParameterId::Wave);
}

void TestCliStatusReport::bytesThatMeanNothing()
{
    QFETCH(int, field);
    QFETCH(int, byte);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    QFETCH(QString, key);
    QFETCH(int, valueIndex);

    // Every field meaningful, then the one of the row made meaningless.
    QByteArray fields(PedalStatus::kFieldCount, '\0');
    fields[PedalStatus::kFootswitchField] = 1;
    fields[PedalStatus::kTuningField] = 8;
    fields[PedalStatus::kBypassField] = 1;
    fields[PedalStatus::kStoreBypassField] = 1;
    fields[PedalStatus::kInstrumentField] = char(0xFF);
    fields[PedalStatus::kMidiChannelField] = 16;
    fields[PedalStatus::kLoadFirstPresetField] = 1;
    fields[PedalStatus::kValueField + 4 * static_cast<int>(ParameterId::Wave) + 1] = 0x40;
    const ParameterModel model;

    const auto jsonPart = [&](const QJsonObject& o) {
        return valueIndex < 0 ? o.value(key) : o.value("values").toArray().at(valueIndex).toObject().value("value");
    };
    const PedalStatus meaningful = *PedalStatus::decode(fields);
    QVERIFY(!jsonPart(asParsedJson(Cli::StatusReport::json(meaningful, QString(), model))).isNull());
    QVERIFY(!lineValue(Cli::StatusReport::text(meaningful, QString(), model), label).contains(QLatin1Char('?')));

    fields[field] = static_cast<char>(byte);
    const PedalStatus s = *PedalStatus::decode(fields);
    QCOMPARE(lineValue(Cli::StatusReport::text(s, QString(), model), label), shown);
    QVERIFY(jsonPart(asParsedJson(Cli::StatusReport::json(s, QString(), model))).isNull());
}

QTEST_GUILESS_MAIN(TestCliStatusReport)
#include "tst_clistatusreport.moc"
