#pragma once

class Clock;
class Dialogs;
class Places;
class Shell;

// The four seams besides the FTDI driver, handed to every window and unit that
// needs one. main gives the real ones; tests give doubles.
struct Services {
    Dialogs& dialogs;
    Clock& clock;
    Shell& shell;
    Places& places;
};
