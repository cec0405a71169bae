#include "firmware/FirmwareUpgrade.h"

#include "firmware/FirmwareUpgradeUnit.h"
#include "ui_FirmwareUpgrade.h"

#include <QCloseEvent>
#include <QShortcut>

namespace {
constexpr int kClientWidth = 196;
constexpr int kClientHeight = 140;
constexpr double kTextSize = 11.0; // 1/96 inch, as in the main window
} // namespace

FirmwareUpgrade::FirmwareUpgrade(FirmwareUpgradeUnit& unit)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::formFirmwareUpgrade), unit_(unit)
{
    ui->setupUi(this);
    setFixedSize(kClientWidth, kClientHeight);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(kTextSize * 0.75);
    for (QWidget* w : findChildren<QWidget*>())
        w->setFont(arial);
    OpenDialog1 = {QString(), QString(), QString(), {}};

    connect(ui->cmbFirmwareChoose, &QComboBox::currentIndexChanged, this, &FirmwareUpgrade::cmbFirmwareChooseChange);
    connect(ui->btnUpgradeFirmware, &QPushButton::clicked, this, &FirmwareUpgrade::btnUpgradeFirmwareClick);
    // The whole window's, whichever control has the focus (the list has it
    // when the window opens, and would take the key for itself).
    auto* fromFile = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this);
    fromFile->setContext(Qt::WindowShortcut);
    connect(fromFile, &QShortcut::activated, this, [this] { unit_.upgradeFromFile(); });
}

FirmwareUpgrade::~FirmwareUpgrade()
{
    delete ui;
}

QComboBox* FirmwareUpgrade::cmbFirmwareChoose() const
{
    return ui->cmbFirmwareChoose;
}

QPushButton* FirmwareUpgrade::btnUpgradeFirmware() const
{
    return ui->btnUpgradeFirmware;
}

QProgressBar* FirmwareUpgrade::ProgressBar1() const
{
    return ui->ProgressBar1;
}

QLabel* FirmwareUpgrade::lblProgress() const
{
    return ui->lblProgress;
}

void FirmwareUpgrade::cmbFirmwareChooseChange()
{
    unit_.firmwareChosen(ui->cmbFirmwareChoose->currentText());
}

void FirmwareUpgrade::btnUpgradeFirmwareClick()
{
    unit_.btnUpgradeFirmwareClick();
}

void FirmwareUpgrade::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The newest image is the last entry; choosing it again still counts as a choice.
    const int last = ui->cmbFirmwareChoose->count() - 1;
    if (ui->cmbFirmwareChoose->currentIndex() == last)
        cmbFirmwareChooseChange();
    else
        ui->cmbFirmwareChoose->setCurrentIndex(last);
}

void FirmwareUpgrade::closeEvent(QCloseEvent* event)
{
    if (!unit_.formCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    unit_.restart();
}
