#pragma once

// Ctrl+C on the command line. Outside a write to the pedal the program ends
// at once. While an upload or an upgrade writes, ending the process could
// leave the pedal half-written without a word; then Ctrl+C only raises a flag,
// and the operation stops itself at its next block boundary and says so.
namespace Cli::Interrupt {

// The SIGINT handler (where the platform has signals).
void install();

// What the handler does when Ctrl+C comes during a write; tests call it.
void request();
bool requested();
void clear();

// While one lives, Ctrl+C is left to the operation.
class Deferred {
public:
    Deferred();
    ~Deferred();
    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;
};

// The line printed when Ctrl+C ends the program outside a write.
constexpr const char* kInterruptedLine = "quarnel-cli: interrupted (Ctrl+C)\n";

} // namespace Cli::Interrupt
