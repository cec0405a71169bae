#include "link/D2XXUnit.h"

#include "seams/Log.h"

#include <algorithm>
#include <cstring>

namespace {
QByteArray areaText(const std::array<char, 64>& area)
{
    const auto end = std::find(area.begin(), area.end(), '\0');
    return QByteArray(area.data(), static_cast<int>(end - area.begin()));
}
} // namespace

D2XXUnit::D2XXUnit(FtdiDriver& driver, Log& log)
    : driver_(driver), log_(log), send_(new uint8_t[kBufferSize]()), receive_(new uint8_t[kBufferSize]())
{
}

QString D2XXUnit::statusMessage(uint32_t status)
{
    switch (status) {
    case 1: return QStringLiteral(" - Invalid handle...");
    case 2: return QStringLiteral(" - Device not found...");
    case 3: return QStringLiteral(" - Device not opened...");
    case 4: return QStringLiteral(" - General IO error...");
    case 5: return QStringLiteral(" - Insufficient resources...");
    case 6: return QStringLiteral(" - Invalid parameter...");
    case 7: return QStringLiteral(" - Invalid baud rate...");
    case 8: return QStringLiteral(" Device not opened for erase...");
    case 9: return QStringLiteral(" Device not opened for write...");
    case 10: return QStringLiteral(" - Failed to write...");
    case 11: return QStringLiteral(" - EEPROM read failed...");
    case 12: return QStringLiteral(" - EEPROM write failed...");
    case 13: return QStringLiteral(" - EEPROM erase failed...");
    case 14: return QStringLiteral(" - EEPROM not present...");
    case 15: return QStringLiteral(" - EEPROM not programmed...");
    case 16: return QStringLiteral(" - Invalid arguments...");
    case 17: return QStringLiteral(" - Other error ...");
    default: return QString();
    }
}

void D2XXUnit::reportFTStatus(const QString& label, uint32_t status)
{
    if (!reportErrors || status == FtdiDriver::FT_OK)
        return;
    // Unknown codes leave an empty line rather than a made-up label.
    log_.logLine(status > FtdiDriver::FT_OTHER_ERROR ? QString() : label + statusMessage(status));
}

uint32_t D2XXUnit::GetFTDeviceCount()
{
    uint32_t count = deviceCount;
    const uint32_t status = driver_.listDeviceCount(count);
    if (status == FtdiDriver::FT_OK)
        deviceCount = count;
    reportFTStatus(QStringLiteral("GetFTDeviceCount"), status);
    return status;
}

uint32_t D2XXUnit::GetFTDeviceSerialNo(uint32_t index)
{
    serialArea_.fill('\0');
    const uint32_t status = driver_.listSerialNumber(index, serialArea_.data());
    if (status == FtdiDriver::FT_OK)
        FT_Device_String = areaText(serialArea_);
    reportFTStatus(QStringLiteral("GetFTDeviceSerialNo"), status);
    return status;
}

uint32_t D2XXUnit::GetFTDeviceDescription(uint32_t index)
{
    descriptionArea_.fill('\0');
    const uint32_t status = driver_.listDescription(index, descriptionArea_.data());
    if (status == FtdiDriver::FT_OK)
        FT_Device_String = areaText(descriptionArea_);
    reportFTStatus(QStringLiteral("GetFTDeviceDescription"), status);
    return status;
}

uint32_t D2XXUnit::Open_USB_Device_By_Serial_Number(const QString& serial)
{
    const QByteArray bytes = serial.toLatin1();
    openBySerialText.fill('\0');
    std::memcpy(openBySerialText.data(), bytes.constData(),
                static_cast<size_t>(std::min<int>(bytes.size(), static_cast<int>(openBySerialText.size()) - 1)));
    FtdiDriver::Handle opened = handle_;
    const uint32_t status = driver_.openBySerialNumber(openBySerialText.data(), opened);
    if (status == FtdiDriver::FT_OK)
        handle_ = opened;
    reportFTStatus(QStringLiteral("Open_USB_Device_By_Serial_Number"), status);
    return status;
}

uint32_t D2XXUnit::closeDevice()
{
    const uint32_t status = driver_.close(handle_);
    reportFTStatus(QStringLiteral("FT_Close"), status);
    return status;
}

uint32_t D2XXUnit::readDevice()
{
    uint32_t queued = 0;
    driver_.queueStatus(handle_, queued); // its status is deliberately not reported
    const uint32_t toRead = std::min<uint32_t>(queued, kBufferSize);
    uint32_t returned = 0;
    const uint32_t status = driver_.read(handle_, receive_.get(), toRead, returned);
    reportFTStatus(QStringLiteral("FT_Read"), status);
    return std::min<uint32_t>(returned, kBufferSize);
}

uint32_t D2XXUnit::writeDevice(uint32_t n)
{
    uint32_t written = 0;
    const uint32_t status = driver_.write(handle_, send_.get(), std::min<uint32_t>(n, kBufferSize), written);
    reportFTStatus(QStringLiteral("FT_Write"), status);
    return written;
}

uint32_t D2XXUnit::setLatencyTimer(uint8_t ms)
{
    const uint32_t status = driver_.setLatencyTimer(handle_, ms);
    reportFTStatus(QStringLiteral("FT_SetLatencyTimer"), status);
    return status;
}

uint32_t D2XXUnit::setBaudRate()
{
    const uint32_t status = driver_.setBaudRate(handle_, baudRate);
    reportFTStatus(QStringLiteral("FT_SetBaudRate"), status);
    return status;
}

uint32_t D2XXUnit::setDataCharacteristics()
{
    const uint32_t status = driver_.setDataCharacteristics(handle_, wordLength, stopBits, parity);
    reportFTStatus(QStringLiteral("FT_SetDataCharacteristics"), status);
    return status;
}

uint32_t D2XXUnit::purgeReceive()
{
    const uint32_t status = driver_.purge(handle_, FtdiDriver::FT_PURGE_RX);
    reportFTStatus(QStringLiteral("FT_Purge RX"), status);
    return status;
}

uint32_t D2XXUnit::purgeTransmit()
{
    const uint32_t status = driver_.purge(handle_, FtdiDriver::FT_PURGE_TX);
    reportFTStatus(QStringLiteral("FT_Purge TX"), status);
    return status;
}

uint32_t D2XXUnit::queryQueue()
{
    uint32_t count = rxQueueCount;
    const uint32_t status = driver_.queueStatus(handle_, count);
    if (status == FtdiDriver::FT_OK)
        rxQueueCount = count;
    reportFTStatus(QStringLiteral("FT_GetQueueStatus"), status);
    return status;
}
