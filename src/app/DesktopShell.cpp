#include "app/DesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#endif

bool DesktopShell::openFolder(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openUrl(const QString& url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

bool DesktopShell::moveToTrash(const QString& path)
{
    return QFile::moveToTrash(path);
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
