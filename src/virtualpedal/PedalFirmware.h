#pragma once

#include "virtualpedal/PedalModel.h"
#include "virtualpedal/PedalProtocol.h"

#include <QByteArray>
#include <QMap>

#include <functional>

class PedalOutput;

// The pedal's firmware as the editor meets it on the wire. It cuts the byte
// stream into messages by their first byte (an effect image, which starts with
// 00, by the length in its first three bytes), keeps in the model what each
// message sets, and answers the status request, the memory read and effect
// images. Plain code: no driver, no clock of its own; times come with the bytes.
class PedalFirmware final : public PedalProtocol {
public:
    // A message whose bytes stop arriving for longer than this is dropped, so a
    // truncated message cannot swallow the next one.
    static constexpr int kMessageGapMs = 1000;
    // An image shorter than this has no address table.
    static constexpr int kMinimumImageSize = 47;

    PedalFirmware(PedalModel& model, PedalOutput& output);

    void receive(const QByteArray& bytes, double atMs) override;
    void reset() override;

    // The bootloader request with SHIFT held: the firmware jumps into the
    // bootloader and reads nothing more. Without a handler it is only counted.
    void setBootloaderHandler(std::function<void()> start) { startBootloader_ = std::move(start); }

    // Runs the given algorithm: its number as BCD, and the address table of the
    // embedded image of that number when there is one (returns whether there was).
    bool selectAlgorithm(int version);

    // The length of the message that starts pending: 0 while more bytes are
    // needed to tell, -1 for a first byte the firmware does not know.
    static int messageLength(const QByteArray& pending);

    // The number of the embedded image equal to image, or -1.
    int recogniseImage(const QByteArray& image);

private:
    void handle(const QByteArray& message, double atMs);
    void acceptImage(const QByteArray& image, double atMs);
    void runImage(const QByteArray& image);
    void writeParameter(uint16_t address, uint32_t value);
    QByteArray embeddedImage(int version);

    PedalModel& model_;
    PedalOutput& output_;
    QByteArray pending_;
    double lastByteMs_ = 0;
    QMap<int, QByteArray> images_; // embedded images decoded so far, by number
    std::function<void()> startBootloader_;
    bool leaving_ = false;
};
