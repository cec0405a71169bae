#pragma once

#include "seams/Clock.h"

#include <QPointer>
#include <QProgressBar>
#include <QWidget>




// What the user sees during a protocol pause: the pause itself processes no
// events, so no handler can run inside it, but the windows are repainted
// between its slices, the busy cursor shows, and a pause of a second or more
// shows its progress at the bottom of the window in front.
class PauseFeedback final : public PauseObserver {
public:
    explicit PauseFeedback(QWidget* fallbackWindow);
    ~PauseFeedback() override;

    static constexpr int kProgressFromMs = 1000;

    void pauseStarted(int ms) override;
    void pauseProgress(int elapsedMs, int ms) override;
    void pauseEnded() override;

    // The bar of the pause under way, or null.
    QProgressBar* progressBar() const { return bar_; }

private:
    static void repaintWindows();

    QPointer<QWidget> fallback_;
    QPointer<QProgressBar> bar_;
    int depth_ = 0;
};
