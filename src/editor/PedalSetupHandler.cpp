#include "editor/PedalSetupHandler.h"

#include "editor/EditHistory.h"
#include "editor/EffectView.h"
#include "effects/CatalogueHandler.h"
#include "presets/BackupHandler.h"
#include "seams/Clock.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"

namespace {
constexpr int kAssignPauseMs = 100;
constexpr int kTuningPauseMs = 100;
constexpr int kDefaultsPauseMs = 10;

using ControlStates::Kind;
} // namespace

PedalSetupHandler::PedalSetupHandler(PedalSession& session, CatalogueHandler& catalogue, BackupHandler& backups,
                                     Log& log, Dialogs& dialogs, Clock& clock)
    : session_(session), catalogue_(catalogue), backups_(backups), log_(log), dialogs_(dialogs), clock_(clock),
      model_(session.parameters())
{
}

QString PedalSetupHandler::noTuningForBoxesText()
{
    return QStringLiteral("Set a tuning before using this parameter");
}

// ---------------------------------------------------------------- the pedal's setup

Outcome PedalSetupHandler::assign(const std::array<QString, kControlCount>& entries)
{
    log_.logLine(Log::banner(QStringLiteral("ASSIGN")));
    // The flags follow the lists (the window keeps them so as they change).
    for (size_t c = 0; c < entries.size(); ++c)
        model_.controlAssigned[c] = Messages::assignsParameter(entries[c]);
    const QString text = Messages::assign(model_, entries);
    log_.logLine(QStringLiteral("lenght of assign message in bytes: ") + QString::number(text.size() / 2));
    log_.logLine(QStringLiteral("assign message: ") + text);
    if (!dialogs_.askYesNo(nullptr, QStringLiteral("Upload Assignments?")))
        return Outcome::Cancelled;
    const Outcome sent = session_.sendMessage(PedalOperation::PedalSetting, text);
    Q_EMIT assignPausing(true);
    clock_.sleepMs(kAssignPauseMs);
    Q_EMIT assignPausing(false);
    return sent;
}

Outcome PedalSetupHandler::setFootswitchMode(const Messages::FootswitchButtons& buttons)
{
    log_.logLine(Log::banner(QStringLiteral("SET FOOTSWITCH MODE")));
    const QString text = Messages::footswitch(buttons);
    log_.logLine(QStringLiteral("footswitch behaviour message: ") + text);
    log_.logLine(text);
    return session_.sendMessage(PedalOperation::PedalSetting, text);
}

Outcome PedalSetupHandler::setTuning(uint8_t tuning, int8_t semitones)
{
    log_.logLine(Log::banner(QStringLiteral("SET TUNING")));
    const QString text = Messages::tuning(tuning, semitones);
    log_.logLine(QStringLiteral("Tuning Message: ") + text);
    if (!dialogs_.askYesNo(nullptr, QStringLiteral("Set new tuning?")))
        return Outcome::Cancelled;
    return session_.sendMessage(PedalOperation::PedalSetting, text, true, kTuningPauseMs);
}

Outcome PedalSetupHandler::setDefaultAssignableParameterValues()
{
    backups_.backUpBefore(QStringLiteral("the assignable defaults"));
    if (effectView_)
        effectView_->beginValuesChange();
    Values values = model_.values();
    const auto set = [&values](ParameterId id, uint32_t value) { values[static_cast<size_t>(id)] = value; };
    set(ParameterId::InputLevel, 0x00800000);
    set(ParameterId::HarmonicPitch, harmonicPitchTable[12]);
    set(ParameterId::WaveClip, 0);
    set(ParameterId::DominantNotesCut, 0);
    set(ParameterId::HighNotesCut, 0);
    set(ParameterId::DryHpf, 0);
    set(ParameterId::LimitRangeUp, 0);
    set(ParameterId::NoiseGateStatus, 0);
    set(ParameterId::NoiseGateThreshold, 0);
    set(ParameterId::Attack, ParameterCodes::kAttackFast);
    model_.setValues(values);

    // The pedal has always been given these in this order, with a short
    // pause after each; then the controls show them, and those whose state
    // changes send again, as the controls do.
    bool sent = true;
    const auto quietly = [&](ParameterId id) {
        const QString text = Messages::writeParameter(model_.address(id), model_.value(id));
        sent = addressesUsable(text) && session_.pacedWriter().now(model_.address(id), text) && sent;
    };
    const auto pause = [this] { clock_.sleepMs(kDefaultsPauseMs); };
    quietly(ParameterId::InputLevel);
    pause();
    quietly(ParameterId::HarmonicPitch);
    pause();
    quietly(ParameterId::WaveClip);
    pause();
    sent = sendNoteCut(ParameterId::DominantNotesCut, model_.dominantNotesCut.value) && sent;
    sent = sendNoteCut(ParameterId::HighNotesCut, model_.highNotesCut.value) && sent;
    pause();
    quietly(ParameterId::DryHpf);
    pause();
    sent = sendValue(ParameterId::LimitRangeUp, model_.limitRangeUp.value) && sent;
    pause();
    sent = sendValue(ParameterId::NoiseGateThreshold, 0) && sent;
    pause();
    sent = sendValue(ParameterId::Attack, model_.attack.value) && sent;
    pause();
    sent = putValues(values, true) && sent;

    if (effectView_)
        effectView_->showValuesChange(session_.controlStates(), QStringLiteral("Assignable Defaults"),
                                      EditHistory::assignable(), false);
    return sent ? Outcome::Done : Outcome::WriteFailed;
}

Outcome PedalSetupHandler::menuSetAssignableParamsToDefaultClick()
{
    const Outcome outcome = setDefaultAssignableParameterValues();
    dialogs_.information(nullptr, QStringLiteral("Click Save Parameters button to save the current status on pedal"));
    return outcome;
}

bool PedalSetupHandler::menuEnableAllParametersClick()
{
    model_.allParametersEnabled = !model_.allParametersEnabled;
    if (effectView_)
        effectView_->showAllParametersEnabled(model_.allParametersEnabled);
    return model_.allParametersEnabled;
}

// ---------------------------------------------------------------- values as the controls send them

Outcome PedalSetupHandler::loadValues(const Values& values)
{
    if (!session_.mayStart(PedalOperation::ParameterWrite))
        return session_.refusal();
    if (effectView_)
        effectView_->beginValuesChange();
    const bool sent = putValues(values, false);
    if (effectView_)
        effectView_->showValuesChange(session_.controlStates(), QStringLiteral("Load Preset"), EditHistory::all(),
                                      true);
    return sent ? Outcome::Done : Outcome::WriteFailed;
}

bool PedalSetupHandler::putValues(const Values& values, bool paced)
{
    ControlStates::States& shown = session_.controlStates();
    const bool tuningSet = model_.currentTuning != 0;
    QList<ControlStates::Write> writes;
    if (session_.updatingFromPedal()) {
        // The pedal's values were not taken (a refused status reply): the
        // controls then send only the wave and split switches, which are
        // never held back.
        ControlStates::States after = shown;
        for (const ControlStates::Write& w : ControlStates::put(after, values, tuningSet))
            if (w.id == ParameterId::Wave || w.id == ParameterId::Split)
                writes.append(w);
        ControlStates::show(shown, values);
    } else {
        writes = ControlStates::put(shown, values, tuningSet);
    }

    model_.setValues(values);
    bool sent = true;
    for (const ControlStates::Write& w : writes) {
        if (ControlStates::kindOf(w.id) == Kind::CheckBox && !tuningSet)
            dialogs_.information(nullptr, noTuningForBoxesText());
        sent = sendControlValue(w.id, w.value, paced) && sent;
        model_.setValue(w.id, w.value);
    }
    return sent;
}

bool PedalSetupHandler::sendControlValue(ParameterId id, uint32_t value, bool paced)
{
    const uint16_t address = model_.address(id);
    const QString text = Messages::writeParameter(address, value);
    switch (ControlStates::kindOf(id)) {
    case Kind::Knob:
    case Kind::SteppedKnob:
        // The knobs have always called themselves standard parameters here.
        log_.logLine(Messages::sendLogLine(model_.name(id), false, text));
        if (!addressesUsable(text))
            return false;
        if (!paced)
            return session_.pacedWriter().now(address, text);
        session_.pacedWriter().queue(address, text);
        return true;
    case Kind::List:
        log_.logLine(QStringLiteral("Send Harmonic Pitch string: ") + text);
        return addressesUsable(text) && session_.pacedWriter().now(address, text);
    case Kind::CheckBox: return sendNoteCut(id, value);
    case Kind::Switch: break;
    }
    return sendValue(id, value);
}

bool PedalSetupHandler::sendValue(ParameterId id, uint32_t value)
{
    const QString text = Messages::writeParameter(model_.address(id), value);
    log_.logLine(Messages::sendLogLine(model_.name(id), model_.isAssignable(id), text));
    return addressesUsable(text) && session_.pacedWriter().now(model_.address(id), text);
}

bool PedalSetupHandler::sendNoteCut(ParameterId id, uint32_t value)
{
    const QString text = Messages::writeParameter(model_.address(id), value);
    if (!addressesUsable(text))
        return false;
    log_.logLine(QStringLiteral("write to DSP msg: ") + text);
    return session_.pacedWriter().now(model_.address(id), text);
}

bool PedalSetupHandler::addressesUsable(const QString& text)
{
    if (catalogue_.addressesUsable())
        return true;
    log_.logLine(QStringLiteral("not sent (the effect's parameter addresses are unknown): ") + text);
    return false;
}
