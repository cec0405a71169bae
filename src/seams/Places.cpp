#include "seams/Places.h"

#include <QDir>
#include <QStandardPaths>

QString StandardPlaces::documentsFolder() const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Without a Documents folder the files still need a home; the user's home is
    // the least surprising place.
    if (folder.isEmpty())
        folder = QDir::homePath();
    return folder;
}
