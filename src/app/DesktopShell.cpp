#include "app/DesktopShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

bool DesktopShell::openFolder(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openUrl(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

namespace {
// Where the desktop keeps its trash, a file lands in the trash folder's
// "files", with its record beside it in "info": the home trash
// ($XDG_DATA_HOME/Trash) or a drive's own (.Trash/<uid> or .Trash-<uid> at
// its top).
bool inFreedesktopTrash(const QString& pathInTrash)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QFileInfo file(pathInTrash);
    const QDir files = file.absoluteDir();
    if (files.dirName() != QLatin1String("files"))
        return false;
    QDir trash = files;
    if (!trash.cdUp())
        return false;
    const QString uid = QString::number(::getuid());
    const QString name = trash.dirName();
    QDir above = trash;
    above.cdUp();
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const bool homeTrash = name == QLatin1String("Trash") && !dataHome.isEmpty()
                           && QFileInfo(above.absolutePath()) == QFileInfo(dataHome);
    const bool driveTrash = name == QLatin1String(".Trash-") + uid
                            || (name == uid && above.dirName() == QLatin1String(".Trash"));
    return (homeTrash || driveTrash)
           && QFileInfo::exists(trash.filePath(QStringLiteral("info/") + file.fileName() + QStringLiteral(".trashinfo")));
#else
    (void)pathInTrash;
    return true;
#endif
}
} // namespace

bool DesktopShell::moveToTrash(const QString& path)
{
    QString pathInTrash;
    if (!QFile::moveToTrash(path, &pathInTrash))
        return false;
    if (inFreedesktopTrash(pathInTrash))
        return true;
    // Without a home trash Qt 6.4 "trashes" into "files" and "info" of the
    // working folder. That is no trash: the file goes back where it was, and
    // the caller asks before deleting it for good.
    const QFileInfo moved(pathInTrash);
    QDir trash = moved.absoluteDir();
    trash.cdUp();
    if (!QFile::rename(pathInTrash, path))
        return false; // kept where Qt put it; nothing of it is removed
    QFile::remove(trash.filePath(QStringLiteral("info/") + moved.fileName() + QStringLiteral(".trashinfo")));
    // Only folders left empty go: anything in them was not ours.
    trash.rmdir(QStringLiteral("files"));
    trash.rmdir(QStringLiteral("info"));
    return false;
}

bool DesktopShell::startProgram(const QString& program, const QStringList& arguments, bool elevated)
{
#ifdef Q_OS_WIN
    if (elevated) {
        QStringList quoted;
        for (const QString& a : arguments)
            quoted << QLatin1Char('"') + a + QLatin1Char('"');
        const std::wstring file = program.toStdWString();
        const std::wstring params = quoted.join(QLatin1Char(' ')).toStdWString();
        const auto result = reinterpret_cast<qintptr>(
            ShellExecuteW(nullptr, L"runas", file.c_str(), params.c_str(), nullptr, SW_SHOWNORMAL));
        return result > 32;
    }
#else
    Q_UNUSED(elevated);
#endif
    return QProcess::startDetached(program, arguments);
}
