#pragma once

// How an operation the user started ended, besides what the user was told:
// a second client (a terminal in place of the windows) turns it into its exit
// status, and tests read it instead of the message boxes.
enum class Outcome {
    Done,
    NoPedal,     // nothing linked, the device did not open, or it went away
    NoAnswer,    // the pedal did not answer, or its answer was short, garbled or unusable
    Refused,     // the session's mode or a check (the pedal's firmware or algorithm, a file) does not allow it
    WriteFailed, // the pedal stopped taking what was written to it
    Cancelled,   // the user said No, or chose no file
};
