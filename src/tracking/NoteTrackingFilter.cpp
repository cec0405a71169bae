#include "tracking/NoteTrackingFilter.h"

#include "link/Hex.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "ui_NoteTrackingFilter.h"

namespace {
constexpr int kMostNotes = 2;
constexpr int kPauseAfterMessageMs = 100;
} // namespace

NoteTrackingFilter::NoteTrackingFilter(PedalSession& session, Log& log)
    : QWidget(nullptr, Qt::Tool), ui(new Ui::formNoteTrackingFilter), session_(session), log_(log)
{
    ui->setupUi(this);
    setFixedSize(222, 115);
    boxes_ = {ui->chkA2, ui->chkAdiesis2, ui->chkB2, ui->chkC3,
              ui->chkCdiesis3, ui->chkD3, ui->chkDdiesis3, ui->chkE3};
    for (QCheckBox* box : boxes_)
        connect(box, &QCheckBox::toggled, this, &NoteTrackingFilter::chkNoteClick);
    connect(ui->btnSave, &QPushButton::clicked, this, &NoteTrackingFilter::btnSaveClick);
    connect(ui->btnGet, &QPushButton::clicked, this, &NoteTrackingFilter::btnGetClick);
}

NoteTrackingFilter::~NoteTrackingFilter()
{
    delete ui;
}

void NoteTrackingFilter::chkNoteClick(bool checked)
{
    checkedCount_ += checked ? 1 : -1;
    // With two notes chosen the others are locked until one is let go.
    const bool full = checkedCount_ == kMostNotes;
    for (QCheckBox* box : boxes_)
        if (!box->isChecked())
            box->setEnabled(!full);
}

void NoteTrackingFilter::btnSaveClick()
{
    std::array<bool, TrackingMessages::kNotes> checked{};
    for (size_t k = 0; k < boxes_.size(); ++k)
        checked[k] = boxes_[k]->isChecked();
    const std::array<uint8_t, 2> bytes = TrackingMessages::noteFilterBytes(checked);
    Log& log = log_;
    log.logLine(QStringLiteral("byte 1: ") + Hex::hex(bytes[0], 2));
    log.logLine(QStringLiteral("byte 2: ") + Hex::hex(bytes[1], 2));
    const QString text = TrackingMessages::noteFilter(bytes);
    log.logLine(QStringLiteral("Set note filters: ") + text);
    log.logLine(QString::number(text.size() / 2));
    session_.send(PedalOperation::PedalSetting, text, true, kPauseAfterMessageMs);
}

void NoteTrackingFilter::btnGetClick()
{
    // The pedal has no message that reads the note filters back.
}
