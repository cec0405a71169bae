#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

class Clock;
class D2XXUnit;
class Log;

// Messages to the pedal and the reading of what comes back, over the one
// device of D2XXUnit. Every wait here has a time limit, lets window events run
// and does not spin a core; nothing here knows a window.
class Transport {
public:
    // The pedal answers a status request within a few tens of milliseconds; a
    // bootloader answers one byte at once.
    static constexpr int kReplyTimeoutMs = 3000;
    static constexpr int kByteReplyTimeoutMs = 1000;
    // An answer whose length nobody knows (an upload's text) is whole once the
    // line has been quiet this long. Long enough for a pedal that sends it in
    // two parts; a status reply knows its own end and does not wait for this.
    static constexpr int kAnswerGapMs = 250;

    Transport(D2XXUnit& d2xx, Clock& clock, Log& log);

    D2XXUnit& d2xx() { return d2xx_; }
    Clock& clock() { return clock_; }

    // The values of the last status reply that was taken whole, as they
    // came; what they mean is read from a reply's own values (StatusReply).
    QByteArray received_bytes_array;

    // ---- sending
    // The hexadecimal text is converted into send_buffer and written in one
    // write; returns the count the write reports.
    uint32_t sendHex(const QString& text, bool purgeTransmitFirst = false, int pauseMs = 0);
    // Raw bytes in one write (an effect file, the bootloader's frames).
    uint32_t writeBytes(const QByteArray& bytes);

    // ---- reading
    enum class Wait { Bytes, TimedOut, Failed };
    // Until the driver holds bytes, the time limit passes or the queue query fails.
    Wait waitForQueuedBytes(int timeoutMs);

    // Empties the receive queue before an operation that sends and then reads,
    // so nothing the pedal sent earlier (the tail of an answer, a late reply, a
    // memory dump) is taken for the answer to come. Logs what it dropped and
    // returns the count.
    int dropStaleBytes(const QString& before);

    struct StatusReply {
        enum class Outcome { Whole, NoAnswer, Short, Malformed };
        Outcome outcome = Outcome::NoAnswer;
        QByteArray values;   // one byte per value, when the reply is whole
        QByteArray received; // every byte read, for the log
        QString error;
        bool queueFailed = false; // the device's queue could not be read: it may be gone
    };
    // Collects a status reply until its expectedValues-th value has arrived (or
    // the time limit), decodes it into values (and received_bytes_array) only
    // when it is whole and well formed, and logs it.
    StatusReply readReply(int expectedValues);

    // The bytes of the first answer to arrive within timeoutMs, read until the
    // line is quiet for kAnswerGapMs; each read is handed to onRead as it comes.
    // False when nothing arrived or the queue could not be read (failed says which).
    bool readAnswer(int timeoutMs, const std::function<void(const QByteArray&)>& onRead, bool* failed = nullptr);

    // The first byte of the reply as two hex digits, or empty when none came
    // within timeoutMs; wait (when given) tells whether bytes came, the time
    // limit passed or the queue could not be read (a lost link).
    QString readReplyByte(bool firmwareUpgradeMode, int timeoutMs = kByteReplyTimeoutMs, Wait* wait = nullptr);

    // The bytes of a reply whose length the reader knows (the bootloader's
    // Read Memory): read until whole(bytes) says so, the time limit passes
    // or the queue cannot be read (wait tells which), then the receive queue
    // is purged. Bytes beyond what whole() took are part of no reply and are
    // dropped with the purge.
    QByteArray readBytes(const std::function<bool(const QByteArray&)>& whole, int timeoutMs, Wait* wait = nullptr);

    // What the pedal sent unasked since the last look, without error lines.
    // failed tells when the queue could not be read (a device that is gone).
    QByteArray readUnsolicited(bool* failed = nullptr);

private:
    void breathe();

    D2XXUnit& d2xx_;
    Clock& clock_;
    Log& log_;
};
