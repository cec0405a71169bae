#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class Editor;
class QAction;

// The files folder under Documents, the one-word settings files, the looks and
// the editor version.
class FunctionsUnit {
public:
    // Menu order of the looks; STYLE_7 exists but has no item.
    static const QStringList& lookNames();

    explicit FunctionsUnit(Editor& editor);

    // Documents/TERVO and Documents/TERVO/Quarnel MK3.
    QString tervoFolder() const;
    QString filesFolder() const;
    QString filesPath(const QString& fileName) const;
    QString styleFilePath() const;
    QString logFilePath() const;

    void createFilesFolder();
    QString readSettingFile(const QString& fileName, const QString& defaultText);
    void readSettingsAtStart();
    void trimLogFile();

    void menuReportUSBErrorsClick();
    void menuOpenFilesFolderClick();

    void buildLookMenu();
    void applySavedLook();
    void menuLookClickItem(int index);
    // Applies "Style_k" to every window; false (and nothing changed) when the
    // program carries no such look.
    bool applyTheme(const QString& themeName);
    QString currentTheme() const { return currentTheme_; }
    const QList<QAction*>& lookItems() const { return lookItems_; }

    static QString editorVersion();

    // The block appended to log.txt when the main window closes: LF, LF, the
    // close time, LF and the console text. False (with the reason) when the
    // file cannot be written.
    bool appendCloseBlock(const QDateTime& now, const QString& consoleText, QString* error);

    bool showUpdateMessage = true;
    bool reportUSBErrors = false;

private:
    Editor& editor_;
    QList<QAction*> lookItems_;
    QString currentTheme_;
};
