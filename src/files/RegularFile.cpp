#include "files/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QFileInfo>

namespace RegularFile {

bool existsButIsNotRegular(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

QString notRegularText(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir())
        return QStringLiteral("%1 is a folder, not a file").arg(shown);
    return QStringLiteral("%1 is not a regular file (it is a device, a pipe or a socket)").arg(shown);
}

Read read(const QString& path, qint64 largest)
{
    Read result;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        result.failure = Failure::NotRegular;
        return result;
    }
    if (info.exists() && info.size() > largest) {
        result.failure = Failure::TooLarge;
        result.size = info.size();
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.failure = Failure::CannotOpen;
        result.error = file.errorString();
        return result;
    }
    // The name may have been given to something else since the look above.
    if (file.isSequential()) {
        result.failure = Failure::NotRegular;
        return result;
    }
    // Files such as those under /proc give their size as 0 whatever they
    // hold, so the read itself is bounded too.
    result.bytes = file.read(largest + 1);
    if (file.error() != QFileDevice::NoError) {
        result.failure = Failure::ReadError;
        result.error = file.errorString();
        result.bytes.clear();
        return result;
    }
    if (result.bytes.size() > largest) {
        result.failure = Failure::TooLarge;
        result.bytes.clear();
    }
    return result;
}

QString shortWriteText(const QFileDevice& file, qint64 written, qint64 wanted)
{
    if (file.error() != QFileDevice::NoError && written < 0)
        return file.errorString();
    return QStringLiteral("only %1 of %2 bytes could be written (is the disk full?)")
        .arg(qMax<qint64>(written, 0))
        .arg(wanted);
}

bool write(const QString& path, const QByteArray& bytes, QString* error)
{
    if (existsButIsNotRegular(path)) {
        if (error)
            *error = notRegularText(path);
        return false;
    }
    // Written beside it and put in its place only when whole: a full disk or
    // a crash half way leaves the old file as it was, not half a preset.
    QSaveFile file(path);
    // A folder the user may not create files in, holding a file they may
    // write: written in place, as before.
    file.setDirectWriteFallback(true);
    // Unbuffered, so that a short write is seen: a buffered one can end short
    // at a full disk or a size limit and still be flushed "successfully".
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        if (error)
            *error = shortWriteText(file, written, bytes.size());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace RegularFile
