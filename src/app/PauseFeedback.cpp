#include "app/PauseFeedback.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QWidget>

namespace {
QString progressText(int elapsedMs, int ms)
{
    return QStringLiteral("Waiting for the pedal: %1 s of %2 s")
        .arg(elapsedMs / 1000.0, 0, 'f', 1)
        .arg(ms / 1000.0, 0, 'f', 1);
}
} // namespace

PauseFeedback::PauseFeedback(QWidget* fallbackWindow) : fallback_(fallbackWindow) {}

PauseFeedback::~PauseFeedback()
{
    delete bar_;
    while (depth_ > 0) {
        --depth_;
        QGuiApplication::restoreOverrideCursor();
    }
}

void PauseFeedback::repaintWindows()
{
    // Painting only: no event is taken from the queue, so no click, key or
    // timer is handled inside the pause.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->repaint();
}

void PauseFeedback::pauseStarted(int ms)
{
    ++depth_;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (ms >= kProgressFromMs && !bar_) {
        QWidget* window = QApplication::activeWindow();
        if (!window || !window->isVisible())
            window = fallback_;
        if (window && window->isVisible()) {
            bar_ = new QProgressBar(window);
            bar_->setObjectName(QStringLiteral("pauseProgress"));
            bar_->setRange(0, ms);
            bar_->setValue(0);
            bar_->setTextVisible(true);
            bar_->setFormat(progressText(0, ms));
            bar_->setGeometry(8, window->height() - 26, window->width() - 16, 20);
            bar_->show();
            bar_->raise();
        }
    }
    repaintWindows();
}

void PauseFeedback::pauseProgress(int elapsedMs, int ms)
{
    if (bar_) {
        bar_->setValue(elapsedMs);
        bar_->setFormat(progressText(elapsedMs, ms));
    }
    repaintWindows();
}

void PauseFeedback::pauseEnded()
{
    if (bar_) {
        bar_->hide();
        bar_->deleteLater();
        bar_ = nullptr;
    }
    if (depth_ > 0) {
        --depth_;
        QGuiApplication::restoreOverrideCursor();
    }
    repaintWindows();
}
