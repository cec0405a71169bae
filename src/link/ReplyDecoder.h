#pragma once

#include <QByteArray>
#include <QString>

// The pedal answers a status request in ASCII: decimal numbers of one to three
// digits, each ended by CR, with LF between them. Every number becomes one byte
// (modulo 256); an empty field (CR straight after LF, or at the very start)
// repeats the value before it, 0 at the start.
//
// A reply is only taken when it has exactly this form: anything else (letters,
// a sign, a fourth digit, CR CR) would otherwise be read as plausible numbers,
// and the window would show values the pedal never sent.
namespace ReplyDecoder {

enum class State {
    Incomplete, // well formed so far, fewer values than expected
    Whole,      // the expected number of values has arrived
    Malformed,  // something that is not part of such a reply
};

struct Result {
    State state = State::Incomplete;
    QByteArray values;
    // Bytes of the input that belong to the reply (with an LF right after the
    // last CR); what follows them is not part of it.
    int consumed = 0;
    QString error; // for Malformed: what was found where
};

// Reads the reply from the start of bytes, up to expectedValues values.
Result decode(const QByteArray& bytes, int expectedValues);

} // namespace ReplyDecoder
