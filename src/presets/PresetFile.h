#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// A local preset file: the twenty parameter values, one line of eight
// upper-case hexadecimal digits each, in the order of the pedal's status reply,
// joined by CR and written as UTF-8 with a byte-order mark (182 bytes).
// Plain code: the preset menu items build and check the bytes here.
namespace PresetFile {

constexpr int kValueCount = 20;
constexpr int kDigits = 8;
// Byte-order mark, twenty lines of eight digits and nineteen CRs.
constexpr int kFileSize = 3 + kValueCount * kDigits + (kValueCount - 1);
// The most that parse() accepts: the mark, CR LF after every line, the last
// one included. A file with more bytes is not read further.
constexpr int kLargestFileSize = 3 + kValueCount * (kDigits + 2);

using Values = std::array<uint32_t, kValueCount>;

// The label the log writes before each value, in file order.
const QStringList& logLabels();

// The eight-digit texts of the values, in file order.
QStringList valueTexts(const Values& values);

// The file's text: the twenty values joined by CR, no line break at the end.
QString text(const Values& values);

// The file's bytes: the byte-order mark, then the text in UTF-8.
QByteArray bytes(const Values& values);

struct Parsed {
    bool ok = false;
    Values values{};
    QStringList lines; // the twenty value texts as the file holds them
    QString error;     // why the file is not a preset, naming the line
};

// Reads a preset file's bytes. Accepts the file with or without the byte-order
// mark, with CR, LF or CR LF between the lines and one optional line break at
// the end; every one of exactly twenty lines must be eight hexadecimal digits,
// in either case. Anything else is refused as a whole, so that a damaged file
// never changes some values and garbles others.
Parsed parse(const QByteArray& fileBytes);

// Reads and parses the file at path. A folder, device or pipe is refused
// without being opened, and no more than kLargestFileSize + 1 bytes are read.
Parsed read(const QString& path);

} // namespace PresetFile
