#include "console/PrintConsole.h"

#include "app/ControlText.h"
#include "console/ConsoleToolsHandler.h"
#include "console/FilterCalculator.h"
#include "ui_PrintConsole.h"

#include <QScrollBar>

PrintConsole::PrintConsole(QWidget* parent) : QWidget(parent), ui(new Ui::formPrint)
{
    ui->setupUi(this);
    setFixedSize(508, 676);
    move(1075, 0);
    // The controls take the font the layout was drawn with, as in the main
    // window; the log keeps the platform's own.
    for (QWidget* w : findChildren<QWidget*>())
        if (w != ui->Memo1 && !ui->Memo1->isAncestorOf(w))
            w->setFont(ControlText::layoutFont());
    ui->Memo1->setMaximumBlockCount(kMaxViewLines);
    ui->cmbNotePicker->addItems(FilterCalculator::noteNames());
    ui->cmbNotePicker->setCurrentIndex(0);

    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    connect(&flushTimer_, &QTimer::timeout, this, &PrintConsole::flush);

    connect(ui->btnClear, &QPushButton::clicked, this, &PrintConsole::btnClearClick);
    connect(ui->btnScrollTop, &QPushButton::clicked, this, &PrintConsole::btnScrollTopClick);
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &PrintConsole::CheckBox1Click);
    connect(ui->btnEraseEeprom, &QPushButton::clicked, this, &PrintConsole::btnEraseEepromClick);
    connect(ui->btnReadEEPROM, &QPushButton::clicked, this, &PrintConsole::btnReadEEPROMClick);
    connect(ui->btnSend, &QPushButton::clicked, this, &PrintConsole::btnSendClick);
    connect(ui->cmbNotePicker, &QComboBox::currentIndexChanged, this, &PrintConsole::cmbNotePickerChange);
    connect(ui->edtQ, &QLineEdit::textEdited, this, &PrintConsole::edtQChange);
    connect(ui->edtBoost, &QLineEdit::textEdited, this, &PrintConsole::edtBoostChange);
    connect(ui->edtQ, &QLineEdit::editingFinished, this, [this] {
        if (tools_)
            tools_->edtQDone(ui->edtQ->text());
    });
    connect(ui->edtBoost, &QLineEdit::editingFinished, this, [this] {
        if (tools_)
            tools_->edtBoostDone(ui->edtBoost->text());
    });
    connect(ui->btnGetNoteFrequency, &QPushButton::clicked, this, &PrintConsole::btnGetNoteFrequencyClick);

    autoScroll_ = true;
    ui->cmbI2Caddr->setCurrentIndex(0);
}

PrintConsole::~PrintConsole()
{
    delete ui;
}

void PrintConsole::logLine(const QString& text)
{
    append(text, true);
}

void PrintConsole::appendDirect(const QString& text)
{
    append(text, false);
}

void PrintConsole::append(const QString& text, bool scroll)
{
    kept_.append(text);
    if (!isVisible()) {
        // A hidden view is filled from the kept log when it is shown: a run
        // with the console closed keeps no document of tens of thousands of
        // lines that nobody sees.
        viewStale_ = true;
        return;
    }
    pending_.append(text);
    pendingScroll_ = pendingScroll_ || (scroll && autoScroll_);
    if (!flushTimer_.isActive())
        flushTimer_.start();
}

void PrintConsole::flush()
{
    flushTimer_.stop();
    if (pending_.isEmpty())
        return;
    QScrollBar* bar = ui->Memo1->verticalScrollBar();
    const int keep = bar->value();
    // One insertion for the whole batch: far cheaper than a block per line.
    ui->Memo1->appendPlainText(pending_.join(QLatin1Char('\n')));
    pending_.clear();
    if (pendingScroll_)
        bar->setValue(bar->maximum());
    else
        bar->setValue(keep);
    pendingScroll_ = false;
}

void PrintConsole::showEvent(QShowEvent* event)
{
    if (viewStale_) {
        viewStale_ = false;
        pending_.clear();
        pendingScroll_ = false;
        ui->Memo1->setPlainText(kept_.lastLines(kMaxViewLines).join(QLatin1Char('\n')));
        ui->Memo1->verticalScrollBar()->setValue(autoScroll_ ? ui->Memo1->verticalScrollBar()->maximum() : 0);
    }
    flush();
    QWidget::showEvent(event);
}

void PrintConsole::btnClearClick()
{
    kept_.clear();
    pending_.clear();
    viewStale_ = false;
    ui->Memo1->clear();
}

void PrintConsole::btnScrollTopClick()
{
    flush();
    ui->Memo1->verticalScrollBar()->setValue(0);
}

void PrintConsole::CheckBox1Click()
{
    autoScroll_ = ui->CheckBox1->isChecked();
}

void PrintConsole::showMode(SessionMode mode)
{
    using M = SessionMode;
    // The memory's messages go while the firmware answers, even one too old;
    // the raw parameter message as the effect window's do.
    constexpr ModeSet kMemory{M::Linked, M::FirmwareTooOld, M::AlgorithmTooOld};
    constexpr ModeSet kParameter{M::Linked, M::AlgorithmTooOld};
    ui->btnEraseEeprom->setEnabled(kMemory.contains(mode));
    ui->btnReadEEPROM->setEnabled(kMemory.contains(mode));
    ui->btnSend->setEnabled(kParameter.contains(mode));
}

void PrintConsole::btnEraseEepromClick()
{
    if (tools_)
        tools_->btnEraseEepromClick(ui->cmbI2Caddr->currentText());
}

void PrintConsole::btnReadEEPROMClick()
{
    if (tools_)
        tools_->btnReadEEPROMClick(ui->cmbI2Caddr->currentText());
}

void PrintConsole::btnSendClick()
{
    if (tools_)
        tools_->btnSendClick(ui->edtAddress->text(), ui->edtData->text());
}

void PrintConsole::cmbNotePickerChange()
{
    if (tools_)
        tools_->cmbNotePickerChange(ui->cmbNotePicker->currentIndex());
}

void PrintConsole::edtQChange()
{
    if (tools_)
        tools_->edtQChange(ui->edtQ->text());
}

void PrintConsole::edtBoostChange()
{
    if (tools_)
        tools_->edtBoostChange(ui->edtBoost->text());
}

void PrintConsole::btnGetNoteFrequencyClick()
{
    if (tools_)
        tools_->btnGetNoteFrequencyClick();
}
