#pragma once

#include "link/FtdiDriver.h"

#include <memory>

class Clock;

// The driver the editor runs on: the virtual pedal when asked for, otherwise
// FTDI's D2XX library when it loads, otherwise the serial ports of the stock
// driver.
std::unique_ptr<FtdiDriver> chooseDriver(bool virtualPedal, Clock& clock);
