#pragma once

#include <QByteArray>
#include <QString>

// The pedal answers in ASCII: decimal numbers of one to three digits, each
// ended by CR, LF between them. Every number becomes one byte (modulo 256).
namespace ReplyDecoder {

struct Result {
    QByteArray values;
    // False when a field held something other than decimal digits; values then
    // holds what was decoded before it.
    bool ok = true;
    QString error;
};

// Decodes exactly the given bytes. An empty field repeats the value before it
// (0 at the start), as the pedal's own framing implies.
Result decode(const QByteArray& reply);

} // namespace ReplyDecoder
