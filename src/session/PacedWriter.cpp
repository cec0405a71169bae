#include "session/PacedWriter.h"

#include <algorithm>

PacedWriter::PacedWriter(Write write, Busy busy, QObject* parent)
    : QObject(parent), write_(std::move(write)), busy_(std::move(busy))
{
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(kPacingMs);
    connect(&Timer1, &QTimer::timeout, this, &PacedWriter::Timer1Timer);
}

void PacedWriter::queue(uint16_t address, const QString& text, int repeats)
{
    // One message per address: a knob still turning replaces its own older
    // value, and undoing a whole preset sends each parameter once.
    bool replaced = false;
    for (PendingWrite& p : pending_) {
        if (p.address == address) {
            p.text = text;
            p.repeats = repeats;
            replaced = true;
        }
    }
    if (!replaced)
        pending_.append({address, text, repeats});
    if (!Timer1.isActive())
        Timer1.start(kPacingMs);
}

bool PacedWriter::now(uint16_t address, const QString& text)
{
    drop(address);
    return write_(text);
}

void PacedWriter::drop(uint16_t address)
{
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [address](const PendingWrite& p) { return p.address == address; }),
                   pending_.end());
}

void PacedWriter::dropAll()
{
    pending_.clear();
    Timer1.stop();
}

void PacedWriter::Timer1Timer()
{
    Timer1.stop();
    if (busy_ && busy_()) {
        Timer1.start(kPacingMs);
        return;
    }
    const QList<PendingWrite> due = pending_;
    pending_.clear();
    for (const PendingWrite& p : due)
        for (int i = 0; i < p.repeats; ++i)
            write_(p.text);
}
