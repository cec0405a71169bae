#pragma once

#include "seams/Log.h"

#include <QStringList>

// A log that keeps its lines, so a test can read back what was written and in
// which order. Lines appended directly are kept in the same list and also
// apart, since some protocol lines must bypass the scrolling step.
class RecordingLog final : public Log {
public:
    void logLine(const QString& text) override { lines.append(text); }
    void appendDirect(const QString& text) override
    {
        lines.append(text);
        directLines.append(text);
    }
    void clear()
    {
        lines.clear();
        directLines.clear();
    }

    QStringList lines;
    QStringList directLines;
};
