#include "presets/BackupHandler.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "editor/FXsettings.h"
#include "presets/BackupFiles.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"

#include <QDateTime>
#include <QDir>

BackupHandler::BackupHandler(Editor& editor) : editor_(editor) {}

QString BackupHandler::folder() const
{
    return QDir(editor_.functions->filesFolder()).filePath(QStringLiteral("Backups"));
}

QString BackupHandler::backUpBefore(const QString& action)
{
    Log& log = editor_.log();
    std::array<uint32_t, kParameterCount> held{};
    if (!editor_.formFXsettings || !editor_.formFXsettings->valuesToKeep(held)) {
        log.logLine(QStringLiteral("no backup before %1: the pedal's values have not been read yet").arg(action));
        return QString();
    }
    PresetFile::Values values{};
    std::copy(held.begin(), held.end(), values.begin());
    const BackupFiles::Saved saved = BackupFiles::save(folder(), values, QDateTime::currentDateTime());
    if (!saved.ok) {
        log.logLine(QStringLiteral("backup before %1 failed: %2").arg(action, saved.error));
        editor_.dialogs().information(editor_.formMain,
                                      QStringLiteral("The pedal's values could not be backed up before %1: %2")
                                          .arg(action, saved.error));
        return QString();
    }
    log.logLine(QStringLiteral("backup before %1 saved: %2").arg(action, QDir::toNativeSeparators(saved.path)));
    if (saved.removed > 0)
        log.logLine(QStringLiteral("%1 older backups removed, the newest %2 kept")
                        .arg(saved.removed)
                        .arg(BackupFiles::kKept));
    return saved.path;
}
