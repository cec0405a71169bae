#include "tracking/TrackingMessages.h"

#include "link/Hex.h"
#include "tracking/PeakingFilter.h"

namespace TrackingMessages {

std::optional<QString> instrumentBody(uint8_t code)
{
    if (code == kStandard)
        return QStringLiteral("0FFF0102030405");
    if (code == kLow)
        return QStringLiteral("0FBA0203040506");
    return std::nullopt;
}

std::optional<QString> instrument(uint8_t code)
{
    const std::optional<QString> body = instrumentBody(code);
    if (!body)
        return std::nullopt;
    const std::optional<uint8_t> sum = Hex::hexXorChecksum(*body, 7);
    if (!sum)
        return std::nullopt;
    return *body + Hex::hex(*sum, 2);
}

QString instrumentWord(uint8_t code)
{
    return code == kLow ? QStringLiteral("LOW") : QStringLiteral("STANDARD");
}

QString rangeLimit(bool on)
{
    return on ? QStringLiteral("1101") : QStringLiteral("11FF");
}

std::array<uint8_t, 2> noteFilterBytes(const std::array<bool, kNotes>& checked)
{
    std::array<uint8_t, 2> bytes{kNoNote, kNoNote};
    for (int note = 0; note < kNotes; ++note) {
        if (!checked[size_t(note)])
            continue;
        if (bytes[0] == kNoNote)
            bytes[0] = static_cast<uint8_t>(note);
        else if (bytes[1] == kNoNote)
            bytes[1] = static_cast<uint8_t>(note);
    }
    return bytes;
}

QString noteFilter(const std::array<uint8_t, 2>& bytes)
{
    return QStringLiteral("09") + Hex::hex(bytes[0], 2) + Hex::hex(bytes[1], 2);
}

Section section(int s)
{
    if (s < 18)
        return {38 + s, -6.0, 11.0};
    return {30 + s, -20.0, 12.0};
}

std::array<int32_t, 5> sectionCoefficients(int s)
{
    const Section d = section(s);
    const PeakingFilter::Coefficients c =
        PeakingFilter::design(PeakingFilter::noteFrequency(d.note), d.gainDb, d.q);
    return {PeakingFilter::toFixed23(c.b0), PeakingFilter::toFixed23(c.b1), PeakingFilter::toFixed23(c.b2),
            PeakingFilter::toFixed23(c.c1), PeakingFilter::toFixed23(c.c2)};
}

QByteArray tuningTable()
{
    QByteArray table;
    table.reserve(kTableBytes);
    for (int s = 0; s < kSections; ++s)
        for (int32_t coefficient : sectionCoefficients(s)) {
            const auto u = static_cast<uint32_t>(coefficient);
            table.append(char(u >> 24)).append(char(u >> 16)).append(char(u >> 8)).append(char(u));
        }
    return table;
}

QString tuningDataMessage(const QString& tableText)
{
    return QStringLiteral("0E") + tableText;
}

} // namespace TrackingMessages
