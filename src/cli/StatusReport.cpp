#include "cli/StatusReport.h"

#include "editor/Messages.h"
#include "link/Hex.h"
#include "presets/PresetListing.h"
#include "status/DeviceSettingsMessages.h"
#include "tracking/TrackingMessages.h"

#include <QJsonArray>

#include <algorithm>
#include <utility>

namespace Cli::StatusReport {

namespace {

using Line = std::pair<QString, QString>;

const QString kFootswitchPrefix = QStringLiteral("Footswitch Mode: ");

QString unknownByte(int byte)
{
    return QStringLiteral("? (%1)").arg(byte);
}

// Texts for what a field says; empty where the field means nothing to the editor.
QString footswitchText(int mode)
{
    const QString line = Messages::footswitchModeLogLine(mode);
    return line.startsWith(kFootswitchPrefix) ? line.mid(kFootswitchPrefix.size()) : QString();
}

QString tuningText(int tuning)
{
    return Messages::tuningTexts().value(tuning);
}

QString semitoneText(int variation)
{
    const int index = Messages::semitoneIndex(variation);
    if (index >= 0)
        return Messages::semitoneTexts().at(index);
    return variation > 0 ? QStringLiteral("+%1").arg(variation) : QString::number(variation);
}

QString instrumentText(uint8_t code)
{
    if (code == TrackingMessages::kStandard)
        return QStringLiteral("Standard");
    if (code == TrackingMessages::kLow)
        return QStringLiteral("Low");
    return QString();
}

QString midiChannelText(const std::optional<int>& channel)
{
    if (!channel)
        return QString();
    return *channel == DeviceSettingsMessages::kOmni ? QStringLiteral("OMNI") : QString::number(*channel);
}

const QStringList& controlLabels()
{
    static const QStringList labels = {
        QStringLiteral("Control I"),   QStringLiteral("Control II"),        QStringLiteral("Control III"),
        QStringLiteral("Control IV"),  QStringLiteral("Remote Footswitch"),
    };
    return labels;
}

// The entry the control's list shows for the reply, as the window picks it:
// "Not Assigned" when the flag is clear, else the parameter of this effect at
// the address (the last in list order when several share it), the remote's
// Bypass or Preset. Empty when an assigned control matches none.
QString assignedEntry(const PedalStatus& s, const ParameterModel& model, Control control)
{
    const auto c = static_cast<size_t>(control);
    const QStringList entries = Messages::assignEntries(control);
    if (!s.assignments.assigned[c])
        return Messages::notAssignedText();
    const uint16_t address = s.assignments.address[c];
    if (control == Control::Remote) {
        if (address == Messages::kRemoteBypass)
            return entries.at(1);
        if (address == Messages::kRemotePreset)
            return entries.at(2);
        return QString();
    }
    const QList<int> matches = Messages::matchingEntries(model, control, address);
    return matches.isEmpty() ? QString() : entries.at(matches.last());
}

std::optional<bool> switchState(ParameterId id, uint32_t value)
{
    const QString shown = PresetListing::shownValue(id, value);
    if (shown.startsWith(QLatin1String("on")))
        return true;
    if (shown.startsWith(QLatin1String("off")))
        return false;
    return std::nullopt;
}

QJsonValue jsonOf(const std::optional<bool>& b)
{
    return b ? QJsonValue(*b) : QJsonValue(QJsonValue::Null);
}

QJsonValue jsonOf(const QString& text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue valueJson(ParameterId id, uint32_t value)
{
    if (PresetListing::isKnob(id))
        return PresetListing::shownValue(id, value).toDouble();
    if (id == ParameterId::HarmonicPitch) {
        const int index = harmonicPitchIndex(value);
        return index < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(index - 12);
    }
    return jsonOf(switchState(id, value));
}

QString orUnknown(const QString& text, int byte)
{
    return text.isEmpty() ? unknownByte(byte) : text;
}

QString onOffText(const std::optional<bool>& b, const QString& on, const QString& off, int byte)
{
    return b ? (*b ? on : off) : unknownByte(byte);
}

} // namespace

QString text(const PedalStatus& s, const QString& effectName, const ParameterModel& model)
{
    const auto field = [&s](int i) { return static_cast<uint8_t>(s.fields.at(i)); };
    QList<Line> lines;
    lines.append({QStringLiteral("Device Firmware"), s.firmwareText()});
    lines.append({QStringLiteral("Device Algorithm"), s.algorithmText});
    lines.append({QStringLiteral("Effect"), effectName.isEmpty()
                                                ? s.effectText + QStringLiteral(" (not in the catalogue)")
                                                : effectName + QStringLiteral(" (") + s.effectText + QLatin1Char(')')});
    lines.append({QStringLiteral("Footswitch Mode"), orUnknown(footswitchText(s.footswitchMode), s.footswitchMode)});
    lines.append({QStringLiteral("Tuning"), orUnknown(tuningText(s.tuning), s.tuning)});
    lines.append({QStringLiteral("Semitones"), semitoneText(s.semitoneVariation)});
    for (int c = 0; c < kControlCount; ++c) {
        const auto control = static_cast<Control>(c);
        QString entry = assignedEntry(s, model, control);
        if (entry.isEmpty())
            entry = QStringLiteral("? (address ") + Hex::hex(s.assignments.address[static_cast<size_t>(c)], 4)
                + QLatin1Char(')');
        lines.append({controlLabels().at(c), entry});
    }
    lines.append({QStringLiteral("Bypass"),
                  onOffText(s.bypass, QStringLiteral("on"), QStringLiteral("off"), field(PedalStatus::kBypassField))});
    lines.append({QStringLiteral("Store Bypass Status"),
                  onOffText(s.storeBypass, QStringLiteral("ON"), QStringLiteral("OFF"),
                            field(PedalStatus::kStoreBypassField))});
    lines.append({QStringLiteral("MIDI channel"),
                  orUnknown(midiChannelText(s.midiChannel), field(PedalStatus::kMidiChannelField))});
    lines.append({QStringLiteral("Load preset at power ON"),
                  onOffText(s.loadFirstPreset, QStringLiteral("TRUE"), QStringLiteral("FALSE"),
                            field(PedalStatus::kLoadFirstPresetField))});
    lines.append({QStringLiteral("Instrument Range"), orUnknown(instrumentText(s.instrument), s.instrument)});
    const int settingsLines = lines.size();
    for (int k = 0; k < kParameterCount; ++k) {
        const auto id = static_cast<ParameterId>(k);
        lines.append({model.name(id), PresetListing::shownValue(id, s.values[static_cast<size_t>(k)])});
    }

    int width = 0;
    for (const Line& l : lines)
        width = std::max(width, static_cast<int>(l.first.size()) + 1);
    QString out;
    for (int i = 0; i < lines.size(); ++i) {
        if (i == settingsLines)
            out += QLatin1Char('\n');
        out += (lines.at(i).first + QLatin1Char(':')).leftJustified(width + 1) + lines.at(i).second
            + QLatin1Char('\n');
    }
    return out;
}

QJsonObject json(const PedalStatus& s, const QString& effectName, const ParameterModel& model)
{
    QJsonObject o;
    o.insert(QStringLiteral("firmwareVersion"), s.firmware);
    o.insert(QStringLiteral("algorithmVersion"), s.algorithmText);
    o.insert(QStringLiteral("effectNumber"), s.effect ? QJsonValue(*s.effect) : QJsonValue(QJsonValue::Null));
    o.insert(QStringLiteral("effectName"), jsonOf(effectName));
    o.insert(QStringLiteral("footswitchMode"), jsonOf(footswitchText(s.footswitchMode)));
    o.insert(QStringLiteral("tuning"), jsonOf(tuningText(s.tuning)));
    o.insert(QStringLiteral("semitones"), s.semitoneVariation);

    QJsonArray assignments;
    for (int c = 0; c < kControlCount; ++c) {
        const auto control = static_cast<Control>(c);
        const bool assigned = s.assignments.assigned[static_cast<size_t>(c)];
        const QString entry = assignedEntry(s, model, control);
        QJsonObject a;
        a.insert(QStringLiteral("control"), controlLabels().at(c));
        a.insert(QStringLiteral("assigned"), assigned);
        a.insert(QStringLiteral("parameter"), assigned ? jsonOf(entry) : QJsonValue(QJsonValue::Null));
        a.insert(QStringLiteral("address"), s.assignments.address[static_cast<size_t>(c)]);
        assignments.append(a);
    }
    o.insert(QStringLiteral("assignments"), assignments);

    o.insert(QStringLiteral("bypass"), jsonOf(s.bypass));
    o.insert(QStringLiteral("storeBypassStatus"), jsonOf(s.storeBypass));
    o.insert(QStringLiteral("midiChannel"), jsonOf(midiChannelText(s.midiChannel)));
    o.insert(QStringLiteral("loadFirstPresetAtPowerOn"), jsonOf(s.loadFirstPreset));
    o.insert(QStringLiteral("instrumentRange"), jsonOf(instrumentText(s.instrument)));

    QJsonArray values;
    for (int k = 0; k < kParameterCount; ++k) {
        const auto id = static_cast<ParameterId>(k);
        const uint32_t v = s.values[static_cast<size_t>(k)];
        QJsonObject e;
        e.insert(QStringLiteral("name"), model.name(id));
        e.insert(QStringLiteral("value"), valueJson(id, v));
        e.insert(QStringLiteral("raw"), static_cast<qint64>(v));
        values.append(e);
    }
    o.insert(QStringLiteral("values"), values);
    return o;
}

} // namespace Cli::StatusReport
