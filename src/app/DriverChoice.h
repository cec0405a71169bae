#pragma once

#include "link/FtdiDriver.h"

#include <memory>

class Clock;

// The driver the editor runs on: the virtual pedal when asked for, otherwise
// FTDI's D2XX library when it loads, with the serial ports of the stock driver
// behind it for a pedal that D2XX does not list or cannot open, otherwise the
// serial ports alone.
std::unique_ptr<FtdiDriver> chooseDriver(bool virtualPedal, Clock& clock);
