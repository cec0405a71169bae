// Start-up: from starting the program to its main window painted, and the
// resident memory then, against a bare Qt main window with one menu and one
// line of text started the same way in the same run. Each start is a process
// of its own (this program again, with --child), so all pay for loading Qt alike.
//
// The baseline shows text because any window that does loads the system's
// fonts, and that cost belongs to the machine (how many fonts, how much font
// configuration), not to the editor. A window that draws nothing skips it: where
// these figures were first taken, one label made the same window take 1.45
// times as long to paint and 1.22 times the memory. Against a textless window
// the ratios measured the font configuration as much as the editor; they are
// still printed, for the record.

#include "BenchSupport.h"

#include "app/DriverChoice.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/MainWindowFirst.h"
#include "link/FtdiDriver.h"
#include "seams/Clock.h"
#include "seams/Places.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

namespace {
constexpr int kRounds = 7;

// A bare window's first paint, as MainWindowFirst sees the editor's.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, std::function<void()> then) : window_(window), then_(std::move(then))
    {
        window_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Paint && then_) {
            QTimer::singleShot(0, this, then_);
            then_ = nullptr;
        }
        return false;
    }

private:
    QWidget* window_;
    std::function<void()> then_;
};

// In the child: say "shown <KiB>" once the main window has been painted, and
// "ready <KiB>" once every window exists, then end. The editor starts as the
// program does.
int child(int argc, char** argv, const QByteArray& kind)
{
    QApplication app(argc, argv);
    const bool editor = kind == "editor";
    auto say = [](const char* what) {
        std::printf("%s %lld\n", what, residentKiB());
        std::fflush(stdout);
    };
    if (!editor) {
        QMainWindow window;
        if (kind == "text") {
            window.menuBar()->addMenu(QStringLiteral("File"));
            window.setCentralWidget(new QLabel(QStringLiteral("Quarnel")));
        }
        FirstPaint paint(&window, [&] {
            say("shown");
            say("ready");
            QCoreApplication::quit();
        });
        window.show();
        return QApplication::exec();
    }
    SystemClock clock;
    QuietDialogs dialogs;
    QuietShell shell;
    StandardPlaces places;
    Editor e(Services{dialogs, clock, shell, places}, chooseDriver(true, clock), Editor::Windows::MainWindowFirst);
    MainWindowFirst startUp(e);
    bool shown = false, ready = false;
    QObject::connect(&startUp, &MainWindowFirst::mainWindowShown, [&] {
        say("shown");
        shown = true;
        if (ready)
            QCoreApplication::quit();
    });
    QObject::connect(&startUp, &MainWindowFirst::ready, [&] {
        ready = true;
        if (shown) {
            say("ready");
            QCoreApplication::quit();
        }
    });
    startUp.start();
    return QApplication::exec();
}

struct Start {
    double shownMs = 0; // main window painted
    double readyMs = 0; // every window built
    qint64 shownKiB = 0;
    qint64 readyKiB = 0;
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
    while (s.readyKiB == 0 && (p.canReadLine() || p.waitForReadyRead(30000))) {
        while (p.canReadLine()) {
            const QByteArray line = p.readLine().trimmed();
            if (line.startsWith("shown ")) {
                s.shownMs = timer.nsecsElapsed() / 1e6;
                s.shownKiB = line.mid(6).toLongLong();
            } else if (line.startsWith("ready ")) {
                s.readyMs = timer.nsecsElapsed() / 1e6;
                s.readyKiB = line.mid(6).toLongLong();
            }
        }
    }
    p.waitForFinished(30000);
    return s;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QByteArray(argv[2]));

    QCoreApplication app(argc, argv);
    const bool tsv = wantsTsv(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> editorMs, editorReadyMs, bareMs, textMs;
    std::vector<qint64> editorKiB, editorReadyKiB, bareKiB, textKiB;
    startOnce(self, QStringLiteral("text")); // the first start fills the file cache for all
    for (int round = 0; round < kRounds; ++round) {
        const Start b = startOnce(self, QStringLiteral("bare"));
        const Start e = startOnce(self, QStringLiteral("editor"));
        const Start t = startOnce(self, QStringLiteral("text"));
        if (b.readyKiB == 0 || e.readyKiB == 0 || t.readyKiB == 0 || b.shownMs == 0 || e.shownMs == 0
            || t.shownMs == 0) {
            std::fprintf(stderr, "bench_startup: a start did not show its window\n");
            return 1;
        }
        bareMs.push_back(b.shownMs);
        editorMs.push_back(e.shownMs);
        editorReadyMs.push_back(e.readyMs);
        bareKiB.push_back(b.shownKiB);
        editorKiB.push_back(e.shownKiB);
        editorReadyKiB.push_back(e.readyKiB);
        textMs.push_back(t.shownMs);
        textKiB.push_back(t.shownKiB);
    }
    const double eMs = median(editorMs), eReadyMs = median(editorReadyMs), bMs = median(bareMs);
    const double tMs = median(textMs);
    const double eKiB = double(median(editorKiB)), bKiB = double(median(bareKiB));
    const double tKiB = double(median(textKiB)), eReadyKiB = double(median(editorReadyKiB));
    if (!tsv) {
        std::printf("start-up to the main window painted, median of %d starts\n", kRounds);
        figure(false, "", eMs, "ms", "editor on the virtual pedal: main window painted");
        figure(false, "", eReadyMs, "ms", "editor: every window built");
        figure(false, "", tMs, "ms", "bare window, menu and label: painted");
        figure(false, "", bMs, "ms", "bare window, no text: painted");
        figure(false, "", eKiB / 1024, "MiB", "editor: resident memory, main window painted");
        figure(false, "", eReadyKiB / 1024, "MiB", "editor: resident memory, every window built");
        figure(false, "", tKiB / 1024, "MiB", "bare window, menu and label: resident memory");
        figure(false, "", bKiB / 1024, "MiB", "bare window, no text: resident memory");
    }
    figure(tsv, "startup_ratio", eMs / tMs, "ratio", "start-up: editor / bare window, menu and label");
    figure(tsv, "memory_ratio", eKiB / tKiB, "ratio", "memory: editor / bare window, menu and label");
    figure(tsv, "startup_ratio_textless", eMs / bMs, "ratio", "start-up: editor / bare window, no text");
    figure(tsv, "memory_ratio_textless", eKiB / bKiB, "ratio", "memory: editor / bare window, no text");
    return 0;
}
