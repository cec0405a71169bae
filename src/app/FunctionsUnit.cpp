#include "app/FunctionsUnit.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "data/DataItems.h"
#include "files/RegularFile.h"
#include "files/TextFiles.h"
#include "seams/Dialogs.h"
#include "seams/Places.h"
#include "seams/Shell.h"
#include "ui_FormMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

namespace {
constexpr qint64 kLogTrimLimit = 4999999;
// The settings files hold one word and the look file one number; a file larger
// than this holds neither, and is not read.
constexpr qint64 kLargestSettingFile = 4096;

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

const QStringList& FunctionsUnit::lookNames()
{
    static const QStringList names = {QStringLiteral("RED"),        QStringLiteral("YELLOW"),
                                      QStringLiteral("GRAY"),       QStringLiteral("BLUE"),
                                      QStringLiteral("LIGHT GRAY"), QStringLiteral("LIGHT GRAY 2"),
                                      QStringLiteral("WHITE")};
    return names;
}

FunctionsUnit::FunctionsUnit(Editor& editor) : editor_(editor) {}

QString FunctionsUnit::tervoFolder() const
{
    return QDir(editor_.places().documentsFolder()).filePath(QStringLiteral("TERVO"));
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
        editor_.dialogs().information(editor_.formMain, QStringLiteral("Error creating folder: ") + error);
    if (!makeFolder(filesFolder(), &error))
        editor_.dialogs().information(editor_.formMain, QStringLiteral("Error creating subfolder: ") + error);
}

QString FunctionsUnit::readSettingFile(const QString& fileName, const QString& defaultText)
{
    const QString path = filesPath(fileName);
    if (!QFileInfo::exists(path)) {
        TextFiles::write(path, defaultText);
        return defaultText;
    }
    if (RegularFile::existsButIsNotRegular(path)) {
        editor_.log().logLine(QStringLiteral("settings file ignored: ") + RegularFile::notRegularText(path));
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
    editor_.formMain->ui->menuShowUpdateMsg->setChecked(showUpdateMessage);

    const QString usb = readSettingFile(QStringLiteral("ReportUSBErrors.txt"), QStringLiteral("YES"));
    if (usb == QLatin1String("YES"))
        reportUSBErrors = true;
    else if (usb == QLatin1String("NO"))
        reportUSBErrors = false;
    editor_.formMain->ui->menuReportUSBErrors->setChecked(reportUSBErrors);

    readSettingFile(QStringLiteral("log.txt"), QString());
}

void FunctionsUnit::trimLogFile()
{
    const QFileInfo log(logFilePath());
    if (log.exists() && log.size() > kLogTrimLimit)
        TextFiles::write(log.filePath(), QString());
}

void FunctionsUnit::menuReportUSBErrorsClick()
{
    const QString path = filesPath(QStringLiteral("ReportUSBErrors.txt"));
    if (!QFileInfo::exists(path))
        return;
    reportUSBErrors = editor_.formMain->ui->menuReportUSBErrors->isChecked();
    TextFiles::write(path, reportUSBErrors ? QStringLiteral("YES") : QStringLiteral("NO"));
}

void FunctionsUnit::menuOpenFilesFolderClick()
{
    editor_.shell().openFolder(filesFolder());
}

void FunctionsUnit::buildLookMenu()
{
    QMenu* menu = editor_.formMain->ui->menuLook;
    for (int k = 0; k < lookNames().size(); ++k) {
        QAction* item = menu->addAction(lookNames().at(k));
        item->setObjectName(QStringLiteral("menuLook%1").arg(k));
        QObject::connect(item, &QAction::triggered, editor_.formMain, [this, item] {
            menuLookClickItem(static_cast<int>(lookItems_.indexOf(item)));
        });
        lookItems_.append(item);
    }
}

void FunctionsUnit::applySavedLook()
{
    const QString path = styleFilePath();
    if (!QFileInfo::exists(path)) {
        applyTheme(QStringLiteral("Style_0"));
        return;
    }
    // A hand-edited or damaged file must not stop the start: anything but a
    // plain number of a look we carry gives the default look, and the file
    // stays as the user left it. A pipe or a device in its place is not even
    // opened: reading one could wait for ever.
    if (RegularFile::existsButIsNotRegular(path)) {
        editor_.log().logLine(QStringLiteral("look file ignored: ") + RegularFile::notRegularText(path));
        applyTheme(QStringLiteral("Style_0"));
        return;
    }
    const QString text = TextFiles::read(path, kLargestSettingFile).trimmed();
    const bool plainNumber = !text.isEmpty() && text.size() <= 9
                             && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!plainNumber || !applyTheme(QStringLiteral("Style_") + QString::number(text.toInt())))
        applyTheme(QStringLiteral("Style_0"));
}

void FunctionsUnit::menuLookClickItem(int index)
{
    const int k = index < 0 ? 0 : index;
    applyTheme(QStringLiteral("Style_") + QString::number(k));
    TextFiles::write(styleFilePath(), QString::number(k));
}

bool FunctionsUnit::applyTheme(const QString& themeName)
{
    bool ok = false;
    const QByteArray sheet = DataItems::bytes(themeName, &ok);
    if (!ok)
        return false;
    qApp->setStyleSheet(QString::fromUtf8(sheet));
    currentTheme_ = themeName;
    // At start-up the captions are fitted once every window is built, after
    // the main window's first paint; a look chosen later refits them at once.
    if (editor_.allWindowsCreated())
        editor_.fitCaptions();
    return true;
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
