#pragma once

#include "seams/Log.h"
#include "seams/Services.h"

#include <QList>
#include <QStringList>

#include <memory>

class FtdiDriver;
class PedalSession;
class Communication;
class FunctionsUnit;
class Looks;
class CatalogueHandler;
class EffectUploadHandler;
class DeviceSettingsHandler;
class InstrumentRangeHandler;
class SaveParametersHandler;
class LocalPresetHandler;
class BackupHandler;
class Tunings;
class MaintenanceHandler;
class ConsoleToolsHandler;
class FirmwareHandler;
class UpdateCheckHandler;

class FormMain;
class FirmwareUpgrade;
class PrintConsole;
class FXsettings;
class NoteTrackingFilter;
class NewVersionMsg;
class UpdateUpdaterUnit;
class PauseFeedback;
class PresetLibrary;
class QWidget;

// The whole editor of one run: the session, the handlers of every subsystem
// and the seven windows, created once by main (and afresh by every test).
// Nothing of this lives in globals; each handler and window is given what it
// uses here, and the windows are handed to the handlers as their views.
class Editor {
public:
    // MainWindowFirst makes only the main window (and runs its start-up
    // steps); createOtherWindows() then makes the rest, so the program can show
    // its main window before building windows that are hidden at start.
    enum class Windows { All, MainWindowFirst };
    Editor(Services services, std::unique_ptr<FtdiDriver> driver, Windows windows = Windows::All);
    ~Editor();
    // The windows after the main one, in their order; once.
    void createOtherWindows();
    bool allWindowsCreated() const { return formPresetLibrary != nullptr; }
    // The windows made so far, in their order.
    QList<QWidget*> windows() const;
    // Captions that the look and the platform's fonts would cut get smaller
    // fonts, in every window made so far (see ControlText).
    void fitCaptions();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

private:
    // Lines logged before the console exists are kept and handed to it.
    class ConsoleLog final : public Log {
    public:
        void logLine(const QString& text) override;
        void appendDirect(const QString& text) override;
        void attach(Log* console);

    private:
        Log* console_ = nullptr;
        QStringList early_;
    };

    // Before everything that logs or reaches the pedal, and gone after it.
    ConsoleLog log_;
    std::unique_ptr<FtdiDriver> driver_;

public:
    Services services;
    Dialogs& dialogs() const { return services.dialogs; }
    Clock& clock() const { return services.clock; }
    Shell& shell() const { return services.shell; }
    Places& places() const { return services.places; }
    Log& log() { return log_; }
    FtdiDriver& driver() const { return *driver_; }
    PauseFeedback* pauseFeedback() const { return pauseFeedback_.get(); }

    // The one owner of the link to the pedal, then the handlers, each after
    // those it uses (and so gone before them).
    std::unique_ptr<PedalSession> session;
    std::unique_ptr<FunctionsUnit> functions;
    std::unique_ptr<CatalogueHandler> catalogue;
    std::unique_ptr<DeviceSettingsHandler> deviceSettings;
    std::unique_ptr<InstrumentRangeHandler> instrumentRange;
    std::unique_ptr<Communication> comm;
    std::unique_ptr<BackupHandler> backups;
    std::unique_ptr<EffectUploadHandler> effectUpload;
    std::unique_ptr<SaveParametersHandler> saveParameters;
    std::unique_ptr<LocalPresetHandler> localPresets;
    std::unique_ptr<Tunings> tunings;
    std::unique_ptr<MaintenanceHandler> maintenance;
    std::unique_ptr<ConsoleToolsHandler> consoleTools;
    std::unique_ptr<FirmwareHandler> firmware;
    std::unique_ptr<UpdateCheckHandler> updateCheck;
    std::unique_ptr<Looks> looks;

    // The seven windows, in the order they are created.
    FormMain* formMain = nullptr;
    FirmwareUpgrade* formFirmwareUpgrade = nullptr;
    PrintConsole* formPrint = nullptr;
    FXsettings* formFXsettings = nullptr;
    NoteTrackingFilter* formNoteTrackingFilter = nullptr;
    NewVersionMsg* formNewVersionMsg = nullptr;
    UpdateUpdaterUnit* formUpdateUpdater = nullptr;
    // Windows of our own, after the seven.
    PresetLibrary* formPresetLibrary = nullptr;

private:
    std::unique_ptr<PauseFeedback> pauseFeedback_;
};
