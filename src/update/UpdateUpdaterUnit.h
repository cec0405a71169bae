#pragma once

#include "update/UpdaterCheck.h"

#include <QWidget>

#include <memory>

class QNetworkAccessManager;

// The hidden window that holds the updater check's two requests (the
// updater's version and its download). Never shown.
class UpdateUpdaterUnit : public QWidget {
    Q_OBJECT
public:
    UpdateUpdaterUnit(Log& log, Dialogs& dialogs, Shell& shell);
    ~UpdateUpdaterUnit() override;

    UpdaterCheck::Outcome checkUpdater(const UpdateServer& server, const UpdateSetup& setup, QWidget* parent);

private:
    UpdaterCheck check_;
    std::unique_ptr<QNetworkAccessManager> network_;
};
