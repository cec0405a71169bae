#include "cli/CliEffectView.h"

#include "editor/Messages.h"
#include "effects/CatalogueHandler.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/PedalStatus.h"

namespace Cli {

CliEffectView::CliEffectView(PedalSession& session, CatalogueHandler& catalogue, Log& log, Dialogs& dialogs)
    : session_(session), catalogue_(catalogue), log_(log), dialogs_(dialogs)
{
}

QString CliEffectView::noTuningText()
{
    return QStringLiteral("Set a tuning before using this parameter");
}

void CliEffectView::getTuning(const PedalStatus& status)
{
    ParameterModel& model = session_.parameters();
    model.currentTuning = status.tuning;
    model.semitoneVariation = status.semitoneVariation;
    // The window's list shows "no tuning" first, and keeps it for a code it
    // has no entry for.
    tuningSet_ = status.tuning > 0 && status.tuning < Messages::tuningTexts().size();
}

void CliEffectView::getParameterValues(const PedalStatus&)
{
    shown_ = {};
    ControlStates::show(shown_, session_.parameters().values());
    valuesRead_ = true;
}

bool CliEffectView::valuesToKeep(std::array<uint32_t, kParameterCount>& out) const
{
    if (!valuesRead_)
        return false;
    out = session_.parameters().values();
    return true;
}

void CliEffectView::forgetPedalValues()
{
    valuesRead_ = false;
    shown_ = {};
}

bool CliEffectView::write(ParameterId id, uint32_t value)
{
    ParameterModel& model = session_.parameters();
    const QString text = Messages::writeParameter(model.address(id), value);
    log_.logLine(QStringLiteral("Send ") + model.name(id) + QStringLiteral(" string: ") + text);
    if (!catalogue_.addressesUsable()) {
        log_.logLine(QStringLiteral("not sent (the effect's parameter addresses are unknown): ") + text);
        return false;
    }
    model.setValue(id, value);
    return session_.pacedWriter().now(model.address(id), text);
}

void CliEffectView::loadPresetValues(const std::array<uint32_t, kParameterCount>& values)
{
    writesFailed_ = false;
    int refused = 0;
    const QList<ControlStates::Write> writes = ControlStates::put(shown_, values, tuningSet_, &refused);
    // The values the controls keep where nothing is sent: the preset's.
    session_.parameters().setValues(values);
    for (int k = 0; k < refused; ++k)
        dialogs_.information(nullptr, noTuningText());
    for (const ControlStates::Write& w : writes)
        writesFailed_ = !write(w.id, w.value) || writesFailed_;
    valuesRead_ = true;
}

Outcome CliEffectView::setParameter(const ParameterSetting& setting)
{
    writesFailed_ = false;
    const ParameterId id = setting.id;
    const uint32_t value = setting.value;
    if (needsTuning(setting) && !tuningSet_) {
        // The window clears the box and sends its "off"; asked for "on", the
        // command line sends nothing instead.
        log_.logLine(QStringLiteral("not sent: %1 needs a tuning").arg(session_.parameters().name(id)));
        dialogs_.information(nullptr, noTuningText());
        return Outcome::Refused;
    }
    if (!catalogue_.addressesUsable()) {
        dialogs_.information(nullptr, QStringLiteral("The running effect's parameter addresses are unknown, so %1 "
                                                     "cannot be sent.")
                                          .arg(session_.parameters().name(id)));
        return Outcome::Refused;
    }
    for (int i = 0; i < ControlStates::sendCount(id); ++i) {
        if (!write(id, value)) {
            writesFailed_ = true;
            return session_.isLinked() ? Outcome::WriteFailed : Outcome::NoPedal;
        }
    }
    shown_[static_cast<size_t>(id)] = ControlStates::stateFor(id, value);
    return Outcome::Done;
}

} // namespace Cli
