#pragma once

#include "status/StatusLine.h"

#include <QString>

// What the main window shows of the link: the device's name, its serial
// numbers, the link mark, the status line and the versions the pedal reported.
class LinkView : public StatusLine {
public:
    virtual void showDeviceName(const QString& text) = 0;
    // Added to the serial-number item after the ones shown before.
    virtual void addSerialNumber(const QString& serialNumber) = 0;
    // 0 not linked (grey), 1 linked but silent (amber), 2 linked and answering
    // (green), with the state's name.
    virtual void showLinkState(int state, const QString& text) = 0;
    virtual void showFirmwareVersion(const QString& text) = 0;
    virtual void showAlgorithmVersion(const QString& text) = 0;
};
