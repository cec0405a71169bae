#pragma once

#include "update/WebRequest.h"

#include <QString>

#include <functional>

// What the update procedure needs to know of the running program and the
// system it runs on. main's editor takes it from the system; tests put in
// their own folders, versions and time limits. Plain code.
struct UpdateSetup {
    QString editorVersion;  // "1.24"
    // Windows installs new versions through the updater program beside the
    // editor. Elsewhere the editor comes from a package or a disk image, its
    // folder is not the user's to write, and "Update Now" shows the
    // what's-new page instead.
    bool hasUpdater = false;
    QString programFolder;  // the folder of the running program
    QString programPath;    // the running program itself
    QString tempFolder;     // the user's temporary folder
    // The file version of a program, major and minor number joined by a point;
    // empty when the file has none.
    std::function<QString(const QString& path)> fileVersion;
    WebRequest::Limits pageLimits;
    WebRequest::Limits downloadLimits{10000, 10 * 60 * 1000, qint64(512) * 1024 * 1024};

    static UpdateSetup forThisProgram(const QString& editorVersion);

    // "Quarnel_Win_Updater.exe", "Quarnel_Win_Updater_Update.exe" in the
    // program's folder, "Quarnel_Editor_Update.exe" in the temporary folder.
    QString updaterPath() const;
    QString updaterDownloadPath() const;
    QString editorUpdatePath() const;
};

// The major and minor number of a program file's version resource (Windows);
// empty where files carry none.
QString programFileVersion(const QString& path);
