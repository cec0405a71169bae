#pragma once

#include "virtualpedal/VirtualPedal.h"

// A driver that hands every call to the virtual pedal behind it: a test derives from it
// and changes only the calls its case is about (a second device on the bus, a
// close that fails, bytes added to a reply), so the rest behaves exactly like
// the pedal.
class PedalBehindLine : public FtdiDriver {
public:
    explicit PedalBehindLine(VirtualPedal& pedal) : pedal_(pedal) {}

    QString name() const override { return pedal_.name(); }
    bool isVirtualPedal() const override { return pedal_.isVirtualPedal(); }
    uint32_t listDeviceCount(uint32_t& count) override { return pedal_.listDeviceCount(count); }
    uint32_t listSerialNumber(uint32_t i, char area[64]) override { return pedal_.listSerialNumber(i, area); }
    uint32_t listDescription(uint32_t i, char area[64]) override { return pedal_.listDescription(i, area); }
    uint32_t openBySerialNumber(const char* serial, Handle& handle) override
    {
        return pedal_.openBySerialNumber(serial, handle);
    }
    uint32_t close(Handle h) override { return pedal_.close(h); }
    uint32_t read(Handle h, uint8_t* b, uint32_t n, uint32_t& r) override { return pedal_.read(h, b, n, r); }
    uint32_t write(Handle h, const uint8_t* b, uint32_t n, uint32_t& w) override { return pedal_.write(h, b, n, w); }
    uint32_t setBaudRate(Handle h, uint32_t baud) override { return pedal_.setBaudRate(h, baud); }
    uint32_t setDataCharacteristics(Handle h, uint8_t w, uint8_t s, uint8_t p) override
    {
        return pedal_.setDataCharacteristics(h, w, s, p);
    }
    uint32_t purge(Handle h, uint32_t mask) override { return pedal_.purge(h, mask); }
    uint32_t queueStatus(Handle h, uint32_t& rx) override { return pedal_.queueStatus(h, rx); }
    uint32_t setLatencyTimer(Handle h, uint8_t ms) override { return pedal_.setLatencyTimer(h, ms); }
    void waitForData(Handle h, int ms) override { pedal_.waitForData(h, ms); }

protected:
    VirtualPedal& pedal_;
};
