#include "app/Editor.h"

#include "app/ControlText.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "app/PauseFeedback.h"
#include "console/ConsoleToolsHandler.h"
#include "console/MaintenanceHandler.h"
#include "console/PrintConsole.h"
#include "editor/FXsettings.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/FirmwareUpgradeUnit.h"
#include "status/Communication.h"
#include "session/PedalSession.h"
#include "status/DeviceSettingsHandler.h"
#include "link/FtdiDriver.h"
#include "presets/BackupHandler.h"
#include "presets/LocalPresetHandler.h"
#include "presets/PresetLibrary.h"
#include "presets/SaveParametersHandler.h"
#include "tracking/InstrumentRangeHandler.h"
#include "tracking/NoteTrackingFilter.h"
#include "tracking/Tunings.h"
#include "update/NewVersionMsg.h"
#include "update/UpdateCheckHandler.h"
#include "update/UpdateUpdaterUnit.h"

void Editor::ConsoleLog::logLine(const QString& text)
{
    if (console_)
        console_->logLine(text);
    else
        early_.append(text);
}

void Editor::ConsoleLog::appendDirect(const QString& text)
{
    if (console_)
        console_->appendDirect(text);
    else
        early_.append(text);
}

void Editor::ConsoleLog::attach(Log* console)
{
    console_ = console;
    if (console_) {
        for (const QString& line : early_)
            console_->appendDirect(line);
    }
    early_.clear();
}

Editor::Editor(Services s, std::unique_ptr<FtdiDriver> driver, Windows windows)
    : driver_(std::move(driver)), services(s)
{
    session = std::make_unique<PedalSession>(*driver_, services.clock, log_);
    comm = std::make_unique<Communication>(*this);
    functions = std::make_unique<FunctionsUnit>(*this);
    catalogue = std::make_unique<CatalogueHandler>(*this);
    effectUpload = std::make_unique<EffectUploadHandler>(*this);
    deviceSettings = std::make_unique<DeviceSettingsHandler>(*this);
    instrumentRange = std::make_unique<InstrumentRangeHandler>(*this);
    saveParameters = std::make_unique<SaveParametersHandler>(*this);
    localPresets = std::make_unique<LocalPresetHandler>(*this);
    backups = std::make_unique<BackupHandler>(*this);
    tunings = std::make_unique<Tunings>(*this);
    maintenance = std::make_unique<MaintenanceHandler>(*this);
    consoleTools = std::make_unique<ConsoleToolsHandler>(*this);
    firmware = std::make_unique<FirmwareUpgradeUnit>(*this);
    updateCheck = std::make_unique<UpdateCheckHandler>(*this);

    // The windows, in their order. The main window's start-up steps run before
    // any other window exists.
    formMain = new FormMain(*this);
    formMain->FormCreate();
    pauseFeedback_ = std::make_unique<PauseFeedback>(formMain);
    clock().setPauseObserver(pauseFeedback_.get());
    if (windows == Windows::All)
        createOtherWindows();
}

void Editor::createOtherWindows()
{
    if (allWindowsCreated())
        return;
    formFirmwareUpgrade = new FirmwareUpgrade(*this);
    formPrint = new PrintConsole();
    formPrint->setTools(consoleTools.get());
    log_.attach(formPrint);
    formFXsettings = new FXsettings(*this);
    formNoteTrackingFilter = new NoteTrackingFilter(*this);
    formNewVersionMsg = new NewVersionMsg(*updateCheck);
    formUpdateUpdater = new UpdateUpdaterUnit(log_, dialogs(), shell());
    formPresetLibrary = new PresetLibrary(*this);
    fitCaptions();
}

QList<QWidget*> Editor::windows() const
{
    QList<QWidget*> made;
    for (QWidget* window : std::initializer_list<QWidget*>{formMain, formFirmwareUpgrade, formPrint, formFXsettings,
                                                          formNoteTrackingFilter, formNewVersionMsg,
                                                          formUpdateUpdater, formPresetLibrary})
        if (window)
            made.append(window);
    return made;
}

void Editor::fitCaptions()
{
    for (QWidget* window : windows())
        ControlText::fitCaptions(window);
}

Editor::~Editor()
{
    if (clock().pauseObserver() == pauseFeedback_.get())
        clock().setPauseObserver(nullptr);
    pauseFeedback_.reset();
    // Timers must not fire into half-destroyed units.
    session->readTimer().stop();
    session->uploadWatchdog().stop();
    session->linkWatch().stop();
    session->deviceWatch().stop();
    session->pacedWriter().dropAll();
    if (formMain)
        formMain->TimerCheckWebVersion.stop();
    delete formPresetLibrary;
    formPresetLibrary = nullptr;
    delete formUpdateUpdater;
    delete formNewVersionMsg;
    delete formNoteTrackingFilter;
    delete formFXsettings;
    formFXsettings = nullptr;
    log_.attach(nullptr);
    delete formPrint;
    formPrint = nullptr;
    delete formFirmwareUpgrade;
    delete formMain;
    formMain = nullptr;
}
