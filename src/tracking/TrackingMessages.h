#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The pitch tracker's messages: instrument range, range limit, note filters and
// the tuning data table, built as hexadecimal text. Plain code.
namespace TrackingMessages {

// ---------------------------------------------------------------- instrument range

constexpr uint8_t kStandard = 0xFF;
constexpr uint8_t kLow = 0xBA;

// "0F", the code, "0102030405" (Standard) or "0203040506" (Low), without the
// checksum; nullopt for any other code.
std::optional<QString> instrumentBody(uint8_t code);
// The body and its checksum (exclusive OR of its seven bytes): 16 characters.
std::optional<QString> instrument(uint8_t code);
// The word Instrument.txt holds for the code.
QString instrumentWord(uint8_t code);

// "1101" range limit on, "11FF" off.
QString rangeLimit(bool on);

// ---------------------------------------------------------------- note filters

constexpr int kNotes = 8; // A2, A#2, B2, C3, C#3, D3, D#3, E3
constexpr uint8_t kNoNote = 0xFF;

// The first two notes checked, in note order; kNoNote where there are fewer.
std::array<uint8_t, 2> noteFilterBytes(const std::array<bool, kNotes>& checked);
// "09" and the two note bytes.
QString noteFilter(const std::array<uint8_t, 2>& bytes);

// ---------------------------------------------------------------- tuning data

constexpr int kSections = 32;
constexpr int kSectionBytes = 20;
constexpr int kTableBytes = kSections * kSectionBytes; // 640

struct Section {
    int note;      // MIDI numbering, 69 is A4
    double gainDb; // the cut at the note
    double q;
};
// The design of section s: sections 0-17 cut D2 to G3 by 6 dB (Q 11), sections
// 18-31 cut C3 to C#4 by 20 dB (Q 12).
Section section(int s);
// The five coefficients of a section (b0, b1, b2, -a1, -a2), 23-bit fixed point.
std::array<int32_t, 5> sectionCoefficients(int s);
// The whole table, computed afresh in double precision: 640 bytes, each
// coefficient most significant byte first.
QByteArray tuningTable();
// "0E" and the table: 641 bytes.
QString tuningDataMessage(const QString& tableText);

} // namespace TrackingMessages
