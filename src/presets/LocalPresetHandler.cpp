#include "presets/LocalPresetHandler.h"

#include "app/FunctionsUnit.h"
#include "editor/EffectView.h"
#include "editor/PedalSetupHandler.h"
#include "files/RegularFile.h"
#include "presets/BackupHandler.h"
#include "presets/PresetFile.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/Communication.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {
const QString kFilter = QStringLiteral("Preset files (*.txt)");
const QString kSuffix = QStringLiteral("txt");
const QString kLoadBanner = Log::banner(QStringLiteral("LOAD LOCAL PRESET"));

void logValues(Log& log, const QStringList& texts)
{
    const QStringList& labels = PresetFile::logLabels();
    for (int k = 0; k < labels.size(); ++k)
        log.logLine(labels.at(k) + texts.value(k));
}

PresetFile::Values toValues(const std::array<uint32_t, kParameterCount>& values)
{
    PresetFile::Values out{};
    std::copy(values.begin(), values.end(), out.begin());
    return out;
}
} // namespace

static_assert(PresetFile::kValueCount == kParameterCount, "a preset holds every parameter of the model");

LocalPresetHandler::LocalPresetHandler(PedalSession& session, Communication& comm, BackupHandler& backups,
                                       PedalSetupHandler& setup, FunctionsUnit& functions, Log& log,
                                       Dialogs& dialogs)
    : session_(session), comm_(comm), backups_(backups), setup_(setup), functions_(functions), log_(log),
      dialogs_(dialogs)
{
}

QString LocalPresetHandler::presetFolder() const
{
    return QDir(functions_.filesFolder()).filePath(QStringLiteral("Preset"));
}

QString LocalPresetHandler::replaceQuestion(const QString& path)
{
    return QFileInfo(path).fileName() + QStringLiteral(" already exists. Do you want to replace it?");
}

QString LocalPresetHandler::withPresetSuffix(const QString& fileName)
{
    return fileName.endsWith(QLatin1String(".txt"), Qt::CaseSensitive) ? fileName : fileName + QStringLiteral(".txt");
}

bool LocalPresetHandler::makePresetFolder()
{
    const QString folder = presetFolder();
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        return true;
    // The dialog still opens (in its own default folder); the user may pick another.
    log_.logLine(QStringLiteral("cannot create the preset folder ") + QDir::toNativeSeparators(folder));
    return false;
}

std::optional<PresetFile::Values> LocalPresetHandler::takeCurrentValues()
{
    // The file takes the pedal's current values; it is saved whatever the
    // request finds, as long as the editor has read the pedal's values once.
    comm_.requestStatus();

    Log& log = log_;
    std::array<uint32_t, kParameterCount> known{};
    if (!backups_.valuesToKeep(known)) {
        log.logLine(QStringLiteral("no preset saved: the pedal's values have not been read yet"));
        dialogs_.information(nullptr, QStringLiteral("The pedal's values have not been read yet, so there is no "
                                                     "preset to save. Check that the pedal answers (Request), then "
                                                     "save again."));
        return std::nullopt;
    }
    log.logLine(Log::banner(QStringLiteral("SAVE LOCAL PRESET")));
    const PresetFile::Values values = toValues(session_.parameters().values());
    logValues(log, PresetFile::valueTexts(values));
    return values;
}

Outcome LocalPresetHandler::writePresetFile(const QString& path, const PresetFile::Values& values)
{
    // The dialog asked nothing about the name it returned: ".txt" may have been
    // added since, and the question has to name the file that is written.
    if (QFileInfo::exists(path) && !RegularFile::existsButIsNotRegular(path)
        && !dialogs_.askYesNo(nullptr, replaceQuestion(path)))
        return Outcome::Cancelled;
    QString error;
    if (RegularFile::write(path, PresetFile::bytes(values), &error)) {
        dialogs_.information(nullptr, QStringLiteral("File saved successfully: ") + QDir::toNativeSeparators(path));
        return Outcome::Done;
    }
    dialogs_.information(nullptr, QStringLiteral("Error saving file: ") + error);
    return Outcome::WriteFailed;
}

Outcome LocalPresetHandler::menuSavePresetClick()
{
    const std::optional<PresetFile::Values> values = takeCurrentValues();
    if (!values)
        return Outcome::Refused;
    const bool haveFolder = makePresetFolder();
    const QString chosen = dialogs_.saveFile(nullptr, QStringLiteral("Save Preset File"),
                                             haveFolder ? presetFolder() : QString(), kFilter, kSuffix);
    if (chosen.isEmpty())
        return Outcome::Cancelled;
    return writePresetFile(withPresetSuffix(chosen), *values);
}

Outcome LocalPresetHandler::menuLoadPresetClick()
{
    const bool haveFolder = makePresetFolder();
    const QString path = dialogs_.openFile(nullptr, QStringLiteral("Open Preset File"),
                                           haveFolder ? presetFolder() : QString(), kFilter);
    if (path.isEmpty()) {
        // Nothing chosen: no value changes, but the window's controls are put
        // back onto the values the editor holds, as after any load.
        log_.logLine(kLoadBanner);
        logValues(log_, QStringList());
        if (effectView_)
            effectView_->showParameterValues(true);
        return Outcome::Cancelled;
    }
    return loadPresetFile(path);
}

Outcome LocalPresetHandler::loadPresetFile(const QString& path)
{
    Log& log = log_;
    const PresetFile::Parsed parsed = PresetFile::read(path);
    const QString& error = parsed.error;
    if (!parsed.ok) {
        // A file that is not a whole preset changes nothing, in the editor or in the pedal.
        dialogs_.information(nullptr, QStringLiteral("Error loading file: ") + error);
        log.logLine(kLoadBanner);
        log.logLine(QStringLiteral("preset not loaded: ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                    + error);
        return Outcome::Refused;
    }

    dialogs_.information(nullptr, QStringLiteral("File loaded successfully: ") + QDir::toNativeSeparators(path));
    log.logLine(kLoadBanner);
    logValues(log, parsed.lines);
    std::array<uint32_t, kParameterCount> values{};
    std::copy(parsed.values.begin(), parsed.values.end(), values.begin());
    backups_.backUpBefore(QStringLiteral("the preset load"));
    // Every control whose state changes sends its value to the pedal at once.
    return setup_.loadValues(values);
}
