#include "update/UpdateUpdaterUnit.h"

#include <QNetworkAccessManager>

UpdateUpdaterUnit::UpdateUpdaterUnit(Log& log, Dialogs& dialogs, Shell& shell) : check_(log, dialogs, shell)
{
    setObjectName(QStringLiteral("formUpdateUpdater"));
    setWindowTitle(QStringLiteral("UpdateUpdater"));
}

UpdateUpdaterUnit::~UpdateUpdaterUnit() = default;

UpdaterCheck::Outcome UpdateUpdaterUnit::checkUpdater(const UpdateServer& server, const UpdateSetup& setup,
                                                      QWidget* parent)
{
    if (!network_)
        network_ = std::make_unique<QNetworkAccessManager>();
    return check_.run(*network_, server, setup, parent);
}
