#include "presets/BackupHandler.h"

#include "app/FunctionsUnit.h"
#include "editor/EffectView.h"
#include "presets/BackupFiles.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"

#include <QDateTime>
#include <QDir>

BackupHandler::BackupHandler(PedalSession& session, FunctionsUnit& functions, Log& log, Dialogs& dialogs)
    : session_(session), functions_(functions), log_(log), dialogs_(dialogs)
{
}

bool BackupHandler::valuesToKeep(std::array<uint32_t, kParameterCount>& out) const
{
    if (effectView_)
        return effectView_->valuesToKeep(out);
    // Without the window nobody edits: the values are the pedal's once read.
    if (!session_.lastStatus() || session_.updatingFromPedal())
        return false;
    out = session_.parameters().values();
    return true;
}

QString BackupHandler::folder() const
{
    return QDir(functions_.filesFolder()).filePath(QStringLiteral("Backups"));
}

QString BackupHandler::backUpBefore(const QString& action)
{
    Log& log = log_;
    std::array<uint32_t, kParameterCount> held{};
    if (!valuesToKeep(held)) {
        log.logLine(QStringLiteral("no backup before %1: the pedal's values have not been read yet").arg(action));
        return QString();
    }
    PresetFile::Values values{};
    std::copy(held.begin(), held.end(), values.begin());
    const BackupFiles::Saved saved = BackupFiles::save(folder(), values, QDateTime::currentDateTime());
    if (!saved.ok) {
        log.logLine(QStringLiteral("backup before %1 failed: %2").arg(action, saved.error));
        dialogs_.information(nullptr,
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
