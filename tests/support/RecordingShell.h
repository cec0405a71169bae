#pragma once

#include "seams/Shell.h"

#include <QFile>
#include <QStringList>

// Records what the editor asked the desktop to do; succeeds unless told not to.
class RecordingShell final : public Shell {
public:
    bool openFolder(const QString& path) override
    {
        calls << QStringLiteral("openFolder ") + path;
        return succeed;
    }
    bool openUrl(const QString& url) override
    {
        calls << QStringLiteral("openUrl ") + url;
        return succeed;
    }
    bool startProgram(const QString& program, const QStringList& arguments, bool elevated) override
    {
        calls << QStringLiteral("startProgram%1 %2 %3")
                     .arg(elevated ? QStringLiteral(" (elevated)") : QString(), program,
                          arguments.join(QLatin1Char(' ')));
        return succeed;
    }

    // The file goes (this trash keeps nothing) unless there is no trash.
    bool moveToTrash(const QString& path) override
    {
        calls << QStringLiteral("moveToTrash ") + path;
        return hasTrash && QFile::remove(path);
    }

    QStringList calls;
    bool succeed = true;
    bool hasTrash = true;
};
