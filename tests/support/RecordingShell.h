#pragma once

#include "seams/Shell.h"

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

    QStringList calls;
    bool succeed = true;
};
