#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The tooltips of the effect settings window, by control name.
namespace HintsUnit {

QList<QPair<QString, QString>> effectWindowHints();
// The hint of one control, empty when it has none.
QString hint(const QString& controlName);

} // namespace HintsUnit
