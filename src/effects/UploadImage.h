#pragma once

#include <QByteArray>
#include <QString>

// The bytes of an effect upload, read and checked before the pedal is touched:
// an upload that started with nothing, or stopped half-way, would leave the
// pedal without a working algorithm. Plain code.
namespace UploadImage {

// The most the pedal takes in one upload (the size of the send buffer).
constexpr int kLargest = 65536;

struct Checked {
    bool ok = false;
    QByteArray bytes;
    QString error; // a whole sentence for the user
};

// An embedded image: its first line of hexadecimal digits, decoded whole.
Checked fromImageLine(const QString& effectName, const QString& line);

// An effect file, read whole; it has to be a regular file, neither empty nor
// larger than kLargest.
Checked fromFile(const QString& path);

} // namespace UploadImage
