#pragma once

#include "session/Outcome.h"

class Clock;
class Dialogs;
class Log;
class PedalSession;

// The upload of the tuning data table of tracking filters (the table itself is
// TrackingMessages::tuningTable).
class Tunings {
public:
    Tunings(PedalSession& session, Log& log, Dialogs& dialogs, Clock& clock);

    Outcome menuUploadTuningsDataClick();

private:
    PedalSession& session_;
    Log& log_;
    Dialogs& dialogs_;
    Clock& clock_;
};
