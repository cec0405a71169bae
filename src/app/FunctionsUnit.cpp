#include "app/FunctionsUnit.h"

#include "files/RegularFile.h"
#include "files/TextFiles.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "seams/Places.h"
#include "seams/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr qint64 kLogTrimLimit = 4999999;

// A folder and all its missing parents; the error text when that fails.
bool makeFolder(const QString& path, QString* error)
{
    if (QFileInfo(path).isDir())
        return true;
    if (QDir().mkpath(path))
        return true;
    *error = QFileInfo(path).exists() ? QStringLiteral("a file of that name is in the way: ") + path
                                      : QStringLiteral("cannot create ") + path;
    return false;
}
} // namespace

FunctionsUnit::FunctionsUnit(Places& places, Dialogs& dialogs, Log& log, Shell& shell)
    : places_(places), dialogs_(dialogs), log_(log), shell_(shell)
{
}

QString FunctionsUnit::tervoFolder() const
{
    return QDir(places_.documentsFolder()).filePath(QStringLiteral("TERVO"));
}

QString FunctionsUnit::filesFolder() const
{
    return QDir(tervoFolder()).filePath(QStringLiteral("Quarnel MK3"));
}

QString FunctionsUnit::filesPath(const QString& fileName) const
{
    return QDir(filesFolder()).filePath(fileName);
}

QString FunctionsUnit::styleFilePath() const
{
    return QDir(tervoFolder()).filePath(QStringLiteral("style.txt"));
}

QString FunctionsUnit::logFilePath() const
{
    return filesPath(QStringLiteral("log.txt"));
}

void FunctionsUnit::createFilesFolder()
{
    QString error;
    if (!makeFolder(tervoFolder(), &error))
        dialogs_.information(nullptr, QStringLiteral("Error creating folder: ") + error);
    if (!makeFolder(filesFolder(), &error))
        dialogs_.information(nullptr, QStringLiteral("Error creating subfolder: ") + error);
}

QString FunctionsUnit::readSettingFile(const QString& fileName, const QString& defaultText)
{
    const QString path = filesPath(fileName);
    if (!QFileInfo::exists(path)) {
        TextFiles::write(path, defaultText);
        return defaultText;
    }
    if (RegularFile::existsButIsNotRegular(path)) {
        log_.logLine(QStringLiteral("settings file ignored: ") + RegularFile::notRegularText(path));
        return QString();
    }
    return TextFiles::read(path, kLargestSettingFile);
}

void FunctionsUnit::readSettingsAtStart()
{
    const QString update = readSettingFile(QStringLiteral("ShowMessageVersionAtStartup.txt"), QStringLiteral("YES"));
    if (update == QLatin1String("YES"))
        showUpdateMessage = true;
    else if (update == QLatin1String("NO"))
        showUpdateMessage = false;

    const QString usb = readSettingFile(QStringLiteral("ReportUSBErrors.txt"), QStringLiteral("YES"));
    if (usb == QLatin1String("YES"))
        reportUSBErrors = true;
    else if (usb == QLatin1String("NO"))
        reportUSBErrors = false;

    readSettingFile(QStringLiteral("log.txt"), QString());
}

void FunctionsUnit::trimLogFile()
{
    const QFileInfo log(logFilePath());
    if (log.exists() && log.size() > kLogTrimLimit)
        TextFiles::write(log.filePath(), QString());
}

void FunctionsUnit::menuReportUSBErrorsClick(bool checked)
{
    const QString path = filesPath(QStringLiteral("ReportUSBErrors.txt"));
    if (!QFileInfo::exists(path))
        return;
    reportUSBErrors = checked;
    TextFiles::write(path, reportUSBErrors ? QStringLiteral("YES") : QStringLiteral("NO"));
}

void FunctionsUnit::menuOpenFilesFolderClick()
{
    shell_.openFolder(filesFolder());
}

QString FunctionsUnit::editorVersion()
{
    if (!QCoreApplication::instance())
        return QStringLiteral("Version info not available");
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral(QUARNEL_EDITOR_VERSION) : version;
}

bool FunctionsUnit::appendCloseBlock(const QDateTime& now, const QString& consoleText, QString* error)
{
    const QString block = QStringLiteral("\n\n") + now.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss"))
        + QStringLiteral("\n") + consoleText;
    return TextFiles::append(logFilePath(), block, error);
}
