#pragma once

#include <QString>

class Dialogs;
class Log;
class QNetworkAccessManager;
class QWidget;
class Shell;
class UpdateServer;
struct UpdateSetup;

// Brings the updater program beside the editor up to date before the editor
// hands over to it: compares the local updater's file version with the
// server's and downloads a newer one.
class UpdaterCheck {
public:
    enum class Outcome {
        HandOver,  // an updater is there to hand over to
        Stop,      // nothing to hand over to; the editor keeps running
    };

    UpdaterCheck(Log& log, Dialogs& dialogs, Shell& shell);

    // parent: the window the boxes belong to.
    Outcome run(QNetworkAccessManager& network, const UpdateServer& server, const UpdateSetup& setup,
                QWidget* parent);

    // Said when an updater was downloaded but there is none beside the
    // editor to take it in: where the download is, and what to do with it.
    static QString noUpdaterText(const UpdateSetup& setup);

private:
    // True when a new updater was saved; a failure has been shown.
    bool downloadUpdater(QNetworkAccessManager& network, const UpdateServer& server, const UpdateSetup& setup,
                         QWidget* parent, bool* cancelled);

    Log& log_;
    Dialogs& dialogs_;
    Shell& shell_;
};
