#pragma once

#include "firmware/FirmwareHandler.h"
#include "firmware/FirmwareView.h"

#include <QWidget>

namespace Ui {
class formFirmwareUpgrade;
}
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The firmware upgrade window: the list of images, the button, the progress
// bar. Its controls forward to FirmwareHandler, which does the work and
// shows how far it is through UpgradeView.
class FirmwareUpgrade : public QWidget, public UpgradeView {
    Q_OBJECT
public:
    explicit FirmwareUpgrade(FirmwareHandler& handler);
    ~FirmwareUpgrade() override;

    Ui::formFirmwareUpgrade* ui;

    QComboBox* cmbFirmwareChoose() const;
    QPushButton* btnUpgradeFirmware() const;
    QProgressBar* ProgressBar1() const;
    QLabel* lblProgress() const;

    void cmbFirmwareChooseChange();
    void btnUpgradeFirmwareClick();

    // UpgradeView
    void showProgressMaximum(int maximum) override;
    void showProgress(int value) override;
    void showProgressText(const QString& text) override;
    void hideUpgradeWindow() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What can be clicked follows the procedure's state, from one table.
    void showState(FirmwareHandler::State state);

    FirmwareHandler& handler_;
};
