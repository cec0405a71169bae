#include "app/DriverChoice.h"

#include "link/D2xxLibraryDriver.h"
#include "link/FallbackDriver.h"
#include "link/SerialPortDriver.h"
#include "virtualpedal/VirtualPedal.h"

std::unique_ptr<FtdiDriver> chooseDriver(bool virtualPedal, Clock& clock)
{
    if (virtualPedal)
        return std::make_unique<VirtualPedal>(clock);
    if (std::unique_ptr<FtdiDriver> d2xx = D2xxLibraryDriver::create())
        return std::make_unique<FallbackDriver>(std::move(d2xx), std::make_unique<SerialPortDriver>());
    return std::make_unique<SerialPortDriver>();
}
