#pragma once

#include "seams/Shell.h"

// The desktop's own: the file manager, the browser, the program starter, the trash.
class DesktopShell final : public Shell {
public:
    bool openFolder(const QString& path) override;
    bool openUrl(const QString& url) override;
    bool startProgram(const QString& program, const QStringList& arguments, bool elevated) override;
    bool moveToTrash(const QString& path) override;
};
