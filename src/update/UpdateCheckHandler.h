#pragma once

#include "update/UpdateServer.h"
#include "update/UpdateSetup.h"

#include <QString>

#include <memory>

class Editor;
class QNetworkAccessManager;

// The web version check once per start, the Info menu and the new-version
// window's handlers, and the hand-over to the updater.
class UpdateCheckHandler {
public:
    explicit UpdateCheckHandler(Editor& editor);
    ~UpdateCheckHandler();

    // Start-up: find the server and start the one-shot check timer.
    void prepare();
    void TimerCheckWebVersionTimer();

    void menuInfoClick();
    void menuSupportClick();
    void menuUpdateNowClick();
    void menuShowUpdateMsgClick();
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

    Editor& editor_;
    UpdateServer server_;
    UpdateSetup setup_;
    std::unique_ptr<QNetworkAccessManager> network_;
    // Set while a request waits: the windows stay live meanwhile, and a second
    // "Update Now" must not start a second procedure inside the first.
    bool busy_ = false;
};
