#include "firmware/FirmwareUpgrade.h"

#include "ui_FirmwareUpgrade.h"

#include <QCloseEvent>
#include <QShortcut>

#include <algorithm>
#include <initializer_list>

namespace {
constexpr int kClientWidth = 196;
constexpr int kClientHeight = 140;
constexpr double kTextSize = 11.0; // 1/96 inch, as in the main window
} // namespace

FirmwareUpgrade::FirmwareUpgrade(FirmwareHandler& handler)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::formFirmwareUpgrade), handler_(handler)
{
    ui->setupUi(this);
    setFixedSize(kClientWidth, kClientHeight);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(kTextSize * 0.75);
    for (QWidget* w : findChildren<QWidget*>())
        w->setFont(arial);
    ui->cmbFirmwareChoose->addItems(FirmwareHandler::images());

    connect(ui->cmbFirmwareChoose, &QComboBox::currentIndexChanged, this, &FirmwareUpgrade::cmbFirmwareChooseChange);
    connect(ui->btnUpgradeFirmware, &QPushButton::clicked, this, &FirmwareUpgrade::btnUpgradeFirmwareClick);
    // The whole window's, whichever control has the focus (the list has it
    // when the window opens, and would take the key for itself).
    auto* fromFile = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this);
    fromFile->setContext(Qt::WindowShortcut);
    connect(fromFile, &QShortcut::activated, this, [this] { handler_.upgradeFromFile(); });
    connect(&handler_, &FirmwareHandler::stateChanged, this, &FirmwareUpgrade::showState);
    showState(handler_.state());
}

FirmwareUpgrade::~FirmwareUpgrade()
{
    delete ui;
}

void FirmwareUpgrade::showState(FirmwareHandler::State state)
{
    using S = FirmwareHandler::State;
    struct Row {
        QWidget* control;
        std::initializer_list<S> states;
    };
    // An upgrade starts only while the bootloader waits for one, and one at a time.
    for (const Row& row : {Row{ui->cmbFirmwareChoose, {S::BootloaderIdle}},
                           Row{ui->btnUpgradeFirmware, {S::BootloaderIdle}}})
        row.control->setEnabled(std::find(row.states.begin(), row.states.end(), state) != row.states.end());
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

void FirmwareUpgrade::showProgressMaximum(int maximum)
{
    ui->ProgressBar1->setMaximum(maximum);
}

void FirmwareUpgrade::showProgress(int value)
{
    ui->ProgressBar1->setValue(value);
}

void FirmwareUpgrade::showProgressText(const QString& text)
{
    ui->lblProgress->setText(text);
}

void FirmwareUpgrade::hideUpgradeWindow()
{
    hide();
}

void FirmwareUpgrade::cmbFirmwareChooseChange()
{
    handler_.firmwareChosen(ui->cmbFirmwareChoose->currentText());
}

void FirmwareUpgrade::btnUpgradeFirmwareClick()
{
    handler_.btnUpgradeFirmwareClick();
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
    if (!handler_.formCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    handler_.restart();
}
