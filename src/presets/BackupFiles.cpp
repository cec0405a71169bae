#include "presets/BackupFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {
const QString kStampFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");

const QRegularExpression& copyPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^Backup (\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2})(?: (\\d+))?\\.txt$"));
    return pattern;
}

struct Copy {
    QString name;
    QString stamp;
    int sequence = 1;
};
} // namespace

namespace BackupFiles {

QString fileName(const QDateTime& when, int sequence)
{
    const QString stamp = when.toString(kStampFormat);
    return sequence <= 1 ? QStringLiteral("Backup %1.txt").arg(stamp)
                         : QStringLiteral("Backup %1 %2.txt").arg(stamp).arg(sequence);
}

QStringList copies(const QString& folder)
{
    // Sorted by their stamp and number, not by name: " 2" sorts before ".txt".
    std::vector<Copy> found;
    const QStringList names = QDir(folder).entryList({QStringLiteral("Backup *.txt")}, QDir::Files);
    for (const QString& name : names) {
        const QRegularExpressionMatch m = copyPattern().match(name);
        if (m.hasMatch())
            found.push_back({name, m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(found.begin(), found.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.sequence < b.sequence;
    });
    QStringList out;
    for (const Copy& c : found)
        out.append(QDir(folder).filePath(c.name));
    return out;
}

Saved save(const QString& folder, const PresetFile::Values& values, const QDateTime& when, int keep)
{
    Saved result;
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("the folder %1 cannot be created").arg(QDir::toNativeSeparators(folder));
        return result;
    }
    const QByteArray bytes = PresetFile::bytes(values);
    // NewOnly makes "never over an existing file" hold even against a file
    // that appears between the look and the write.
    for (int sequence = 1; sequence < 1000 && !result.ok; ++sequence) {
        const QString path = QDir(folder).filePath(fileName(when, sequence));
        if (QFileInfo::exists(path))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            result.error = file.errorString();
            return result;
        }
        if (file.write(bytes) != bytes.size() || !file.flush()) {
            result.error = file.errorString();
            file.close();
            file.remove();
            return result;
        }
        file.close();
        result.ok = true;
        result.path = path;
    }
    if (!result.ok) {
        result.error = QStringLiteral("no free name for a backup of %1").arg(when.toString(kStampFormat));
        return result;
    }

    // The oldest go, apart from the copy just written: with copies dated later
    // than now (a clock set back, a move across time zones, copies brought in
    // from elsewhere) it would be the oldest, and the action would go on
    // without the backup it was promised.
    QStringList others = copies(folder);
    others.removeAll(result.path);
    for (int i = 0; i + keep < others.size() + 1; ++i) {
        if (QFile::remove(others.at(i)))
            ++result.removed;
    }
    return result;
}

} // namespace BackupFiles
