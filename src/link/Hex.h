#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Conversions of the hexadecimal message text every command is built from.
namespace Hex {

// Converts up to n digit pairs of text into n bytes at dest, first pair first.
// Stops at the first pair holding anything but 0-9, A-F, a-f (or at the end of
// the text); bytes not reached keep their content. Returns the bytes converted.
int hexToBytes(const QString& text, uint8_t* dest, int n);

// text length / 2 bytes; nullopt when a pair is not hexadecimal.
std::optional<QByteArray> hexToByteArray(const QString& text);

// Like hexToBytes over text length / 2 pairs, into a new string of that length
// (bytes not reached are zero).
QByteArray hexToByteString(const QString& text);

// XOR of the first n bytes of text (read as hexToByteArray); nullopt when the
// text holds fewer than n valid pairs.
std::optional<uint8_t> hexXorChecksum(const QString& text, int n);

// Upper-case hex text of bytes, two digits per byte.
QString toHex(const uint8_t* data, int n);
inline QString toHex(const QByteArray& bytes)
{
    return toHex(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size()));
}

// n as `digits` upper-case hex digits with leading zeros (low bits kept).
QString hex(uint32_t value, int digits);

} // namespace Hex
