#pragma once

#include <QString>
#include <QTextStream>

// How far an upload or upgrade has come. On a terminal: one line redrawn in
// place, a bar, the percentage and "about N s left". Otherwise (a log, a
// pipe): one line per tenth, "10 %", "20 %", ... so a script's log stays short
// and every tenth shows once, even when a step jumps over several.
namespace Cli {

class ProgressDisplay {
public:
    static constexpr int kBarWidth = 30;

    // label, when given, starts every line ("Writing 30 %").
    ProgressDisplay(QTextStream& out, bool isTerminal, const QString& label = QString());

    // done of total units after elapsedMs. A total of 0 or less shows nothing.
    void show(qint64 done, qint64 total, qint64 elapsedMs);
    // Ends the terminal's line, so what follows starts on a line of its own;
    // call it whether the operation finished or failed.
    void finish();

    // The terminal's line for a state, without the carriage return.
    static QString barLine(const QString& label, qint64 done, qint64 total, qint64 elapsedMs);

private:
    QTextStream& out_;
    bool terminal_;
    QString label_;
    QString drawn_;       // the terminal line now shown
    int tenthsShown_ = 0; // tenths written as lines
};

} // namespace Cli
