#include "cli/CliSession.h"

#include "app/FunctionsUnit.h"
#include "cli/Interrupt.h"
#include "cli/PedalList.h"
#include "cli/ProgressDisplay.h"
#include "cli/StatusReport.h"
#include "cli/TerminalDialogs.h"
#include "data/DataItems.h"
#include "data/Placeholders.h"
#include "editor/ControlStates.h"
#include "editor/PedalSetupHandler.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "files/RegularFile.h"
#include "firmware/FirmwareHandler.h"
#include "firmware/FirmwareImage.h"
#include "link/D2XXUnit.h"
#include "presets/BackupHandler.h"
#include "presets/LocalPresetHandler.h"
#include "seams/Clock.h"
#include "seams/Log.h"
#include "seams/Shell.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "status/DeviceSettingsHandler.h"
#include "tracking/InstrumentRangeHandler.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

namespace Cli {

namespace {
// A terminal opens no folder, page or program: every such request fails.
class NoShell final : public Shell {
public:
    bool openFolder(const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
    bool startProgram(const QString&, const QStringList&, bool) override { return false; }
    bool moveToTrash(const QString&) override { return false; }
};

ExitStatus statusOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done: return ExitStatus::Success;
    case Outcome::NoPedal: return ExitStatus::NoPedal;
    case Outcome::NoAnswer: return ExitStatus::NoAnswer;
    case Outcome::Refused:
    case Outcome::Cancelled: return ExitStatus::Refused;
    case Outcome::WriteFailed: return ExitStatus::WriteFailed;
    }
    return ExitStatus::WriteFailed;
}

// Said when the handlers said nothing themselves (their reason is then in
// the log only).
QString fallbackText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::NoPedal: return QStringLiteral("no pedal is linked: it did not open, or it went away");
    case Outcome::NoAnswer: return QStringLiteral("the pedal did not answer");
    case Outcome::Refused: return QStringLiteral("the pedal's state does not allow this now");
    case Outcome::Cancelled: return QStringLiteral("cancelled");
    case Outcome::WriteFailed: return QStringLiteral("the pedal did not take what was written to it");
    case Outcome::Done: break;
    }
    return QString();
}

QString folded(const QString& text)
{
    return text.simplified().toCaseFolded();
}
} // namespace

struct CliSession::Parts {
    Parts(FtdiDriver& driver, Clock& clock, Places& places, Log& log)
        : driver(driver), clock(clock), log(log), session(driver, clock, log),
          functions(places, dialogs, log, shell), catalogue(session, log, dialogs), deviceSettings(session, log),
          instrumentRange(session, functions, log, dialogs),
          comm(session, catalogue, deviceSettings, instrumentRange, log, dialogs),
          backups(session, functions, log, dialogs), pedalSetup(session, catalogue, backups, log, dialogs, clock),
          effectUpload(session, catalogue, comm, log, dialogs, clock),
          presets(session, comm, backups, pedalSetup, functions, log, dialogs),
          firmware(session, comm, backups, log, dialogs, clock)
    {
        // No effect window: the session keeps what its controls would show,
        // and the handlers send what they would send.
        catalogue.fill();
        catalogue.computeCatalogueVersion();
    }

    FtdiDriver& driver;
    Clock& clock;
    Log& log;
    TerminalDialogs dialogs;
    NoShell shell;
    PedalSession session;
    FunctionsUnit functions;
    CatalogueHandler catalogue;
    DeviceSettingsHandler deviceSettings;
    InstrumentRangeHandler instrumentRange;
    Communication comm;
    BackupHandler backups;
    PedalSetupHandler pedalSetup;
    EffectUploadHandler effectUpload;
    LocalPresetHandler presets;
    FirmwareHandler firmware;
};

CliSession::CliSession(FtdiDriver& driver, Clock& clock, Places& places, Log& log)
    : parts_(std::make_unique<Parts>(driver, clock, places, log))
{
}

CliSession::~CliSession()
{
    // The device is closed as the editor closes it, whatever the command did.
    if (parts_->session.isLinked())
        parts_->comm.Disconnect();
}

PedalSession& CliSession::session()
{
    return parts_->session;
}

CatalogueHandler& CliSession::catalogue()
{
    return parts_->catalogue;
}

TerminalDialogs& CliSession::dialogs()
{
    return parts_->dialogs;
}

FirmwareHandler& CliSession::firmware()
{
    return parts_->firmware;
}

int CliSession::catalogueRow(const QString& name) const
{
    const QStringList& entries = parts_->catalogue.entries();
    for (int row = 0; row < entries.size(); ++row) {
        const QString& entry = entries.at(row);
        if (folded(entry) == folded(name) || folded(CatalogueHandler::imageName(entry)) == folded(name))
            return row;
    }
    return -1;
}

namespace {

// One command's run: what it prints and how it ends.
class Run {
public:
    Run(CliSession::Parts& parts, QTextStream& out, QTextStream& err, bool outIsTerminal)
        : p(parts), out(out), err(err), terminal(outIsTerminal)
    {
    }

    ExitStatus list();
    ExitStatus status(bool json);
    ExitStatus save(const QString& path);
    ExitStatus load(const QString& path);
    ExitStatus set(const ParameterSetting& setting);
    ExitStatus upload(const QString& nameOrFile, int row);
    ExitStatus upgrade(const QString& nameOrFile);

    // The pedal chosen on the command line, linked, its status read.
    Outcome link(const PedalChoice& choice);
    void setChoice(const PedalChoice& c) { choice = c; }

private:
    // The end of a command that did not succeed: one line on err, the
    // handlers' first message (the cause) when they showed one.
    ExitStatus fail(ExitStatus status, const QString& otherwise);
    ExitStatus fail(Outcome outcome) { return fail(statusOf(outcome), fallbackText(outcome)); }
    // The end of one that did: what the handlers said goes with the output
    // (on err where the output is data for a script).
    ExitStatus succeed(bool messagesOnErr = false);
    void print(QTextStream& stream, const QString& line);
    QList<FoundPedal> find();

    // Into the bootloader of the pedal the command line names, whichever way
    // it is reached: false (the user told why) when it did not answer there.
    bool enterBootloader(Outcome* outcome);

    CliSession::Parts& p;
    QTextStream& out;
    QTextStream& err;
    bool terminal;
    PedalChoice choice;
    QString linkedSerialNumber;
};

void Run::print(QTextStream& stream, const QString& line)
{
    stream << line << '\n';
    stream.flush();
}

ExitStatus Run::fail(ExitStatus status, const QString& otherwise)
{
    const QStringList messages = p.dialogs.takeMessages();
    const QString cause = messages.isEmpty() ? otherwise : messages.first();
    print(err, QLatin1String(kProgramName) + QStringLiteral(": ") + cause);
    return status;
}

ExitStatus Run::succeed(bool messagesOnErr)
{
    for (const QString& m : p.dialogs.takeMessages())
        print(messagesOnErr ? err : out, m);
    return ExitStatus::Success;
}

QList<FoundPedal> Run::find()
{
    D2XXUnit unit(p.driver, p.log);
    return findPedals(unit);
}

Outcome Run::link(const PedalChoice& pedal)
{
    QString why;
    const std::optional<FoundPedal> chosen = choosePedal(find(), pedal.serialNumber, &why);
    if (!chosen) {
        p.dialogs.information(nullptr, why);
        return Outcome::NoPedal;
    }
    linkedSerialNumber = chosen->serialNumber;
    return p.comm.linkDevice(chosen->serialNumber);
}

ExitStatus Run::list()
{
    const QList<FoundPedal> found = find();
    if (found.isEmpty())
        return fail(ExitStatus::NoPedal, QStringLiteral("no pedal found"));
    for (const FoundPedal& pedal : found)
        print(out, listLine(pedal));
    return succeed(true);
}

ExitStatus Run::status(bool json)
{
    const Outcome linked = link(choice);
    if (linked != Outcome::Done)
        return fail(linked);
    const std::optional<PedalStatus>& status = p.session.lastStatus();
    const QString effect = p.catalogue.effectKnown() ? p.catalogue.selectedEffectName() : QString();
    if (json)
        out << QJsonDocument(StatusReport::json(*status, effect, p.session.parameters())).toJson(QJsonDocument::Indented);
    else
        out << StatusReport::text(*status, effect, p.session.parameters());
    out.flush();
    return succeed(true);
}

ExitStatus Run::save(const QString& path)
{
    const Outcome linked = link(choice);
    if (linked != Outcome::Done)
        return fail(linked);
    // As "Save Local Preset": the pedal is asked again, and the file takes
    // what it says.
    const std::optional<PresetFile::Values> values = p.presets.takeCurrentValues();
    if (!values)
        return fail(Outcome::Refused);
    const Outcome written = p.presets.writePresetFile(path, *values);
    return written == Outcome::Done ? succeed() : fail(written);
}

ExitStatus Run::load(const QString& path)
{
    const Outcome linked = link(choice);
    if (linked != Outcome::Done)
        return fail(linked);
    const Outcome loaded = p.presets.loadPresetFile(path);
    if (loaded == Outcome::WriteFailed && !p.session.isLinked())
        return fail(Outcome::NoPedal);
    return loaded == Outcome::Done ? succeed() : fail(loaded);
}

ExitStatus Run::set(const ParameterSetting& setting)
{
    const Outcome linked = link(choice);
    if (linked != Outcome::Done)
        return fail(linked);
    if (setting.kind == ParameterSetting::Kind::Bypass) {
        if (!p.session.sendBypass(setting.bypassOn))
            return fail(p.session.isLinked() ? Outcome::WriteFailed : Outcome::NoPedal);
        return succeed();
    }
    const ParameterId id = setting.id;
    ParameterModel& model = p.session.parameters();
    if (needsTuning(setting) && model.currentTuning == 0) {
        // The window clears the box and sends its "off"; asked for "on", the
        // command line sends nothing instead.
        p.dialogs.information(nullptr, PedalSetupHandler::noTuningForBoxesText());
        return fail(Outcome::Refused);
    }
    if (!p.catalogue.addressesUsable()) {
        p.dialogs.information(nullptr, QStringLiteral("The running effect's parameter addresses are unknown, so %1 "
                                                      "cannot be sent.")
                                           .arg(model.name(id)));
        return fail(Outcome::Refused);
    }
    for (int i = 0; i < ControlStates::sendCount(id); ++i) {
        if (!p.pedalSetup.sendControlValue(id, setting.value))
            return fail(p.session.isLinked() ? Outcome::WriteFailed : Outcome::NoPedal);
    }
    model.setValue(id, setting.value);
    p.session.controlStates()[static_cast<size_t>(id)] = ControlStates::stateFor(id, setting.value);
    return succeed();
}

ExitStatus Run::upload(const QString& nameOrFile, int row)
{
    const Outcome linked = link(choice);
    // An algorithm older than the catalogue's is what an upload mends.
    const bool mayUpload =
        linked == Outcome::Done || (linked == Outcome::Refused && p.session.allows(PedalOperation::EffectUpload));
    if (!mayUpload)
        return fail(linked);
    // What the link said of the old algorithm is not this command's result.
    p.dialogs.takeMessages();

    ProgressDisplay progress(out, terminal, QStringLiteral("Uploading"));
    const qint64 started = p.clock.nowMs();
    Outcome uploaded = Outcome::Refused;
    {
        // The image goes in one write; Ctrl+C waits for the pedal's answer to it.
        const Interrupt::Deferred deferred;
        progress.show(0, 1, 0);
        if (row >= 0) {
            p.catalogue.selectEntry(row);
            uploaded = p.effectUpload.btnUploadClick();
        } else {
            p.dialogs.setChosenFile(nameOrFile);
            uploaded = p.effectUpload.menuLoadAlgorithmFromFileClick();
        }
        if (uploaded == Outcome::Done)
            progress.show(1, 1, p.clock.nowMs() - started);
        progress.finish();
    }
    if (Interrupt::requested()) {
        return fail(ExitStatus::WriteFailed,
                    uploaded == Outcome::Done
                        ? QStringLiteral("interrupted (Ctrl+C) after the effect image had gone to the pedal whole")
                        : QStringLiteral("interrupted (Ctrl+C); the upload failed"));
    }
    return uploaded == Outcome::Done ? succeed() : fail(uploaded);
}

bool Run::enterBootloader(Outcome* outcome)
{
    using State = FirmwareHandler::State;
    *outcome = link(choice);
    if (*outcome == Outcome::NoPedal)
        return false;
    // A firmware too old for this editor is what an upgrade mends; what the
    // link said of it is not this command's result.
    if (*outcome != Outcome::NoAnswer)
        p.dialogs.takeMessages();
    if (SessionGate::isBootloader(p.session.mode()))
        return true;
    // No firmware answered: the pedal may be in its bootloader already (an
    // upgrade that did not finish, or powered up with SHIFT held). The link
    // greets it there.
    const bool silent = *outcome == Outcome::NoAnswer;
    if (silent) {
        p.dialogs.takeMessages();
        p.comm.Disconnect();
    }
    *outcome = p.firmware.setUpgradeMode(true);
    if (p.firmware.state() == State::Armed) {
        if (p.session.isLinked())
            p.comm.Disconnect();
        *outcome = p.comm.linkDevice(linkedSerialNumber);
    }
    if (p.firmware.state() == State::BootloaderIdle)
        return true;
    if (*outcome == Outcome::Done)
        *outcome = Outcome::NoAnswer;
    return false;
}

ExitStatus Run::upgrade(const QString& nameOrFile)
{
    // The image, and every check of it that needs no pedal, first: a refusal
    // then leaves the pedal running its firmware, never waiting in its
    // bootloader for an image that will not come.
    QString name;
    QByteArray image;
    int version = -1;
    for (const QString& entry : FirmwareHandler::images()) {
        if (entry.compare(nameOrFile, Qt::CaseInsensitive) == 0) {
            name = entry;
            image = DataItems::bytes(entry);
            version = FirmwareImage::versionFromFileName(entry);
        }
    }
    if (name.isEmpty()) {
        name = nameOrFile;
        const RegularFile::Read read = RegularFile::read(nameOrFile, FirmwareImage::kFlashSize);
        if (!read.ok())
            return fail(p.firmware.upgradeFromFile(nameOrFile)); // says why, sends nothing
        image = read.bytes;
        version = FirmwareImage::versionFromFileName(QFileInfo(nameOrFile).fileName());
        if (version < 0) {
            return fail(ExitStatus::Usage,
                        QStringLiteral("the firmware file's name must give the version it holds, as FIRMWARE_17 "
                                       "does; nothing was sent to the pedal"));
        }
    }
    const bool unfit = !FirmwareImage::check(image).isEmpty()
        || (Placeholders::isPlaceholder(image) && !p.session.isVirtualPedal())
        || version < FirmwareImage::kLowestVersion || version > FirmwareImage::kHighestVersion;
    if (unfit)
        return fail(p.firmware.upgrade(image, version, name)); // refused with its message, nothing sent

    // From the way in to the last block, Ctrl+C is the upgrade's to answer.
    const Interrupt::Deferred deferred;
    Outcome outcome = Outcome::Done;
    if (!enterBootloader(&outcome))
        return fail(outcome);
    p.dialogs.takeMessages(); // "Connection to bootloader succeeded, ..."
    if (Interrupt::requested()) {
        // Nothing erased yet: the pedal goes back to the firmware it has.
        p.firmware.restart();
        return fail(ExitStatus::WriteFailed,
                    QStringLiteral("interrupted (Ctrl+C) before the upgrade began; nothing was written"));
    }

    ProgressDisplay progress(out, terminal, QStringLiteral("Upgrading"));
    const qint64 started = p.clock.nowMs();
    const QMetaObject::Connection shown =
        QObject::connect(&p.firmware, &FirmwareHandler::progress, [&](int step, int steps, const QString&) {
            // Before each block: the boundary where a stop leaves the pedal
            // in its bootloader, saying so, rather than half-written in silence.
            if (Interrupt::requested())
                p.firmware.requestStop();
            progress.show(step, steps, p.clock.nowMs() - started);
        });
    const Outcome upgraded = p.firmware.upgrade(image, version, name);
    QObject::disconnect(shown);
    progress.finish();
    if (upgraded == Outcome::Done)
        return succeed();
    return fail(Interrupt::requested() ? ExitStatus::WriteFailed : statusOf(upgraded), fallbackText(upgraded));
}

} // namespace

ExitStatus CliSession::run(const Invocation& invocation, QTextStream& out, QTextStream& err, bool outIsTerminal)
{
    Run run(*parts_, out, err, outIsTerminal);
    run.setChoice(invocation.pedal);
    const QStringList& args = invocation.arguments;
    switch (invocation.command) {
    case Command::List: return run.list();
    case Command::Status: return run.status(invocation.json);
    case Command::Save: return run.save(args.value(0));
    case Command::Load: return run.load(args.value(0));
    case Command::Set: return run.set(*invocation.setting);
    case Command::Upload: return run.upload(args.value(0), catalogueRow(args.value(0)));
    case Command::Upgrade: return run.upgrade(args.value(0));
    }
    return ExitStatus::Usage;
}

} // namespace Cli
