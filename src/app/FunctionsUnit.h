#pragma once

#include <QDateTime>
#include <QString>

class Dialogs;
class Log;
class Places;
class Shell;

// The files folder under Documents, the one-word settings files, the log file
// and the editor version. (The looks are the windows' own: Looks.)
class FunctionsUnit {
public:
    // The settings files hold one word and the look file one number; a file
    // larger than this holds neither, and is not read.
    static constexpr qint64 kLargestSettingFile = 4096;

    FunctionsUnit(Places& places, Dialogs& dialogs, Log& log, Shell& shell);

    // Documents/TERVO and Documents/TERVO/Quarnel MK3.
    QString tervoFolder() const;
    QString filesFolder() const;
    QString filesPath(const QString& fileName) const;
    QString styleFilePath() const;
    QString logFilePath() const;

    void createFilesFolder();
    QString readSettingFile(const QString& fileName, const QString& defaultText);
    // ShowMessageVersionAtStartup.txt and ReportUSBErrors.txt into the two
    // switches below, and log.txt made when it is missing.
    void readSettingsAtStart();
    void trimLogFile();

    // The item's new check mark, kept in ReportUSBErrors.txt when that exists.
    void menuReportUSBErrorsClick(bool checked);
    void menuOpenFilesFolderClick();

    static QString editorVersion();

    // The block appended to log.txt when the main window closes: LF, LF, the
    // close time, LF and the console text. False (with the reason) when the
    // file cannot be written.
    bool appendCloseBlock(const QDateTime& now, const QString& consoleText, QString* error);

    bool showUpdateMessage = true;
    bool reportUSBErrors = false;

private:
    Places& places_;
    Dialogs& dialogs_;
    Log& log_;
    Shell& shell_;
};
