#pragma once

#include "session/Outcome.h"

class Communication;
class Dialogs;
class Log;
class PedalSession;

// Stores the ten assignable values permanently in the pedal.
class SaveParametersHandler {
public:
    SaveParametersHandler(PedalSession& session, Communication& comm, Log& log, Dialogs& dialogs);

    Outcome btnSaveParametersClick();
    void btnSaveParametersInfoClick();

private:
    PedalSession& session_;
    Communication& comm_;
    Log& log_;
    Dialogs& dialogs_;
};
