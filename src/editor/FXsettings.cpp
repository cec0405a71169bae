#include "editor/FXsettings.h"

#include "editor/Dial.h"
#include "editor/DialMath.h"
#include "editor/HintsUnit.h"
#include "editor/Messages.h"
#include "editor/Switch.h"
#include "editor/PedalSetupHandler.h"
#include "link/Hex.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/PedalStatus.h"
#include "ui_FXsettings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

namespace {

// The window was laid out with its text sizes in the same units as its
// geometry, 1/96 inch; in points that is three quarters of the number.
constexpr qreal kTextSize = 10.5 * 72.0 / 96.0;
constexpr qreal kSemitonesTextSize = 11.0 * 72.0 / 96.0;

const QString kNoTuningForControls =
    QStringLiteral("No tuning selected, Select a tuning before assigning this parameter");

} // namespace

FXsettings::FXsettings(PedalSession& session, PedalSetupHandler& setup, Log& log, Dialogs& dialogs, Clock& clock,
                       QWidget* beside)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                           | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::formFXsettings), session_(session), setup_(setup), log_(log), dialogs_(dialogs), clock_(clock),
      beside_(beside), model_(session.parameters())
{
    // The form keeps its size and places under the Edit menu's bar: its
    // controls live in an area of their own, which the bar sits above. They
    // are made there rather than moved there, since every move of a styled
    // control restyles it.
    formArea = new QWidget(this);
    ui->setupUi(formArea);
    setObjectName(formArea->objectName()); // the looks dress the window by this name
    formArea->setObjectName(QStringLiteral("formArea"));
    setWindowTitle(formArea->windowTitle());
    formArea->setFixedSize(440, 448);
    setFonts();
    buildEditMenu();

    // The twenty parameter objects exist with the session (model_), then:
    fillLists();
    connectHandlers();
    for (Control c : {Control::One, Control::Two, Control::Three, Control::Four, Control::Remote})
        assignList(c)->setCurrentIndex(0);
    for (const auto& [name, text] : HintsUnit::effectWindowHints())
        if (QWidget* w = findChild<QWidget*>(name))
            w->setToolTip(text);
    ui->cmbGuitarTuning->setCurrentIndex(0);
    ui->cmbSemitonesVariation->setCurrentIndex(Messages::semitoneIndex(0));

    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    keepStates();

    showMode(session_.shownMode());
    connect(&session_, &PedalSession::modeChanged, this, [this] { showMode(session_.shownMode()); });
}

FXsettings::~FXsettings()
{
    delete ui;
}

void FXsettings::setFonts()
{
    // Each control carries its own font: the looks' style sheets stop fonts
    // from being inherited.
    QFont text(QStringLiteral("Arial"));
    text.setPointSizeF(kTextSize);
    QFont bold = text;
    bold.setBold(true);
    for (QWidget* w : findChildren<QWidget*>())
        w->setFont(text);
    for (QWidget* w : {static_cast<QWidget*>(ui->lblAssignControls), static_cast<QWidget*>(ui->lblTrackingFunctions),
                       static_cast<QWidget*>(ui->lblNoiseGate), static_cast<QWidget*>(ui->lblFootswitchLongPress),
                       static_cast<QWidget*>(ui->lblFootswitchShortPress)})
        w->setFont(bold);
    QFont semitones = text;
    semitones.setPointSizeF(kSemitonesTextSize);
    ui->lblSemitones->setFont(semitones);
}

void FXsettings::fillLists()
{
    // Each list gets items of its own, even where two lists show the same texts.
    ui->cmbAssignCtrlUNO->addItems(Messages::assignEntries(Control::One));
    ui->cmbAssignCtrlDUE->addItems(Messages::assignEntries(Control::Two));
    ui->cmbAssignCtrlTRE->addItems(Messages::assignEntries(Control::Three));
    ui->cmbAssignCtrlQUATTRO->addItems(Messages::assignEntries(Control::Four));
    ui->cmbAssignRemote->addItems(Messages::assignEntries(Control::Remote));
    ui->cmbVariableWavePitch->addItems(harmonicPitchTexts());
    ui->cmbVariableWavePitch->setCurrentIndex(-1);
    ui->cmbGuitarTuning->addItems(Messages::tuningTexts());
    ui->cmbSemitonesVariation->addItems(Messages::semitoneTexts());
    // Lists narrower than their longest entry open wide enough to read it.
    for (QComboBox* list : findChildren<QComboBox*>())
        list->view()->setMinimumWidth(list->minimumSizeHint().width());
}

void FXsettings::connectHandlers()
{
    const auto onDial = [this](Dial* d, void (FXsettings::*h)()) { connect(d, &Dial::changed, this, h); };
    onDial(ui->dialDry, &FXsettings::dialDryChange);
    onDial(ui->dialMinus1Oct, &FXsettings::dialMinus1OctChange);
    onDial(ui->dialSubMix, &FXsettings::dialSubMixChange);
    onDial(ui->dialMinus2Oct, &FXsettings::dialMinus2OctChange);
    onDial(ui->dialLowPass, &FXsettings::dialLowPassChange);
    onDial(ui->dialHighPass, &FXsettings::dialHighPassChange);
    onDial(ui->dialRange, &FXsettings::dialRangeChange);
    onDial(ui->dialDryHPF, &FXsettings::dialDryHPFChange);
    onDial(ui->dialInputLevel, &FXsettings::dialInputLevelChange);
    onDial(ui->dialClipWave, &FXsettings::dialClipWaveChange);
    onDial(ui->dial1stHarmonic, &FXsettings::dial1stHarmonicChange);
    onDial(ui->dialNoiseGateThreshold, &FXsettings::dialNoiseGateThresholdChange);

    const auto onSwitch = [this](Switch* s, void (FXsettings::*h)()) { connect(s, &Switch::switched, this, h); };
    onSwitch(ui->swtWave, &FXsettings::swtWaveSwitch);
    onSwitch(ui->swtSplit, &FXsettings::swtSplitSwitch);
    onSwitch(ui->swtBypass, &FXsettings::swtBypassSwitch);
    onSwitch(ui->swtLimitRange, &FXsettings::swtLimitRangeSwitch);
    onSwitch(ui->swtNoiseGateStatus, &FXsettings::swtNoiseGateStatusSwitch);
    onSwitch(ui->swtAttack, &FXsettings::swtAttackSwitch);

    const auto onList = [this](QComboBox* c, void (FXsettings::*h)()) {
        connect(c, &QComboBox::currentIndexChanged, this, h);
    };
    onList(ui->cmbVariableWavePitch, &FXsettings::cmbVariableWavePitchChange);
    onList(ui->cmbAssignCtrlUNO, &FXsettings::cmbAssignCtrlUNOChange);
    onList(ui->cmbAssignCtrlDUE, &FXsettings::cmbAssignCtrlDUEChange);
    onList(ui->cmbAssignCtrlTRE, &FXsettings::cmbAssignCtrlTREChange);
    onList(ui->cmbAssignCtrlQUATTRO, &FXsettings::cmbAssignCtrlQUATTROChange);
    onList(ui->cmbAssignRemote, &FXsettings::cmbAssignRemoteChange);
    onList(ui->cmbGuitarTuning, &FXsettings::cmbGuitarTuningChange);
    onList(ui->cmbSemitonesVariation, &FXsettings::cmbSemitonesVariationChange);

    connect(ui->chkDominantNoteCut, &QCheckBox::toggled, this, &FXsettings::chkDominantNoteCutChange);
    connect(ui->chkHighNoteCut, &QCheckBox::toggled, this, &FXsettings::chkHighNoteCutChange);

    // After the change handlers, which may still move a knob out of its dead
    // zone or clear a box: what the control shows then is kept.
    for (int k = 0; k < kParameterCount; ++k) {
        const auto id = static_cast<ParameterId>(k);
        const auto keep = [this, id] { session_.controlStates()[static_cast<size_t>(id)] = stateOf(id); };
        QWidget* control = parameterControl(id);
        if (auto* dial = qobject_cast<Dial*>(control))
            connect(dial, &Dial::changed, this, keep);
        else if (auto* flip = qobject_cast<Switch*>(control))
            connect(flip, &Switch::switched, this, keep);
        else if (auto* box = qobject_cast<QCheckBox*>(control))
            connect(box, &QCheckBox::toggled, this, keep);
        else if (auto* list = qobject_cast<QComboBox*>(control))
            connect(list, &QComboBox::currentIndexChanged, this, keep);
    }
}

QWidget* FXsettings::parameterControl(ParameterId id) const
{
    switch (id) {
    case ParameterId::Dry: return ui->dialDry;
    case ParameterId::SubMix: return ui->dialSubMix;
    case ParameterId::Minus1Oct: return ui->dialMinus1Oct;
    case ParameterId::Minus2Oct: return ui->dialMinus2Oct;
    case ParameterId::Wave: return ui->swtWave;
    case ParameterId::LowPass: return ui->dialLowPass;
    case ParameterId::HighPass: return ui->dialHighPass;
    case ParameterId::FirstHarmonic: return ui->dial1stHarmonic;
    case ParameterId::Split: return ui->swtSplit;
    case ParameterId::Range: return ui->dialRange;
    case ParameterId::InputLevel: return ui->dialInputLevel;
    case ParameterId::WaveClip: return ui->dialClipWave;
    case ParameterId::HarmonicPitch: return ui->cmbVariableWavePitch;
    case ParameterId::DominantNotesCut: return ui->chkDominantNoteCut;
    case ParameterId::HighNotesCut: return ui->chkHighNoteCut;
    case ParameterId::DryHpf: return ui->dialDryHPF;
    case ParameterId::LimitRangeUp: return ui->swtLimitRange;
    case ParameterId::NoiseGateStatus: return ui->swtNoiseGateStatus;
    case ParameterId::NoiseGateThreshold: return ui->dialNoiseGateThreshold;
    case ParameterId::Attack: break;
    }
    return ui->swtAttack;
}

std::optional<ControlStates::State> FXsettings::stateOf(ParameterId id) const
{
    QWidget* control = parameterControl(id);
    if (auto* dial = qobject_cast<Dial*>(control))
        return dial->angle();
    if (auto* flip = qobject_cast<Switch*>(control))
        return flip->isOn() ? 1 : 0;
    if (auto* box = qobject_cast<QCheckBox*>(control))
        return box->isChecked() ? 1 : 0;
    const int index = static_cast<QComboBox*>(control)->currentIndex();
    return index >= 0 ? std::optional<ControlStates::State>(index) : std::nullopt;
}

void FXsettings::putState(ParameterId id, ControlStates::State state)
{
    QWidget* control = parameterControl(id);
    if (auto* dial = qobject_cast<Dial*>(control))
        dial->setAngle(state);
    else if (auto* flip = qobject_cast<Switch*>(control))
        flip->setOn(state != 0);
    else if (auto* box = qobject_cast<QCheckBox*>(control))
        box->setChecked(state != 0);
    else
        static_cast<QComboBox*>(control)->setCurrentIndex(state);
}

void FXsettings::keepStates()
{
    for (int k = 0; k < kParameterCount; ++k)
        session_.controlStates()[static_cast<size_t>(k)] = stateOf(static_cast<ParameterId>(k));
}

// ---------------------------------------------------------------- helpers

bool FXsettings::updating() const
{
    return session_.updatingFromPedal() || quiet_;
}

void FXsettings::log(const QString& text)
{
    log_.logLine(text);
}

QComboBox* FXsettings::assignList(Control control) const
{
    switch (control) {
    case Control::One: return ui->cmbAssignCtrlUNO;
    case Control::Two: return ui->cmbAssignCtrlDUE;
    case Control::Three: return ui->cmbAssignCtrlTRE;
    case Control::Four: return ui->cmbAssignCtrlQUATTRO;
    case Control::Remote: break;
    }
    return ui->cmbAssignRemote;
}

// ---------------------------------------------------------------- showing and enabling

void FXsettings::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Restoring a minimised window is not a new showing.
    if (!event->spontaneous())
        FormShow();
}

void FXsettings::FormShow()
{
    const QColor outline = QColor::fromRgba(kOutlineColor);
    for (QWidget* w : {static_cast<QWidget*>(ui->Line1), static_cast<QWidget*>(ui->Line2),
                       static_cast<QWidget*>(ui->Rectangle1), static_cast<QWidget*>(ui->Rectangle2),
                       static_cast<QWidget*>(ui->Rectangle3)}) {
        // The property lets a look read the colour; the sheet draws it.
        w->setProperty("outlineColor", outline);
        w->setStyleSheet(QStringLiteral("#%1 { border-color: %2; }").arg(w->objectName(), outline.name()));
    }
}

void FXsettings::showEffectWindow(const QString& title)
{
    if (isVisible())
        close();
    if (beside_) {
        const QRect frame = beside_->frameGeometry();
        move(frame.x() + frame.width(), frame.y());
    }
    show();
    setWindowTitle(title);
}

void FXsettings::showMode(SessionMode mode)
{
    // The controls send parameter messages, which the firmware takes while it
    // answers with an algorithm this editor knows or one older.
    constexpr ModeSet kSending{SessionMode::Linked, SessionMode::AlgorithmTooOld};
    enableEffectControls(kSending.contains(mode));
}

void FXsettings::enableEffectControls(bool enabled)
{
    editMenu_->setControlsEnabled(enabled);
    for (QWidget* w : findChildren<QWidget*>()) {
        // Only the window's own controls: a list's popup is the list's business.
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            w->setEnabled(enabled);
    }
}

// ---------------------------------------------------------------- keys and mouse

void FXsettings::keyPressEvent(QKeyEvent* event)
{
    if (FormKeyDown(event))
        return;
    QWidget::keyPressEvent(event);
}

bool FXsettings::FormKeyDown(QKeyEvent* event)
{
    const Qt::KeyboardModifiers both = Qt::ControlModifier | Qt::ShiftModifier;
    if ((event->modifiers() & both) != both || event->key() != Qt::Key_P)
        return false;
    Q_EMIT consoleRequested();
    event->accept();
    return true;
}

bool FXsettings::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == ui->chkDominantNoteCut && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        log(QStringLiteral("Right mouse button clicked!"));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- sending

uint32_t FXsettings::sendParameterLevel(Dial* dial, ParameterId id)
{
    int angle = dial->angle();
    const int level = DialMath::dialToLevel(angle, &angle);
    if (angle != dial->angle()) {
        // Out of the dead zone without a second change event for the same turn.
        const QSignalBlocker quiet(dial);
        dial->setAngle(angle);
    }
    const uint32_t value = levelWord(level);
    setup_.sendControlValue(id, value, !sendImmediately);
    return value;
}

void FXsettings::sendParameterValue(uint32_t value, ParameterId id)
{
    setup_.sendValue(id, value);
}

// ---------------------------------------------------------------- change handlers

void FXsettings::dialChange(Dial* dial, ParameterId id)
{
    if (updating())
        return;
    const EditHistory::Values before = model_.values();
    model_.setValue(id, sendParameterLevel(dial, id));
    recordEdit(id, before, static_cast<int>(id));
}

void FXsettings::dialDryChange() { dialChange(ui->dialDry, ParameterId::Dry); }
void FXsettings::dialMinus1OctChange() { dialChange(ui->dialMinus1Oct, ParameterId::Minus1Oct); }
void FXsettings::dialSubMixChange() { dialChange(ui->dialSubMix, ParameterId::SubMix); }
void FXsettings::dialMinus2OctChange() { dialChange(ui->dialMinus2Oct, ParameterId::Minus2Oct); }
void FXsettings::dialLowPassChange() { dialChange(ui->dialLowPass, ParameterId::LowPass); }
void FXsettings::dialHighPassChange() { dialChange(ui->dialHighPass, ParameterId::HighPass); }
void FXsettings::dialRangeChange() { dialChange(ui->dialRange, ParameterId::Range); }
void FXsettings::dialDryHPFChange() { dialChange(ui->dialDryHPF, ParameterId::DryHpf); }
void FXsettings::dialInputLevelChange() { dialChange(ui->dialInputLevel, ParameterId::InputLevel); }
void FXsettings::dialClipWaveChange() { dialChange(ui->dialClipWave, ParameterId::WaveClip); }
void FXsettings::dial1stHarmonicChange() { dialChange(ui->dial1stHarmonic, ParameterId::FirstHarmonic); }
void FXsettings::dialNoiseGateThresholdChange()
{
    dialChange(ui->dialNoiseGateThreshold, ParameterId::NoiseGateThreshold);
}

void FXsettings::cmbVariableWavePitchChange()
{
    const int index = ui->cmbVariableWavePitch->currentIndex();
    if (updating() || index < 0)
        return;
    const uint32_t value = harmonicPitchTable[static_cast<size_t>(index)];
    setup_.sendControlValue(ParameterId::HarmonicPitch, value);
    const EditHistory::Values before = model_.values();
    model_.harmonicPitch.value = value;
    recordEdit(ParameterId::HarmonicPitch, before);
}

void FXsettings::noteCutChange(ParameterId id)
{
    if (updating())
        return;
    QCheckBox* box = id == ParameterId::DominantNotesCut ? ui->chkDominantNoteCut : ui->chkHighNoteCut;
    if (ui->cmbGuitarTuning->currentIndex() == 0) {
        dialogs_.information(this, PedalSetupHandler::noTuningForBoxesText());
        // Cleared without a second round of this handler: one warning, one message.
        const QSignalBlocker quiet(box);
        box->setChecked(false);
    }
    const uint32_t value = box->isChecked() ? ParameterCodes::kOn : ParameterCodes::kOff;
    const EditHistory::Values before = model_.values();
    model_.assignable(id).value = value;
    setup_.sendNoteCut(id, value);
    recordEdit(id, before);
}

void FXsettings::chkDominantNoteCutChange() { noteCutChange(ParameterId::DominantNotesCut); }
void FXsettings::chkHighNoteCutChange() { noteCutChange(ParameterId::HighNotesCut); }

void FXsettings::swtWaveSwitch()
{
    if (quiet_)
        return;
    // Not held back during a status request: the pedal's own state comes back to it.
    const uint32_t value = ui->swtWave->isOn() ? ParameterCodes::kWaveOn : ParameterCodes::kWaveOff;
    sendParameterValue(value, ParameterId::Wave);
    // Kept, so that a later showing of the values (the defaults) does not
    // turn the switch back to what the pedal reported before.
    const EditHistory::Values before = model_.values();
    model_.setValue(ParameterId::Wave, value);
    recordEdit(ParameterId::Wave, before);
}

void FXsettings::swtSplitSwitch()
{
    if (quiet_)
        return;
    const uint32_t value = ui->swtSplit->isOn() ? ParameterCodes::kOn : ParameterCodes::kOff;
    sendParameterValue(value, ParameterId::Split);
    const EditHistory::Values before = model_.values();
    model_.setValue(ParameterId::Split, value);
    recordEdit(ParameterId::Split, before);
}

bool FXsettings::isBypassOn() const
{
    return ui->swtBypass->isOn();
}

void FXsettings::swtBypassSwitch()
{
    if (!updating())
        session_.sendBypass(ui->swtBypass->isOn());
}

void FXsettings::swtLimitRangeSwitch()
{
    if (updating())
        return;
    const uint32_t value = ui->swtLimitRange->isOn() ? ParameterCodes::kOn : ParameterCodes::kOff;
    sendParameterValue(value, ParameterId::LimitRangeUp);
    const EditHistory::Values before = model_.values();
    model_.setValue(ParameterId::LimitRangeUp, value);
    recordEdit(ParameterId::LimitRangeUp, before);
}

void FXsettings::swtNoiseGateStatusSwitch()
{
    if (updating())
        return;
    const uint32_t value = ui->swtNoiseGateStatus->isOn() ? ParameterCodes::kOn : ParameterCodes::kOff;
    sendParameterValue(value, ParameterId::NoiseGateStatus);
    const EditHistory::Values before = model_.values();
    model_.setValue(ParameterId::NoiseGateStatus, value);
    recordEdit(ParameterId::NoiseGateStatus, before);
}

void FXsettings::swtAttackSwitch()
{
    const bool slow = ui->swtAttack->isOn();
    // The label follows the switch also while the pedal's state is shown, so
    // it never names the other speed.
    ui->lblAttack->setText(slow ? QStringLiteral("Attack: Slow") : QStringLiteral("Attack: Fast"));
    if (updating())
        return;
    const uint32_t value = slow ? ParameterCodes::kAttackSlow : ParameterCodes::kAttackFast;
    for (int i = 0; i < 3; ++i)
        sendParameterValue(value, ParameterId::Attack);
    const EditHistory::Values before = model_.values();
    model_.setValue(ParameterId::Attack, value);
    recordEdit(ParameterId::Attack, before);
}

void FXsettings::assignChange(Control control, QComboBox* list, bool tuningGate)
{
    const QString entry = list->currentText();
    model_.controlAssigned[static_cast<size_t>(control)] = Messages::assignsParameter(entry);
    if (!tuningGate || updating())
        return;
    if ((entry == model_.dominantNotesCut.parameter_name || entry == model_.highNotesCut.parameter_name)
        && model_.currentTuning == 0) {
        dialogs_.information(this, kNoTuningForControls);
        list->setCurrentIndex(0);
    }
}

void FXsettings::cmbAssignCtrlUNOChange() { assignChange(Control::One, ui->cmbAssignCtrlUNO, false); }
void FXsettings::cmbAssignCtrlDUEChange() { assignChange(Control::Two, ui->cmbAssignCtrlDUE, false); }
void FXsettings::cmbAssignCtrlTREChange() { assignChange(Control::Three, ui->cmbAssignCtrlTRE, true); }
void FXsettings::cmbAssignCtrlQUATTROChange() { assignChange(Control::Four, ui->cmbAssignCtrlQUATTRO, true); }
void FXsettings::cmbAssignRemoteChange() { assignChange(Control::Remote, ui->cmbAssignRemote, false); }

void FXsettings::cmbGuitarTuningChange()
{
    const int index = ui->cmbGuitarTuning->currentIndex();
    if (index >= 0)
        model_.currentTuning = static_cast<uint8_t>(index);
}

void FXsettings::cmbSemitonesVariationChange()
{
    if (const auto n = Messages::semitonesFromText(ui->cmbSemitonesVariation->currentText()))
        model_.semitoneVariation = static_cast<int8_t>(*n);
}

// ---------------------------------------------------------------- the status reply

void FXsettings::getFootswitchMode(const PedalStatus& status)
{
    const int mode = status.footswitchMode;
    const auto buttons = Messages::footswitchButtons(mode);
    if (!buttons)
        return;
    // Each pair is an exclusive group: checking one clears the other.
    (buttons->bypassShort ? ui->chkBypassShortPress : ui->chkChangePresetShortPress)->setChecked(true);
    (buttons->bypassLong ? ui->chkBypassLongPress : ui->chkChangePresetLongPress)->setChecked(true);
    log(Messages::footswitchModeLogLine(mode));
}

void FXsettings::getTuning(const PedalStatus& status)
{
    const uint8_t tuningByte = status.tuning;
    const auto semitoneByte = static_cast<uint8_t>(status.semitoneVariation);
    model_.currentTuning = tuningByte;
    model_.semitoneVariation = status.semitoneVariation;
    log(QStringLiteral("Current Tuning: ") + QString::number(tuningByte));
    log(QStringLiteral("Semitones variation: ") + Hex::hex(semitoneByte, 2));

    // A code the lists have no entry for leaves them as they were, and the
    // state follows what they show, so "Set Tuning" sends what the user sees.
    if (tuningByte < ui->cmbGuitarTuning->count()) {
        ui->cmbGuitarTuning->setCurrentIndex(tuningByte);
    } else {
        log(QStringLiteral("tuning %1 has no entry in the tuning list; it keeps showing ").arg(tuningByte)
            + ui->cmbGuitarTuning->currentText());
        cmbGuitarTuningChange();
    }
    const int semitoneEntry = Messages::semitoneIndex(model_.semitoneVariation);
    if (semitoneEntry >= 0) {
        ui->cmbSemitonesVariation->setCurrentIndex(semitoneEntry);
    } else {
        log(QStringLiteral("semitone variation %1 has no entry in the semitone list; it keeps showing ")
                .arg(model_.semitoneVariation)
            + ui->cmbSemitonesVariation->currentText());
        cmbSemitonesVariationChange();
    }
}

void FXsettings::getControlAssignments(const PedalStatus& status)
{
    const Messages::Assignments& reply = status.assignments;
    for (int c = 0; c < kControlCount; ++c)
        if (!reply.assigned[static_cast<size_t>(c)])
            assignList(static_cast<Control>(c))->setCurrentIndex(0);
    for (ParameterId id : kAssignableOrder)
        model_.assignable(id).is_assigned = false;

    for (Control c : {Control::One, Control::Two, Control::Three, Control::Four}) {
        const auto i = static_cast<size_t>(c);
        if (!reply.assigned[i])
            continue;
        const std::array<ParameterId, 5> targets = Messages::assignTargets(c);
        for (int entry : Messages::matchingEntries(model_, c, reply.address[i])) {
            assignList(c)->setCurrentIndex(entry);
            model_.assignable(targets[static_cast<size_t>(entry - 1)]).is_assigned = true;
            log(Messages::assignmentLogLine(c, entry));
        }
    }

    const auto remote = static_cast<size_t>(Control::Remote);
    if (!reply.assigned[remote])
        return;
    if (reply.address[remote] == Messages::kRemoteBypass) {
        ui->cmbAssignRemote->setCurrentIndex(1);
        log(QStringLiteral("Remote assigned to Bypass"));
    } else if (reply.address[remote] == Messages::kRemotePreset) {
        ui->cmbAssignRemote->setCurrentIndex(2);
        log(QStringLiteral("Remote assigned to Preset Change"));
    }
}

void FXsettings::getBypassStatus(const PedalStatus& status)
{
    if (status.bypass)
        ui->swtBypass->setOn(*status.bypass);
}

void FXsettings::getParameterValues(const PedalStatus&)
{
    // The values are the session's model's already (and logged); they go on
    // the controls.
    showParameterValues(false);
    // The pedal's own values: what "Compare" goes back to, and where the
    // history starts afresh.
    editMenu_->startFrom(model_.values());
}

void FXsettings::showParameterValues(bool immediately)
{
    const QScopedValueRollback<bool> atOnce(sendImmediately, immediately);
    // A value no state of its control stands for leaves the control as it is.
    for (ParameterId id : ControlStates::showOrder())
        if (const std::optional<ControlStates::State> state = ControlStates::stateFor(id, model_.value(id)))
            putState(id, *state);
}

// ---------------------------------------------------------------- assignments and footswitch

void FXsettings::btnAssignClick()
{
    std::array<QString, kControlCount> entries;
    for (int c = 0; c < kControlCount; ++c)
        entries[static_cast<size_t>(c)] = assignList(static_cast<Control>(c))->currentText();
    setup_.assign(entries);
}

void FXsettings::btnSetFootswitchModeClick()
{
    Messages::FootswitchButtons b;
    b.bypassShort = ui->chkBypassShortPress->isChecked();
    b.changePresetShort = ui->chkChangePresetShortPress->isChecked();
    b.changePresetLong = ui->chkChangePresetLongPress->isChecked();
    b.bypassLong = ui->chkBypassLongPress->isChecked();
    setup_.setFootswitchMode(b);
}

void FXsettings::btnSetTuningClick()
{
    // The lists' choice: the model follows them.
    setup_.setTuning(model_.currentTuning, model_.semitoneVariation);
}

void FXsettings::showAllParametersEnabled(bool all)
{
    for (Dial* d : {ui->dialDry, ui->dialSubMix, ui->dialMinus1Oct, ui->dialMinus2Oct, ui->dialRange})
        d->setEnabled(all);
    for (Dial* d : {ui->dialLowPass, ui->dialHighPass, ui->dial1stHarmonic})
        d->setEnabled(true);
}

// ---------------------------------------------------------------- the Edit menu

void FXsettings::buildEditMenu()
{
    EditMenu::Window& window = *this; // a private base, seen only from here
    editMenu_ = std::make_unique<EditMenu>(*this, window);
    editMenuBar = editMenu_->bar();
    menuUndo = editMenu_->undoAction();
    menuRedo = editMenu_->redoAction();
    menuCompare = editMenu_->compareAction();
    lblComparing = editMenu_->comparingLabel();

    const int barHeight = editMenuBar->sizeHint().height();
    editMenuBar->setGeometry(0, 0, 440, barHeight);
    formArea->move(0, barHeight);
    setFixedSize(440, 448 + barHeight);
}

void FXsettings::recordEdit(ParameterId id, const EditHistory::Values& before, int mergeKey)
{
    if (quiet_ || session_.updatingFromPedal())
        return;
    editMenu_->recordEdit(id, model_.name(id), before, mergeKey);
}

EditHistory::Values FXsettings::shownValues() const
{
    return model_.values();
}

qint64 FXsettings::nowMs()
{
    return clock_.nowMs();
}

void FXsettings::putValues(const EditHistory::Values& target, const EditHistory::Touched& send)
{
    model_.setValues(target);
    {
        const QScopedValueRollback<bool> quiet(quiet_, true);
        showParameterValues(false);
    }
    // Paced, one message per parameter.
    session_.writeParameters(target, send, [this](const QString& text) { return setup_.addressesUsable(text); });
}

void FXsettings::beginValuesChange()
{
    wholeBefore_ = editMenu_->beginWholeChange();
}

void FXsettings::showValuesChange(const ControlStates::States& states, const QString& step,
                                  const EditHistory::Touched& touched, bool reference)
{
    // A copy: the controls keep their states in the session as they change.
    const ControlStates::States wanted = states;
    {
        const QScopedValueRollback<bool> quiet(quiet_, true);
        for (ParameterId id : ControlStates::showOrder())
            if (const std::optional<ControlStates::State> state = wanted[static_cast<size_t>(id)])
                putState(id, *state);
    }
    editMenu_->recordWholeChange(step, wholeBefore_, touched);
    if (reference)
        editMenu_->setReference(model_.values());
}

bool FXsettings::valuesToKeep(std::array<uint32_t, kParameterCount>& out) const
{
    return editMenu_->valuesToKeep(out);
}

void FXsettings::forgetPedalValues()
{
    editMenu_->forget();
}
