#include "app/Editor.h"

#include "app/ControlText.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "app/Looks.h"
#include "app/PauseFeedback.h"
#include "console/ConsoleToolsHandler.h"
#include "console/MaintenanceHandler.h"
#include "console/PrintConsole.h"
#include "editor/FXsettings.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "firmware/FirmwareHandler.h"
#include "firmware/FirmwareUpgrade.h"
#include "link/FtdiDriver.h"
#include "presets/BackupHandler.h"
#include "presets/LocalPresetHandler.h"
#include "presets/PresetLibrary.h"
#include "presets/SaveParametersHandler.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/DeviceSettingsHandler.h"
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
    Log& log = log_;
    Dialogs& dialogs = services.dialogs;
    Clock& clock = services.clock;
    session = std::make_unique<PedalSession>(*driver_, clock, log);
    functions = std::make_unique<FunctionsUnit>(services.places, dialogs, log, services.shell);
    catalogue = std::make_unique<CatalogueHandler>(*session, log, dialogs);
    deviceSettings = std::make_unique<DeviceSettingsHandler>(*session, log);
    instrumentRange = std::make_unique<InstrumentRangeHandler>(*session, *functions, log, dialogs);
    comm = std::make_unique<Communication>(*session, *catalogue, *deviceSettings, *instrumentRange, log, dialogs);
    backups = std::make_unique<BackupHandler>(*functions, log, dialogs);
    effectUpload = std::make_unique<EffectUploadHandler>(*session, *catalogue, *comm, log, dialogs, clock);
    saveParameters = std::make_unique<SaveParametersHandler>(*session, *comm, log, dialogs);
    localPresets = std::make_unique<LocalPresetHandler>(*session, *comm, *backups, *functions, log, dialogs);
    tunings = std::make_unique<Tunings>(*session, log, dialogs, clock);
    maintenance = std::make_unique<MaintenanceHandler>(*session, *backups, log, dialogs, clock);
    consoleTools = std::make_unique<ConsoleToolsHandler>(*session, *maintenance, log, dialogs);
    firmware = std::make_unique<FirmwareHandler>(*session, *comm, *backups, log, dialogs, clock);
    updateCheck = std::make_unique<UpdateCheckHandler>(*functions, log, dialogs, services.shell);
    // At start-up the captions are fitted once every window is built, after
    // the main window's first paint; a look chosen later refits them at once.
    looks = std::make_unique<Looks>(*functions, log, [this] {
        if (allWindowsCreated())
            fitCaptions();
    });

    // The windows, in their order. The main window's start-up steps run before
    // any other window exists.
    formMain = new FormMain(*this);
    comm->setLinkView(formMain);
    catalogue->setView(formMain);
    deviceSettings->setView(formMain);
    instrumentRange->setView(formMain);
    updateCheck->setView(formMain);
    effectUpload->setStatusLine(formMain);
    firmware->setView(formMain);
    formMain->FormCreate();
    pauseFeedback_ = std::make_unique<PauseFeedback>(formMain);
    clock.setPauseObserver(pauseFeedback_.get());
    if (windows == Windows::All)
        createOtherWindows();
}

void Editor::createOtherWindows()
{
    if (allWindowsCreated())
        return;
    Log& log = log_;
    formFirmwareUpgrade = new FirmwareUpgrade(*firmware);
    formPrint = new PrintConsole();
    formPrint->setTools(consoleTools.get());
    formPrint->showMode(session->shownMode());
    QObject::connect(session.get(), &PedalSession::modeChanged, formPrint,
                     [this] { formPrint->showMode(session->shownMode()); });
    log_.attach(formPrint);
    formFXsettings = new FXsettings(*session, *catalogue, *backups, log, dialogs(), clock(), formMain, formPrint);
    comm->setEffectView(formFXsettings);
    catalogue->setEffectView(formFXsettings);
    backups->setEffectView(formFXsettings);
    localPresets->setEffectView(formFXsettings);
    firmware->setUpgradeView(formFirmwareUpgrade);
    formNoteTrackingFilter = new NoteTrackingFilter(*session, log);
    formNewVersionMsg = new NewVersionMsg(*updateCheck);
    formUpdateUpdater = new UpdateUpdaterUnit(log, dialogs(), shell());
    formPresetLibrary = new PresetLibrary(*session, *localPresets, *backups, *functions, log, dialogs(), shell());
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
    // Timers must not fire into half-destroyed units, and no handler may
    // show anything in a window that is gone.
    session->readTimer().stop();
    session->uploadWatchdog().stop();
    session->linkWatch().stop();
    session->deviceWatch().stop();
    session->pacedWriter().dropAll();
    updateCheck->TimerCheckWebVersion.stop();
    comm->setLinkView(nullptr);
    comm->setEffectView(nullptr);
    catalogue->setView(nullptr);
    catalogue->setEffectView(nullptr);
    deviceSettings->setView(nullptr);
    instrumentRange->setView(nullptr);
    updateCheck->setView(nullptr);
    effectUpload->setStatusLine(nullptr);
    backups->setEffectView(nullptr);
    localPresets->setEffectView(nullptr);
    firmware->setView(nullptr);
    firmware->setUpgradeView(nullptr);
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
