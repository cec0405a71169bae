// How long a full memory check takes to judge and log its 16,384 lines through
// the console, against appending the same lines one at a time to a plain
// QPlainTextEdit (the way a log view without batching would), measured in the
// same run. Prints the ratio; below 1 means the console is faster.

#include "BenchSupport.h"

#include "console/MemoryDump.h"
#include "console/PrintConsole.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kRounds = 5;

QByteArray dumpOnTheWire()
{
    QByteArray wire(1, char(0xAB));
    wire += QByteArray(MemoryDump::kMemorySize, char(0xFF));
    wire[wire.size() - 1] = char(0x00);
    return wire;
}

qint64 throughTheConsole(const QByteArray& wire)
{
    PrintConsole console;
    console.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    // As the read timer sees it: a few reads of what the driver holds.
    MemoryDump dump;
    const auto* bytes = reinterpret_cast<const uint8_t*>(wire.constData());
    for (int at = 0; at < wire.size(); at += 4096)
        dump.feed(bytes + at, static_cast<uint32_t>(std::min<int>(4096, static_cast<int>(wire.size()) - at)), at);
    const QByteArray memory = dump.take();
    MemoryDump::logMemory(console, memory);
    volatile bool erased = MemoryDump::isErased(memory);
    (void)erased;
    console.flush();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed();
}

qint64 oneLineAtATime(const QByteArray& wire)
{
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.resize(489, 606);
    edit.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    for (int p = 0; p + 1 < wire.size(); ++p) {
        edit.appendPlainText(MemoryDump::line(p, static_cast<uint8_t>(wire.at(p + 1))));
        edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
    }
    QCoreApplication::processEvents();
    return timer.nsecsElapsed();
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray wire = dumpOnTheWire();

    std::vector<qint64> console;
    std::vector<qint64> baseline;
    for (int round = 0; round < kRounds; ++round) {
        console.push_back(throughTheConsole(wire));
        baseline.push_back(oneLineAtATime(wire));
    }
    const double consoleMs = medianMs(console);
    const double baselineMs = medianMs(baseline);
    const bool tsv = wantsTsv(argc, argv);
    if (!tsv) {
        std::printf("memory dump of %d lines, median of %d rounds\n", MemoryDump::kMemorySize, kRounds);
        figure(false, "", consoleMs, "ms", "console (judge + log, batched)");
        figure(false, "", baselineMs, "ms", "baseline (QPlainTextEdit, per line)");
    }
    figure(tsv, "dump_ratio", consoleMs / baselineMs, "ratio", "dump: console / baseline");
    return 0;
}
