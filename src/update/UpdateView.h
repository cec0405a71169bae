#pragma once

#include "update/UpdaterCheck.h"

#include <QString>

class UpdateServer;
struct UpdateSetup;

// What the version check shows and asks of the windows.
class UpdateView {
public:
    virtual ~UpdateView() = default;
    // The Info menu's items: a newer version named and "Update Now" offered,
    // or none.
    virtual void showNewVersion(const QString& newest) = 0;
    virtual void showNoUpdate() = 0;
    // The window that tells of a newer editor.
    virtual void showNewVersionMessage(const QString& editorVersion, const QString& newest) = 0;
    // The check mark of "Show Update Message".
    virtual void showUpdateMessageChoice(bool show) = 0;
    // The updater beside the editor brought up to date (its requests are held
    // by the hidden updater window).
    virtual UpdaterCheck::Outcome checkUpdater(const UpdateServer& server, const UpdateSetup& setup) = 0;
    // The updater replaces the editor's files: the editor makes way for it.
    virtual void closeForUpdater() = 0;
};
