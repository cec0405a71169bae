#pragma once

#include <QByteArray>

// One way of speaking to the host: the pedal's firmware, or (beside it) the
// microcontroller's bootloader. The virtual pedal hands every byte that reaches
// the pedal to the protocol of its current mode.
class PedalProtocol {
public:
    virtual ~PedalProtocol() = default;

    // Bytes from the host, all of them arrived at the pedal by atMs.
    virtual void receive(const QByteArray& bytes, double atMs) = 0;

    // Power cycle: forget anything half received.
    virtual void reset() = 0;
};
