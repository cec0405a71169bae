#pragma once

#include <QString>
#include <QStringList>

// What the editor asks of the desktop: open a folder or a web page, start a
// program (with administrator rights where the platform asks for them), put a
// file into the trash.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool openFolder(const QString& path) = 0;
    virtual bool openUrl(const QString& url) = 0;
    virtual bool startProgram(const QString& program, const QStringList& arguments, bool elevated) = 0;
    // False, with the file left in place, where the system has no trash for it.
    virtual bool moveToTrash(const QString& path) = 0;
};
