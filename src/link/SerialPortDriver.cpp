#include "link/SerialPortDriver.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>
#include <cstring>

#if defined(Q_OS_LINUX)
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif
#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

struct SerialPortDriver::OpenPort {
    QString location;
    std::unique_ptr<QSerialPort> port;
    bool lost = false; // the port went away; only closing it is left
};

namespace {
uint32_t copyToArea(const QByteArray& text, char area[64])
{
    std::memset(area, 0, 64);
    std::memcpy(area, text.constData(), static_cast<size_t>(std::min<int>(text.size(), 63)));
    return FtdiDriver::FT_OK;
}

uint32_t statusOf(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError: return FtdiDriver::FT_OK;
    case QSerialPort::DeviceNotFoundError: return FtdiDriver::FT_DEVICE_NOT_FOUND;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::NotOpenError: return FtdiDriver::FT_DEVICE_NOT_OPENED;
    case QSerialPort::UnknownError: return FtdiDriver::FT_OTHER_ERROR;
    default: return FtdiDriver::FT_IO_ERROR;
    }
}

// The time a write of n bytes may take at the port's rate, with room to spare.
int writeTimeLimitMs(const QSerialPort& port, uint32_t n)
{
    const qint32 baud = std::max<qint32>(port.baudRate(), 300);
    return 1000 + static_cast<int>(qint64(n) * 11 * 1000 / baud);
}

// An FTDI bridge as the system lists it; the path stands in for a serial
// number it does not report.
SerialPortDriver::Port ftdiPort(const QSerialPortInfo& info)
{
    SerialPortDriver::Port p;
    p.location = info.systemLocation();
    p.serialNumber = info.serialNumber().isEmpty() ? p.location.toLatin1() : info.serialNumber().toLatin1();
    p.description = info.description().isEmpty() ? QByteArrayLiteral("FTDI USB serial port")
                                                 : info.description().toLatin1();
    return p;
}

// A port known by its path alone (a pseudo-terminal, an adapter that reports
// no vendor): the path is its serial number.
SerialPortDriver::Port pathPort(const QString& location)
{
    return {location, location.toLatin1(), QByteArrayLiteral("Serial port ") + location.toLatin1()};
}
} // namespace

SerialPortDriver::SerialPortDriver() = default;
SerialPortDriver::SerialPortDriver(QString onlyPort) : onlyPort_(std::move(onlyPort)) {}
SerialPortDriver::~SerialPortDriver() = default;

QString SerialPortDriver::name() const
{
    return QStringLiteral("serial");
}

QList<SerialPortDriver::Port> SerialPortDriver::presentPorts()
{
    QList<Port> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        if (!info.hasVendorIdentifier() || info.vendorIdentifier() != kFtdiVendor)
            continue;
        ports.append(ftdiPort(info));
    }
    // A port named by path is listed only while it is there, so that pulling it
    // looks like pulling a device.
    const QString extra = qEnvironmentVariable("QUARNEL_SERIAL_PORT");
    if (!extra.isEmpty() && QFileInfo::exists(extra)) {
        const QString location = QFileInfo(extra).absoluteFilePath();
        const bool known = std::any_of(ports.cbegin(), ports.cend(), [&](const Port& p) {
            return p.location == location;
        });
        if (!known)
            ports.append(pathPort(location));
    }
    return ports;
}

QList<SerialPortDriver::Port> SerialPortDriver::ports() const
{
    if (onlyPort_.isEmpty())
        return presentPorts();
    // Listed while it is there, like a device that can be pulled; an FTDI
    // bridge keeps its serial number and description.
    if (!QFileInfo::exists(onlyPort_))
        return {};
    const QString location = QFileInfo(onlyPort_).absoluteFilePath();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == location && info.hasVendorIdentifier()
            && info.vendorIdentifier() == kFtdiVendor)
            return {ftdiPort(info)};
    }
    return {pathPort(location)};
}

uint32_t SerialPortDriver::listDeviceCount(uint32_t& count)
{
    listed_ = ports();
    count = static_cast<uint32_t>(listed_.size());
    return FT_OK;
}

uint32_t SerialPortDriver::listSerialNumber(uint32_t index, char area[64])
{
    if (listed_.isEmpty())
        listed_ = ports();
    if (index >= static_cast<uint32_t>(listed_.size()))
        return FT_DEVICE_NOT_FOUND;
    return copyToArea(listed_.at(static_cast<int>(index)).serialNumber, area);
}

uint32_t SerialPortDriver::listDescription(uint32_t index, char area[64])
{
    if (listed_.isEmpty())
        listed_ = ports();
    if (index >= static_cast<uint32_t>(listed_.size()))
        return FT_DEVICE_NOT_FOUND;
    return copyToArea(listed_.at(static_cast<int>(index)).description, area);
}

uint32_t SerialPortDriver::openBySerialNumber(const char* serial, Handle& handle)
{
    lastOpenFailure_ = {};
    if (!serial)
        return FT_INVALID_PARAMETER;
    const QByteArray wanted(serial);
    // The layer above hands over at most 49 characters of a serial number.
    const bool truncated = wanted.size() >= 49;
    QString location;
    for (const Port& p : ports()) {
        if (p.serialNumber == wanted || (truncated && p.serialNumber.startsWith(wanted))) {
            location = p.location;
            break;
        }
    }
    if (location.isEmpty())
        return FT_DEVICE_NOT_FOUND;
    for (const auto& entry : open_) {
        if (entry.second->location == location)
            return FT_DEVICE_NOT_OPENED; // D2XX opens a device once
    }

    auto open = std::make_unique<OpenPort>();
    open->location = location;
    open->port = std::make_unique<QSerialPort>();
    QSerialPort& port = *open->port;
    port.setPortName(location);
    // What an FTDI device runs at after an open, until the host sets its own.
    port.setBaudRate(9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadWrite)) {
        lastOpenFailure_ = describeFailure(location, port);
        const uint32_t status = statusOf(port.error());
        return status == FT_OK ? FT_DEVICE_NOT_OPENED : status;
    }
    const quintptr id = ++nextHandle_;
    open_[id] = std::move(open);
    handle = reinterpret_cast<Handle>(id);
    return FT_OK;
}

FtdiDriver::OpenFailure::Reason SerialPortDriver::reasonFor(int systemError)
{
#if defined(Q_OS_UNIX)
    switch (systemError) {
    case EACCES:
    case EPERM:
    case EROFS:
        return OpenFailure::Reason::NoPermission;
    case EBUSY:
        return OpenFailure::Reason::InUse;
    case EISDIR:
    case ENOTTY:
        return OpenFailure::Reason::NotASerialPort;
    default:
        break;
    }
#else
    (void)systemError;
#endif
    return OpenFailure::Reason::Unknown;
}

FtdiDriver::OpenFailure SerialPortDriver::describeFailure(const QString& location, const QSerialPort& port)
{
    OpenFailure failure;
    failure.location = location;
    failure.systemText = port.errorString();
#if defined(Q_OS_UNIX)
    // Qt Serial Port says "permission error" both for a port this user may
    // not open and for one another program holds; opening it once more,
    // plainly, gives the system's own reason.
    const QByteArray path = QFile::encodeName(location);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        failure.reason = reasonFor(error);
        failure.systemText = qt_error_string(error);
        return failure;
    }
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    // The port itself opens: what stopped Qt is another program's lock on it.
    failure.reason = terminal ? OpenFailure::Reason::InUse : OpenFailure::Reason::NotASerialPort;
#else
    // Windows reports a port that another program holds as "access denied".
    if (port.error() == QSerialPort::PermissionError)
        failure.reason = OpenFailure::Reason::InUse;
#endif
    return failure;
}

QString SerialPortDriver::reachedThrough(Handle handle) const
{
    const auto it = open_.find(reinterpret_cast<quintptr>(handle));
    return it == open_.end() ? QStringLiteral("serial port")
                             : QStringLiteral("serial port ") + QDir::toNativeSeparators(it->second->location);
}

SerialPortDriver::OpenPort* SerialPortDriver::portOf(Handle handle, uint32_t& status)
{
    const auto it = open_.find(reinterpret_cast<quintptr>(handle));
    if (it == open_.end()) {
        status = FT_INVALID_HANDLE;
        return nullptr;
    }
    OpenPort& p = *it->second;
    if (!p.lost && (p.port->error() == QSerialPort::ResourceError || !QFileInfo::exists(p.location)))
        p.lost = true;
    if (p.lost) {
        status = FT_IO_ERROR;
        return nullptr;
    }
    status = FT_OK;
    return &p;
}

void SerialPortDriver::pull(OpenPort& p)
{
    QSerialPort& port = *p.port;
    port.waitForReadyRead(0);
    if (port.error() == QSerialPort::ResourceError)
        p.lost = true;
    else if (port.error() != QSerialPort::NoError)
        port.clearError(); // nothing to read is not an error of the port
}

uint32_t SerialPortDriver::close(Handle handle)
{
    const auto it = open_.find(reinterpret_cast<quintptr>(handle));
    if (it == open_.end())
        return FT_INVALID_HANDLE;
    it->second->port->close();
    open_.erase(it);
    return FT_OK;
}

uint32_t SerialPortDriver::read(Handle handle, uint8_t* buffer, uint32_t toRead, uint32_t& returned)
{
    returned = 0;
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p)
        return status;
    if (toRead == 0)
        return FT_OK;
    if (!buffer)
        return FT_INVALID_PARAMETER;
    if (p->port->bytesAvailable() < qint64(toRead))
        pull(*p);
    if (p->lost)
        return FT_IO_ERROR;
    const qint64 n = p->port->read(reinterpret_cast<char*>(buffer), toRead);
    if (n < 0)
        return statusOf(p->port->error());
    returned = static_cast<uint32_t>(n);
    return FT_OK;
}

uint32_t SerialPortDriver::write(Handle handle, const uint8_t* buffer, uint32_t toWrite, uint32_t& written)
{
    written = 0;
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p)
        return status;
    if (toWrite == 0)
        return FT_OK;
    if (!buffer)
        return FT_INVALID_PARAMETER;
    QSerialPort& port = *p->port;
    if (port.write(reinterpret_cast<const char*>(buffer), toWrite) < 0)
        return statusOf(port.error());
    // The bytes leave now, not at the next turn of an event loop; a write that
    // cannot finish in its time is cut short, as D2XX's write time-out would.
    port.flush();
    const QDeadlineTimer deadline(writeTimeLimitMs(port, toWrite));
    while (port.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            break;
    }
    const qint64 unsent = port.bytesToWrite();
    if (unsent > 0)
        port.clear(QSerialPort::Output);
    written = toWrite - static_cast<uint32_t>(std::min<qint64>(unsent, toWrite));
    if (port.error() == QSerialPort::ResourceError || port.error() == QSerialPort::WriteError) {
        p->lost = port.error() == QSerialPort::ResourceError;
        return FT_IO_ERROR;
    }
    port.clearError();
    return FT_OK;
}

uint32_t SerialPortDriver::setBaudRate(Handle handle, uint32_t baud)
{
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p)
        return status;
    if (baud == 0 || baud > 0x7FFFFFFFu || !p->port->setBaudRate(static_cast<qint32>(baud))) {
        p->port->clearError();
        return FT_INVALID_BAUD_RATE;
    }
    return FT_OK;
}

uint32_t SerialPortDriver::setDataCharacteristics(Handle handle, uint8_t wordLength, uint8_t stopBits,
                                                  uint8_t parity)
{
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p)
        return status;
    if ((wordLength != 7 && wordLength != 8) || (stopBits != 0 && stopBits != 2) || parity > 4)
        return FT_INVALID_PARAMETER;
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                   QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                   QSerialPort::SpaceParity};
    QSerialPort& port = *p->port;
    const bool ok = port.setDataBits(wordLength == 7 ? QSerialPort::Data7 : QSerialPort::Data8) &&
                    port.setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
                    port.setParity(parities[parity]);
    // A pseudo-terminal refuses parity: the line then does not run as asked,
    // and the caller has to know.
    if (!ok) {
        port.clearError();
        return FT_IO_ERROR;
    }
    return FT_OK;
}

uint32_t SerialPortDriver::setLatencyTimer(Handle handle, uint8_t ms)
{
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p)
        return status;
#if defined(Q_OS_LINUX)
    const int fd = static_cast<int>(p->port->handle());
    serial_struct serial{};
    // Pseudo-terminals and many adapters have no such settings: not an error.
    if (fd >= 0 && ::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        if (ms <= 1)
            serial.flags |= ASYNC_LOW_LATENCY;
        else
            serial.flags &= ~ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
#else
    (void)ms;
#endif
    return FT_OK;
}

uint32_t SerialPortDriver::purge(Handle handle, uint32_t mask)
{
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p)
        return status;
    if (mask & FT_PURGE_RX) {
        pull(*p);
        p->port->clear(QSerialPort::Input);
    }
    if (mask & FT_PURGE_TX)
        p->port->clear(QSerialPort::Output);
    if (p->lost)
        return FT_IO_ERROR;
    p->port->clearError();
    return FT_OK;
}

uint32_t SerialPortDriver::queueStatus(Handle handle, uint32_t& rxBytes)
{
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p)
        return status;
    pull(*p);
    if (p->lost)
        return FT_IO_ERROR;
    rxBytes = static_cast<uint32_t>(std::min<qint64>(p->port->bytesAvailable(), 0xFFFFFFFF));
    return FT_OK;
}

void SerialPortDriver::waitForData(Handle handle, int timeoutMs)
{
    uint32_t status = FT_OK;
    OpenPort* p = portOf(handle, status);
    if (!p || p->port->bytesAvailable() > 0 || timeoutMs <= 0)
        return;
    p->port->waitForReadyRead(timeoutMs);
    if (p->port->error() == QSerialPort::ResourceError)
        p->lost = true;
    else
        p->port->clearError();
}
