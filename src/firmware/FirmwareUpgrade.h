#pragma once

#include "seams/FileDialogSettings.h"

#include <QWidget>

namespace Ui {
class formFirmwareUpgrade;
}
class FirmwareUpgradeUnit;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The firmware upgrade window: the list of images, the button, the progress
// bar. Its handlers forward to FirmwareUpgradeUnit, which does the work.
class FirmwareUpgrade : public QWidget {
    Q_OBJECT
public:
    explicit FirmwareUpgrade(FirmwareUpgradeUnit& unit);
    ~FirmwareUpgrade() override;

    Ui::formFirmwareUpgrade* ui;
    FileDialogSettings OpenDialog1;

    QComboBox* cmbFirmwareChoose() const;
    QPushButton* btnUpgradeFirmware() const;
    QProgressBar* ProgressBar1() const;
    QLabel* lblProgress() const;

    void cmbFirmwareChooseChange();
    void btnUpgradeFirmwareClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    FirmwareUpgradeUnit& unit_;
};
