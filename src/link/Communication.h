#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class Editor;
class D2XXUnit;
class Log;

// Discovery and linking, the sending of messages, the reading of replies and
// the status request: everything the windows need from the pedal goes through
// here and D2XXUnit, never through a driver of their own.
class Communication {
public:
    enum class SerialMode { Normal, Bootloader };

    // Time limits of the waits. The pedal answers a status request within a few
    // tens of milliseconds; a bootloader answers one byte at once.
    static constexpr int kReplyTimeoutMs = 3000;
    static constexpr int kByteReplyTimeoutMs = 1000;
    // A reply is whole once the queue has stayed empty this long.
    static constexpr int kReplyGapMs = 30;
    static constexpr int kStatusReplyValues = 107;
    static constexpr int kMostRecentFirmware = 17;

    explicit Communication(Editor& editor);

    // Link state shared by the windows.
    bool linked = false;
    bool firmware_upgrade_mode = false;
    bool updatingFromPedal = false;
    bool legacyEntry = false; // pedals below firmware 9: a link runs no status request
    QString deviceSerialNumber;
    QString deviceDescription;

    // The values of the last decoded reply.
    QByteArray received_bytes_array;

    // What the last status reply said.
    QString firmwareVersion = QStringLiteral("0");
    QString algorithmVersion;
    QString effectNumber;
    int mostRecentFirmware = kMostRecentFirmware;

    // Discovery and linking.
    void selectSerialSettings(SerialMode mode);
    void findDevices();
    void scanAndLink();
    void Link();
    bool linkBySerialNumber();
    void Disconnect();
    void EnableUSBobjects(bool status);
    void enableCommandButtons(bool status);
    void uploadWatchdogExpired();

    // Sending: the hexadecimal text is converted into send_buffer and written in
    // one write; returns the count the write reports.
    uint32_t sendHex(const QString& text, bool purgeTransmitFirst = false, int pauseMs = 0);
    void writeToDsp(const QString& prefix, uint16_t address, uint32_t value);

    // Replies. readReply collects the whole reply and decodes it; false when no
    // reply came (time limit, failed queue query) or it could not be decoded.
    bool readReply();
    // The first byte of the reply as two hex digits, or empty when none came.
    QString readReplyByte();
    // Waits (events processed, no spinning) until the driver holds bytes or the
    // time limit passes; false on time-out or a failed queue query.
    bool waitForQueuedBytes(int timeoutMs);
    // Handler of Timer_USB_Read.
    void pollUnsolicited();

    // The status request; false when it did not get through to its end.
    bool requestStatus();
    bool requestInProgress() const { return requestDepth_ > 0; }

private:
    D2XXUnit& d2xx();
    Log& log();
    void readStatusFields();

    Editor& editor_;
    int requestDepth_ = 0;
};
