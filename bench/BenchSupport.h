#pragma once

// What the benchmarks share: seams that never block (no dialog waits for a
// click, no shell opens anything), the process's resident memory and CPU
// time, and the two ways of printing figures: a readable line each, or with
// --tsv one "name<TAB>value<TAB>unit" row each, for bench/run.

#include "seams/Dialogs.h"
#include "seams/Shell.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

class QuietDialogs final : public Dialogs {
public:
    void information(QWidget*, const QString&) override {}
    bool askYesNo(QWidget*, const QString&) override { return true; }
    bool askNumber(QWidget*, const QString&, int&, int, int) override { return true; }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override { return QString(); }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return QString();
    }
};

class QuietShell final : public Shell {
public:
    bool openFolder(const QString&) override { return true; }
    bool openUrl(const QString&) override { return true; }
    bool startProgram(const QString&, const QStringList&, bool) override { return true; }
    bool moveToTrash(const QString&) override { return true; }
};

// The middle of a run's measurements: one slow round (a page fault, another
// process) does not move it.
template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Nanoseconds measured, their median in milliseconds.
inline double medianMs(const std::vector<qint64>& ns)
{
    return double(median(ns)) / 1e6;
}

// Resident memory of this process in KiB (Linux; 0 elsewhere).
inline qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

// CPU time of the whole process (all threads), in nanoseconds.
inline qint64 processCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

inline bool wantsTsv(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--tsv") == 0)
            return true;
    return false;
}

// One figure: a readable line, or a row for scripts.
inline void figure(bool tsv, const char* name, double value, const char* unit, const char* text)
{
    if (tsv)
        std::printf("%s\t%.3f\t%s\n", name, value, unit);
    else
        std::printf("  %-44s %10.3f %s\n", text, value, unit);
    std::fflush(stdout);
}
