#pragma once

#include <QString>

// Where every part of the editor writes its log lines. The debug console
// implements it; plain units take a Log so they can be tested without windows.
class Log {
public:
    virtual ~Log() = default;
    // The line that opens an operation in the log: twenty asterisks, its
    // name, twenty asterisks ("********************REQUEST********************").
    static QString banner(const QString& name)
    {
        const QString stars(20, QLatin1Char('*'));
        return stars + name + stars;
    }

    // One line, then the view follows the newest line when auto-scroll is on.
    virtual void logLine(const QString& text) = 0;
    // One line without the scrolling step (used for a few protocol lines).
    virtual void appendDirect(const QString& text) = 0;
};

// A log that keeps nothing: for the fuzzers and benchmarks, which drive plain
// units millions of times and read no line.
class NullLog final : public Log {
public:
    void logLine(const QString&) override {}
    void appendDirect(const QString&) override {}
};
