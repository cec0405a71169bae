#pragma once

#include "cli/ParameterText.h"
#include "editor/ControlStates.h"
#include "editor/EffectView.h"
#include "session/Outcome.h"

#include <QString>

class CatalogueHandler;
class Dialogs;
class Log;
class PedalSession;

// The effect window's part for a client without windows: nothing is shown,
// but what the window's controls would show is kept (ControlStates), so that
// a loaded preset or a single setting sends the pedal what the window's
// controls send, message for message.
namespace Cli {

class CliEffectView final : public EffectView {
public:
    CliEffectView(PedalSession& session, CatalogueHandler& catalogue, Log& log, Dialogs& dialogs);

    bool isEffectWindowShown() const override { return false; }
    void showEffectWindow(const QString&) override {}
    void closeEffectWindow() override {}

    void getFootswitchMode(const PedalStatus&) override {}
    void getTuning(const PedalStatus& status) override;
    void getControlAssignments(const PedalStatus&) override {}
    void getBypassStatus(const PedalStatus&) override {}
    void getParameterValues(const PedalStatus& status) override;

    bool valuesToKeep(std::array<uint32_t, kParameterCount>& out) const override;
    void forgetPedalValues() override;
    void loadPresetValues(const std::array<uint32_t, kParameterCount>& values) override;
    // The controls already show the values the editor holds: nothing changes.
    void showParameterValues(bool) override {}

    // One control (setting is of kind Parameter) set to what sends its value,
    // as the window sends it (the attack three times). Refused, with the
    // window's message, for a note-cut box while no tuning is selected, and
    // while the running effect's addresses are unknown.
    Outcome setParameter(const ParameterSetting& setting);

    // Whether the pedal reported a tuning the window's list selects.
    bool tuningSet() const { return tuningSet_; }
    // A write of the last load or setting did not go out.
    bool writesFailed() const { return writesFailed_; }

    // The window's message when a note-cut box is turned on without a tuning.
    static QString noTuningText();

private:
    // One write as the window's control makes it; false when it was not sent.
    bool write(ParameterId id, uint32_t value);

    PedalSession& session_;
    CatalogueHandler& catalogue_;
    Log& log_;
    Dialogs& dialogs_;
    ControlStates::States shown_{};
    bool valuesRead_ = false;
    bool tuningSet_ = false;
    bool writesFailed_ = false;
};

} // namespace Cli
