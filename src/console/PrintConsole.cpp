#include "console/PrintConsole.h"

#include "console/ConsoleTools.h"
#include "console/FilterCalculator.h"
#include "ui_PrintConsole.h"

#include <QScrollBar>

PrintConsole::PrintConsole(QWidget* parent) : QWidget(parent), ui(new Ui::formPrint)
{
    ui->setupUi(this);
    setFixedSize(508, 676);
    move(1075, 0);
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
            tools_->edtQDone();
    });
    connect(ui->edtBoost, &QLineEdit::editingFinished, this, [this] {
        if (tools_)
            tools_->edtBoostDone();
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
    lines_.append(text);
    keptChars_ += text.size() + 2;
    if (keptChars_ > maxKeptChars_)
        trimKept();
    pending_.append(text);
    pendingScroll_ = pendingScroll_ || (scroll && autoScroll_);
    if (!flushTimer_.isActive())
        flushTimer_.start();
}

void PrintConsole::trimKept()
{
    // Drop the oldest tenth at once so that trimming stays rare.
    if (droppedLines_ > 0) {
        keptChars_ -= lines_.constFirst().size() + 2; // the previous marker
        lines_.removeFirst();
    }
    qsizetype drop = 0;
    while (drop < lines_.size() - 1 && keptChars_ > maxKeptChars_ / 10 * 9) {
        keptChars_ -= lines_.at(drop).size() + 2;
        ++drop;
    }
    lines_.remove(0, drop);
    droppedLines_ += drop;
    const QString marker = QStringLiteral("[%1 earlier lines dropped to bound memory]").arg(droppedLines_);
    lines_.prepend(marker);
    keptChars_ += marker.size() + 2;
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

QString PrintConsole::text() const
{
    QString out;
    out.reserve(keptChars_);
    for (const QString& line : lines_) {
        out += line;
        out += QLatin1String("\r\n");
    }
    return out;
}

void PrintConsole::showEvent(QShowEvent* event)
{
    flush();
    QWidget::showEvent(event);
}

void PrintConsole::btnClearClick()
{
    lines_.clear();
    pending_.clear();
    keptChars_ = 0;
    droppedLines_ = 0;
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

void PrintConsole::btnEraseEepromClick()
{
    if (tools_)
        tools_->btnEraseEepromClick();
}

void PrintConsole::btnReadEEPROMClick()
{
    if (tools_)
        tools_->btnReadEEPROMClick();
}

void PrintConsole::btnSendClick()
{
    if (tools_)
        tools_->btnSendClick();
}

void PrintConsole::cmbNotePickerChange()
{
    if (tools_)
        tools_->cmbNotePickerChange();
}

void PrintConsole::edtQChange()
{
    if (tools_)
        tools_->edtQChange();
}

void PrintConsole::edtBoostChange()
{
    if (tools_)
        tools_->edtBoostChange();
}

void PrintConsole::btnGetNoteFrequencyClick()
{
    if (tools_)
        tools_->btnGetNoteFrequencyClick();
}
