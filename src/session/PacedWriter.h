#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

// Parameter messages paced to one write per parameter every 100 ms: a knob
// that turns sends its newest value 100 ms after the first change of a burst,
// so the pedal gets at most ten messages a second from it, and the player
// still hears the knob move. While the link is busy with an exchange (a
// status request's reply on its way) the paced messages wait for it; the
// writing function refuses them, with its own log line, when the link cannot
// take them at all.
class PacedWriter : public QObject {
    Q_OBJECT
public:
    static constexpr int kPacingMs = 100;

    using Write = std::function<bool(const QString& text)>;
    using Busy = std::function<bool()>;

    PacedWriter(Write write, Busy busy, QObject* parent = nullptr);

    // The newest text for an address replaces an older one still waiting,
    // written repeats times when its turn comes.
    void queue(uint16_t address, const QString& text, int repeats = 1);
    // Written at once; an older paced text for the address would otherwise
    // follow it and undo it.
    bool now(uint16_t address, const QString& text);
    void drop(uint16_t address);
    void dropAll();
    bool pending() const { return !pending_.isEmpty(); }

    // Timer1: the pacing; its tick writes what waits (or waits on).
    QTimer Timer1;
    void Timer1Timer();

private:

    struct PendingWrite {
        uint16_t address;
        QString text;
        int repeats;
    };
    Write write_;
    Busy busy_;
    QList<PendingWrite> pending_;
};
