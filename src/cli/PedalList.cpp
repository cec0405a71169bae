#include "cli/PedalList.h"

#include "link/D2XXUnit.h"

#include <QStringList>

namespace Cli {

namespace {
QString serialNumbers(const QList<FoundPedal>& found)
{
    QStringList numbers;
    for (const FoundPedal& p : found)
        numbers.append(p.serialNumber);
    return numbers.join(QStringLiteral(", "));
}
} // namespace

QList<FoundPedal> findPedals(D2XXUnit& unit)
{
    QList<FoundPedal> found;
    if (unit.GetFTDeviceCount() != FtdiDriver::FT_OK)
        return found;
    const QString driver = unit.driver().name();
    for (uint32_t i = 0; i < unit.deviceCount; ++i) {
        if (unit.GetFTDeviceSerialNo(i) != FtdiDriver::FT_OK)
            continue;
        FoundPedal p;
        p.driver = driver;
        p.serialNumber = QString::fromLatin1(unit.FT_Device_String);
        if (unit.GetFTDeviceDescription(i) == FtdiDriver::FT_OK)
            p.description = QString::fromLatin1(unit.FT_Device_String);
        found.append(p);
    }
    return found;
}

QString listLine(const FoundPedal& pedal)
{
    return pedal.driver + QLatin1Char('\t') + pedal.serialNumber + QLatin1Char('\t') + pedal.description;
}

std::optional<FoundPedal> choosePedal(const QList<FoundPedal>& found, const QString& serialNumber, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (found.isEmpty())
        return fail(QStringLiteral("no pedal found"));
    if (!serialNumber.isEmpty()) {
        for (const FoundPedal& p : found)
            if (p.serialNumber == serialNumber)
                return p;
        return fail(QStringLiteral("no pedal with serial number %1 (found: %2)").arg(serialNumber, serialNumbers(found)));
    }
    if (found.size() > 1) {
        return fail(QStringLiteral("%1 pedals found (%2): choose one with --serial NUMBER")
                        .arg(found.size())
                        .arg(serialNumbers(found)));
    }
    return found.first();
}

} // namespace Cli
