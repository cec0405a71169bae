#pragma once

#include "editor/ParameterModel.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

// The effect editor's messages to the pedal, built as the hexadecimal text
// every command starts as, and the fields of the status reply it reads back.
// Plain code: the window reads its controls, asks here for the text and hands
// it to the link.
namespace Messages {

// ---------------------------------------------------------------- parameters

// "01", the address as four digits and the value as eight: 7 bytes.
QString writeParameter(uint16_t address, uint32_t value);
// The log line of a parameter's value sent: "Send Dry string (standard par): "
// or "(assignable par)", then the message.
QString sendLogLine(const QString& parameterName, bool assignable, const QString& text);
// "0D01" bypass on, "0D00" off.
QString bypass(bool on);

// ---------------------------------------------------------------- assignments

constexpr uint16_t kNotAssigned = 0xFFFF;
constexpr uint16_t kRemoteBypass = 0xFFFE;
constexpr uint16_t kRemotePreset = 0xFFFD;

// The entries of a control's assignment list, in order; entry 0 is "Not Assigned".
QStringList assignEntries(Control control);
inline QString notAssignedText() { return QStringLiteral("Not Assigned"); }
// Whether a list showing entryText assigns its control to something.
inline bool assignsParameter(const QString& entryText)
{
    return !entryText.isEmpty() && entryText != notAssignedText();
}
// The five parameters a control's list offers (entries 1 to 5); none for the remote.
std::array<ParameterId, 5> assignTargets(Control control);

// The assign message: "04", five flags "01"/"00" from the model's
// controlAssigned, then five addresses. entryTexts are the texts the five
// lists show, Control I first. A list entry is matched with a parameter by
// its name: an entry's text is the parameter_name of the one it stands for.
QString assign(const ParameterModel& model, const std::array<QString, kControlCount>& entryTexts);

// What the status reply says of the five controls (its bytes 7 to 21).
struct Assignments {
    std::array<bool, kControlCount> assigned{};
    std::array<uint16_t, kControlCount> address{};
};
// Reads the five flags at index and the five address words after them.
std::optional<Assignments> readAssignments(const QByteArray& reply, int index);
// The entries (1 to 5) of a control's list whose parameter sits at address,
// in list order; several when parameters share an address.
QList<int> matchingEntries(const ParameterModel& model, Control control, uint16_t address);
// The log line of a match, "CTRL I assignment: Clipping" and the like.
QString assignmentLogLine(Control control, int entry);

// ---------------------------------------------------------------- footswitch

// Which of the four radio buttons show a footswitch mode.
struct FootswitchButtons {
    bool bypassShort = true;
    bool changePresetShort = false;
    bool changePresetLong = true;
    bool bypassLong = false;
};
// "08", the short press ("00" Bypass, "01" Change Preset) and the long press
// ("00" Change Preset, "01" Bypass).
QString footswitch(const FootswitchButtons& buttons);
// The buttons and the log line of a mode byte 0 to 3; nullopt for any other.
std::optional<FootswitchButtons> footswitchButtons(int mode);
QString footswitchModeLogLine(int mode);

// ---------------------------------------------------------------- tuning

QStringList tuningTexts();
QStringList semitoneTexts();
// The list index that shows a variation, -1 when it has none.
int semitoneIndex(int variation);
// "+2" gives 2, "-5" gives -5, "0" gives 0.
std::optional<int> semitonesFromText(const QString& text);
// "09", the tuning code and the variation's byte, two digits each.
QString tuning(uint8_t tuningCode, int8_t variation);

// ---------------------------------------------------------------- values

// The 32-bit number at index, most significant byte first; nullopt past the end.
std::optional<uint32_t> readValue(const QByteArray& reply, int index);
// The label the log writes before value k of the status reply.
QString valueLogLabel(ParameterId id, const QString& parameterName);

} // namespace Messages
