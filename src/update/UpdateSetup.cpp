#include "update/UpdateSetup.h"

#include <QCoreApplication>
#include <QDir>

#ifdef Q_OS_WIN
#include <windows.h>
#include <winver.h>

#include <string>
#include <vector>
#endif

UpdateSetup UpdateSetup::forThisProgram(const QString& editorVersion)
{
    UpdateSetup setup;
    setup.editorVersion = editorVersion;
#ifdef Q_OS_WIN
    setup.hasUpdater = true;
#endif
    if (QCoreApplication::instance()) {
        setup.programFolder = QCoreApplication::applicationDirPath();
        setup.programPath = QCoreApplication::applicationFilePath();
    }
    setup.tempFolder = QDir::tempPath();
    setup.fileVersion = programFileVersion;
    return setup;
}

QString UpdateSetup::updaterPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("Quarnel_Win_Updater.exe"));
}

QString UpdateSetup::updaterDownloadPath() const
{
    return QDir(programFolder).filePath(QStringLiteral("Quarnel_Win_Updater_Update.exe"));
}

QString UpdateSetup::editorUpdatePath() const
{
    return QDir(tempFolder).filePath(QStringLiteral("Quarnel_Editor_Update.exe"));
}

QString programFileVersion(const QString& path)
{
#ifdef Q_OS_WIN
    const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return QString();
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return QString();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info
        || length < sizeof(VS_FIXEDFILEINFO))
        return QString();
    return QStringLiteral("%1.%2").arg(HIWORD(info->dwFileVersionMS)).arg(LOWORD(info->dwFileVersionMS));
#else
    Q_UNUSED(path);
    return QString();
#endif
}
