#include "data/DataItems.h"

#include <QDir>
#include <QFile>

namespace {
const QString kRoot = QStringLiteral(":/data");
}

namespace DataItems {

QStringList names()
{
    return QDir(kRoot).entryList(QDir::Files, QDir::Name);
}

QString path(const QString& name)
{
    if (name.isEmpty())
        return QString();
    for (const QString& entry : names()) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return kRoot + QLatin1Char('/') + entry;
    }
    return QString();
}

QByteArray bytes(const QString& name, bool* ok)
{
    const QString p = path(name);
    QFile file(p);
    if (p.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return QByteArray();
    }
    if (ok)
        *ok = true;
    return file.readAll();
}

} // namespace DataItems
