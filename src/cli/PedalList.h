#pragma once

#include <QList>
#include <QString>

#include <optional>

class D2XXUnit;

// "quarnel-cli list" and the choice of one pedal among those found.
namespace Cli {

struct FoundPedal {
    QString driver; // the driver's short name: "D2XX", "serial", "virtual"
    QString serialNumber;
    QString description;
};

// The devices the unit's driver lists now; none when it cannot list them. A
// device whose serial number cannot be read is left out: it could not be
// opened by it either.
QList<FoundPedal> findPedals(D2XXUnit& unit);

// One line of "list": driver, serial number and description, separated by
// tabs (a description may hold blanks).
QString listLine(const FoundPedal& pedal);

// The pedal to link: the one with serialNumber when it is given, else the only
// one found. nullopt, with one line in error, when there is none or the choice
// is not clear.
std::optional<FoundPedal> choosePedal(const QList<FoundPedal>& found, const QString& serialNumber, QString* error);

} // namespace Cli
