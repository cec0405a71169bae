#include "presets/LocalPresetHandler.h"

#include "session/PedalSession.h"
#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "editor/FXsettings.h"
#include "files/RegularFile.h"
#include "presets/BackupHandler.h"
#include "presets/PresetFile.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
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

LocalPresetHandler::LocalPresetHandler(Editor& editor) : editor_(editor) {}

QString LocalPresetHandler::presetFolder() const
{
    return QDir(editor_.functions->filesFolder()).filePath(QStringLiteral("Preset"));
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
    editor_.log().logLine(QStringLiteral("cannot create the preset folder ") + QDir::toNativeSeparators(folder));
    return false;
}

std::optional<PresetFile::Values> LocalPresetHandler::takeCurrentValues()
{
    // The file takes the pedal's current values; it is saved whatever the
    // request finds, as long as the editor has read the pedal's values once.
    editor_.comm->requestStatus();

    Log& log = editor_.log();
    std::array<uint32_t, kParameterCount> known{};
    if (!editor_.formFXsettings->valuesToKeep(known)) {
        log.logLine(QStringLiteral("no preset saved: the pedal's values have not been read yet"));
        editor_.dialogs().information(editor_.formMain,
                                      QStringLiteral("The pedal's values have not been read yet, so there is no "
                                                     "preset to save. Check that the pedal answers (Request), then "
                                                     "save again."));
        return std::nullopt;
    }
    log.logLine(Log::banner(QStringLiteral("SAVE LOCAL PRESET")));
    const PresetFile::Values values = toValues(editor_.session->parameters().values());
    logValues(log, PresetFile::valueTexts(values));
    return values;
}

void LocalPresetHandler::writePresetFile(const QString& path, const PresetFile::Values& values)
{
    // The dialog asked nothing about the name it returned: ".txt" may have been
    // added since, and the question has to name the file that is written.
    if (QFileInfo::exists(path) && !RegularFile::existsButIsNotRegular(path)
        && !editor_.dialogs().askYesNo(editor_.formMain, replaceQuestion(path)))
        return;
    QString error;
    if (RegularFile::write(path, PresetFile::bytes(values), &error))
        editor_.dialogs().information(editor_.formMain, QStringLiteral("File saved successfully: ") + QDir::toNativeSeparators(path));
    else
        editor_.dialogs().information(editor_.formMain, QStringLiteral("Error saving file: ") + error);
}

void LocalPresetHandler::menuSavePresetClick()
{
    const std::optional<PresetFile::Values> values = takeCurrentValues();
    if (!values)
        return;
    const bool haveFolder = makePresetFolder();
    const QString chosen = editor_.dialogs().saveFile(editor_.formMain, QStringLiteral("Save Preset File"),
                                                      haveFolder ? presetFolder() : QString(), kFilter, kSuffix);
    if (chosen.isEmpty())
        return;
    writePresetFile(withPresetSuffix(chosen), *values);
}

void LocalPresetHandler::menuLoadPresetClick()
{
    const bool haveFolder = makePresetFolder();
    const QString path = editor_.dialogs().openFile(editor_.formMain, QStringLiteral("Open Preset File"),
                                                    haveFolder ? presetFolder() : QString(), kFilter);
    if (path.isEmpty()) {
        // Nothing chosen: no value changes, but the window's controls are put
        // back onto the values the editor holds, as after any load.
        Log& log = editor_.log();
        log.logLine(kLoadBanner);
        logValues(log, QStringList());
        editor_.formFXsettings->showParameterValues(true);
        return;
    }
    loadPresetFile(path);
}

void LocalPresetHandler::loadPresetFile(const QString& path)
{
    Log& log = editor_.log();
    FXsettings& fx = *editor_.formFXsettings;
    const PresetFile::Parsed parsed = PresetFile::read(path);
    const QString& error = parsed.error;
    if (!parsed.ok) {
        // A file that is not a whole preset changes nothing, in the editor or in the pedal.
        editor_.dialogs().information(editor_.formMain, QStringLiteral("Error loading file: ") + error);
        log.logLine(kLoadBanner);
        log.logLine(QStringLiteral("preset not loaded: ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                    + error);
        return;
    }

    editor_.dialogs().information(editor_.formMain, QStringLiteral("File loaded successfully: ") + QDir::toNativeSeparators(path));
    log.logLine(kLoadBanner);
    logValues(log, parsed.lines);
    std::array<uint32_t, kParameterCount> values{};
    std::copy(parsed.values.begin(), parsed.values.end(), values.begin());
    editor_.backups->backUpBefore(QStringLiteral("the preset load"));
    // Every control whose state changes sends its value to the pedal at once.
    fx.loadPresetValues(values);
}
