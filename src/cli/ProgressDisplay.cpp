#include "cli/ProgressDisplay.h"

#include <algorithm>
#include <cmath>

namespace Cli {

namespace {
QString prefixed(const QString& label, const QString& text)
{
    return label.isEmpty() ? text : label + QLatin1Char(' ') + text;
}
} // namespace

ProgressDisplay::ProgressDisplay(QTextStream& out, bool isTerminal, const QString& label)
    : out_(out), terminal_(isTerminal), label_(label)
{
}

QString ProgressDisplay::barLine(const QString& label, qint64 done, qint64 total, qint64 elapsedMs)
{
    done = std::clamp<qint64>(done, 0, total);
    const int filled = static_cast<int>(done * kBarWidth / total);
    const int percent = static_cast<int>(done * 100 / total);
    QString line = prefixed(label, QLatin1Char('[') + QString(filled, QLatin1Char('#'))
                                       + QString(kBarWidth - filled, QLatin1Char('-')) + QStringLiteral("] ")
                                       + QStringLiteral("%1 %").arg(percent, 3));
    // The rate so far says how long the rest takes; before the first unit
    // there is no rate, and at the end nothing is left.
    if (done > 0 && done < total && elapsedMs > 0) {
        const double leftMs = double(elapsedMs) * double(total - done) / double(done);
        line += QStringLiteral("  about %1 s left").arg(static_cast<qint64>(std::ceil(leftMs / 1000.0)));
    }
    return line;
}

void ProgressDisplay::show(qint64 done, qint64 total, qint64 elapsedMs)
{
    if (total <= 0)
        return;
    done = std::clamp<qint64>(done, 0, total);
    if (terminal_) {
        const QString line = barLine(label_, done, total, elapsedMs);
        if (line == drawn_)
            return;
        // Blanks over what a longer line before left behind.
        const int blanks = std::max(0, static_cast<int>(drawn_.size() - line.size()));
        out_ << '\r' << line << QString(blanks, QLatin1Char(' '));
        drawn_ = line;
        out_.flush();
        return;
    }
    const int tenths = static_cast<int>(done * 10 / total);
    for (; tenthsShown_ < tenths; ++tenthsShown_)
        out_ << prefixed(label_, QStringLiteral("%1 %").arg((tenthsShown_ + 1) * 10)) << '\n';
    out_.flush();
}

void ProgressDisplay::finish()
{
    if (terminal_ && !drawn_.isEmpty()) {
        out_ << '\n';
        out_.flush();
        drawn_.clear();
    }
}

} // namespace Cli
