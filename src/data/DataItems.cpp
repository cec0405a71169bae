#include "data/DataItems.h"

#include <QFile>
#include <QResource>

namespace {
const QString kRoot = QStringLiteral(":/data");

// Listing the folder through QDir opens every item, and opening one reads
// its size from the front of its bytes: at start-up that pulled the whole
// firmware collection into memory. The resource tree alone knows the names.
class ResourceFolder : public QResource {
public:
    using QResource::QResource;
    using QResource::children;
};
} // namespace

namespace DataItems {

QStringList names()
{
    QStringList found = ResourceFolder(kRoot).children();
    found.sort();
    return found;
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
