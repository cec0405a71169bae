// Start-up: from starting the program to its main window shown, and the
// resident memory then, against a bare Qt main window started the same way in
// the same run. Each start is a process of its own (this program again, with
// --child), so both pay for loading Qt alike. Prints the ratios.

#include "BenchSupport.h"

#include "app/DriverChoice.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "link/FtdiDriver.h"
#include "seams/Clock.h"
#include "seams/Places.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kRounds = 7;

// In the child: say "shown <KiB>" once the window is up, then end.
int child(int argc, char** argv, bool editor)
{
    QApplication app(argc, argv);
    auto report = [] {
        std::printf("shown %lld\n", residentKiB());
        std::fflush(stdout);
        QCoreApplication::quit();
    };
    if (!editor) {
        QMainWindow window;
        window.show();
        QTimer::singleShot(0, &app, report);
        return QApplication::exec();
    }
    SystemClock clock;
    QuietDialogs dialogs;
    QuietShell shell;
    StandardPlaces places;
    Editor e(Services{dialogs, clock, shell, places}, chooseDriver(true, clock));
    e.formMain->show();
    QTimer::singleShot(0, &app, report);
    return QApplication::exec();
}

struct Start {
    double ms = 0;
    qint64 kib = 0;
};

Start startOnce(const QString& self, const QString& kind)
{
    QTemporaryDir home; // the editor makes its files folder under Documents
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), env.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")));
    env.remove(QStringLiteral("QUARNEL_UPDATE_BASE_URL"));
    p.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    p.start(self, {QStringLiteral("--child"), kind});
    Start s;
    while (p.waitForReadyRead(30000) || p.state() != QProcess::NotRunning) {
        const QByteArray line = p.readLine().trimmed();
        if (line.startsWith("shown ")) {
            s.ms = timer.nsecsElapsed() / 1e6;
            s.kib = line.mid(6).toLongLong();
            break;
        }
        if (!p.canReadLine() && p.state() == QProcess::NotRunning)
            break;
    }
    p.waitForFinished(30000);
    return s;
}

template <typename T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]) == "editor");

    QCoreApplication app(argc, argv);
    const bool tsv = wantsTsv(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> editorMs, bareMs;
    std::vector<qint64> editorKiB, bareKiB;
    startOnce(self, QStringLiteral("bare")); // the first start fills the file cache for both
    for (int round = 0; round < kRounds; ++round) {
        const Start b = startOnce(self, QStringLiteral("bare"));
        const Start e = startOnce(self, QStringLiteral("editor"));
        if (b.kib == 0 || e.kib == 0) {
            std::fprintf(stderr, "bench_startup: a start did not show its window\n");
            return 1;
        }
        bareMs.push_back(b.ms);
        editorMs.push_back(e.ms);
        bareKiB.push_back(b.kib);
        editorKiB.push_back(e.kib);
    }
    const double eMs = median(editorMs), bMs = median(bareMs);
    const double eKiB = double(median(editorKiB)), bKiB = double(median(bareKiB));
    if (!tsv) {
        std::printf("start-up to the main window shown, median of %d starts\n", kRounds);
        figure(false, "", eMs, "ms", "editor on the virtual pedal");
        figure(false, "", bMs, "ms", "bare QMainWindow");
        figure(false, "", eKiB / 1024, "MiB", "editor resident memory");
        figure(false, "", bKiB / 1024, "MiB", "bare resident memory");
    }
    figure(tsv, "startup_ratio", eMs / bMs, "ratio", "start-up: editor / bare window");
    figure(tsv, "memory_ratio", eKiB / bKiB, "ratio", "memory: editor / bare window");
    return 0;
}
