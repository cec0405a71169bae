// A status request from the reply on the wire to the values shown: decoding
// the pedal's 107 values and setting the effect window's dials, switches and
// lists. The clock is virtual, so the protocol's fixed 200 ms pause and the
// wire time do not count; what is left is the editor's own work. For scale,
// decoding the reply alone is printed beside it.

#include "BenchSupport.h"
#include "VirtualClock.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "link/ReplyDecoder.h"
#include "seams/Places.h"
#include "status/Communication.h"
#include "virtualpedal/StatusReply.h"
#include "virtualpedal/VirtualPedal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {
constexpr int kRounds = 31;
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool tsv = wantsTsv(argc, argv);

    QTemporaryDir documents;
    VirtualClock clock;
    QuietDialogs dialogs;
    QuietShell shell;
    FixedPlaces places(documents.path());
    auto owned = std::make_unique<VirtualPedal>(clock);
    VirtualPedal& pedal = *owned;
    Editor editor(Services{dialogs, clock, shell, places}, std::move(owned));
    editor.formMain->show();
    editor.comm->scanAndLink();

    std::vector<qint64> request;
    for (int round = 0; round < kRounds; ++round) {
        // A different value each time, so every control has something to change.
        pedal.model().values[0] = uint32_t(round % 2 ? 0x00400000 : 0x00200000);
        QElapsedTimer timer;
        timer.start();
        if (editor.comm->requestStatus() != Outcome::Done) {
            std::fprintf(stderr, "bench_statusshow: the status request failed\n");
            return 1;
        }
        QCoreApplication::processEvents();
        request.push_back(timer.nsecsElapsed());
    }

    const QByteArray wire = StatusReply::text(StatusReply::values(pedal.model()));
    std::vector<qint64> decode;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const ReplyDecoder::Result r = ReplyDecoder::decode(wire, 107);
        decode.push_back(timer.nsecsElapsed());
        if (r.state != ReplyDecoder::State::Whole)
            return 1;
    }
    if (!tsv) {
        std::printf("status reply decoded and shown, median of %d requests\n", kRounds);
        figure(false, "", medianMs(decode), "ms", "decoding alone");
    }
    figure(tsv, "status_show_ms", medianMs(request), "ms", "status request: decode and show");
    return 0;
}
