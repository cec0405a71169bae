#pragma once

#include "RecordingLog.h"
#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "VirtualClock.h"

#include "app/FunctionsUnit.h"
#include "console/ConsoleToolsHandler.h"
#include "console/MaintenanceHandler.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "firmware/FirmwareHandler.h"
#include "presets/BackupHandler.h"
#include "presets/LocalPresetHandler.h"
#include "presets/SaveParametersHandler.h"
#include "seams/Places.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/DeviceSettingsHandler.h"
#include "tracking/InstrumentRangeHandler.h"
#include "tracking/Tunings.h"
#include "virtualpedal/VirtualPedal.h"

#include <QTemporaryDir>

// The session and the handlers on the virtual pedal, assembled as the editor
// assembles them but without a window: no view is given, as in a client on a
// terminal. Prepare the pedal, then call start() (the start-up's part of it).
struct HandlerRig {
    QTemporaryDir documents;
    VirtualClock clock;
    RecordingLog log;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    FixedPlaces places{documents.path()};
    VirtualPedal pedal{clock};
    PedalSession session{pedal, clock, log};
    FunctionsUnit functions{places, dialogs, log, shell};
    CatalogueHandler catalogue{session, log, dialogs};
    DeviceSettingsHandler deviceSettings{session, log};
    InstrumentRangeHandler instrumentRange{session, functions, log, dialogs};
    Communication comm{session, catalogue, deviceSettings, instrumentRange, log, dialogs};
    BackupHandler backups{functions, log, dialogs};
    EffectUploadHandler effectUpload{session, catalogue, comm, log, dialogs, clock};
    SaveParametersHandler saveParameters{session, comm, log, dialogs};
    LocalPresetHandler presets{session, comm, backups, functions, log, dialogs};
    Tunings tunings{session, log, dialogs, clock};
    MaintenanceHandler maintenance{session, backups, log, dialogs, clock};
    ConsoleToolsHandler consoleTools{session, maintenance, log, dialogs};
    FirmwareHandler firmware{session, comm, backups, log, dialogs, clock};

    void start()
    {
        functions.createFilesFolder();
        catalogue.fill();
        catalogue.computeCatalogueVersion();
        comm.findDevices();
    }

    // What the pedal received, each write on its own, since a mark.
    int writeMark() const { return static_cast<int>(pedal.writes().size()); }
    QList<QByteArray> writesSince(int mark) const
    {
        QList<QByteArray> out;
        for (const auto& w : pedal.writes().mid(mark))
            out.append(w.bytes);
        return out;
    }
};
