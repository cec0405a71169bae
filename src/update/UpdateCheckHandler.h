#pragma once

#include "update/UpdateServer.h"
#include "update/UpdateSetup.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class Dialogs;
class FunctionsUnit;
class Log;
class QNetworkAccessManager;
class Shell;
class UpdateView;

// The web version check once per start, the Info menu and the new-version
// window's handlers, and the hand-over to the updater.
class UpdateCheckHandler : public QObject {
    Q_OBJECT
public:
    UpdateCheckHandler(FunctionsUnit& functions, Log& log, Dialogs& dialogs, Shell& shell);
    ~UpdateCheckHandler() override;
    void setView(UpdateView* view) { view_ = view; }

    // The one-shot check a second after start.
    QTimer TimerCheckWebVersion;

    // Start-up: find the server and start the one-shot check timer.
    void prepare();
    void TimerCheckWebVersionTimer();

    void menuInfoClick();
    void menuSupportClick();
    void menuUpdateNowClick();
    // checked: the item's check mark after the click.
    void menuShowUpdateMsgClick(bool checked);
    void menuTroubleshootingClick();

    // The new-version window's controls.
    void btnLaunchUpdateClick();
    void btnSeeWhatsNewClick();
    void CheckBox1Click(bool checked);

    // What the check knows of this program and system; tests change it.
    UpdateSetup& setup() { return setup_; }
    const UpdateServer& server() const { return server_; }

private:
    void updateProcedure();
    void openPage(const QString& path);
    void writeShowMessageFile(bool show);
    QNetworkAccessManager& network();

    FunctionsUnit& functions_;
    Log& log_;
    Dialogs& dialogs_;
    Shell& shell_;
    UpdateView* view_ = nullptr;
    UpdateServer server_;
    UpdateSetup setup_;
    std::unique_ptr<QNetworkAccessManager> network_;
    // Set while a request waits: the windows stay live meanwhile, and a second
    // "Update Now" must not start a second procedure inside the first.
    bool busy_ = false;
};
