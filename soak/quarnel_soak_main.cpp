// Runs the whole editor on the virtual pedal for many operations, each with a
// random fault injected now and then (silence, split, late, short and garbled
// replies, an unplugged cable), and reports what a user would suffer from:
// operations that never end, failures reported as success, values the window
// shows but the pedal does not hold, and memory that grows.
//
// The clock is virtual, so the protocol's pauses and time limits take no wall
// time; a watchdog thread on the wall clock catches an operation that hangs.

#include "BenchSupport.h"
#include "VirtualClock.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "console/PrintConsole.h"
#include "data/DataItems.h"
#include "editor/DialMath.h"
#include "editor/FXsettings.h"
#include "editor/ParameterModel.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpgrade.h"
#include "presets/LocalPresetHandler.h"
#include "presets/PresetFile.h"
#include "seams/Places.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "ui_FXsettings.h"
#include "virtualpedal/VirtualPedal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

namespace {

// An operation that takes longer than this on the wall clock has hung: even
// a status request that runs into every time limit ends within a second or two.
constexpr int kHangSeconds = 60;

enum class Fault { None, Silent, Split, Late, Short, Garbled, Unplug };
const char* const kFaultNames[] = {"none", "silent", "split", "late", "short", "garbled", "unplug"};

// Answers every question Yes and offers the one preset file; keeps the last
// information text, which is how the editor reports an outcome.
class SoakDialogs final : public Dialogs {
public:
    QString presetPath;
    QStringList informations;
    void information(QWidget*, const QString& text) override { informations.append(text); }
    bool askYesNo(QWidget*, const QString&) override { return true; }
    bool askNumber(QWidget*, const QString&, int&, int, int) override { return true; }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override { return presetPath; }
    QString saveFile(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return QString();
    }
};

struct Tally {
    qint64 operations = 0;
    qint64 falseSuccesses = 0;
    qint64 unexpectedFailures = 0; // a fault-free operation that failed
    qint64 lostValues = 0;         // a dial value shown that the pedal does not hold
    qint64 faults[7] = {};
};

class Soak {
public:
    explicit Soak(unsigned seed) : rng_(seed), places_(documents_.path())
    {
        auto owned = std::make_unique<VirtualPedal>(clock_);
        pedal_ = owned.get();
        editor_ = std::make_unique<Editor>(Services{dialogs_, clock_, shell_, places_}, std::move(owned));
        editor_->formMain->show();
        editor_->comm->scanAndLink();
        dialogs_.presetPath = QDir(documents_.path()).filePath(QStringLiteral("soak preset.txt"));
    }

    Tally tally;
    std::atomic<qint64> heartbeat{0}; // operations begun, for the watchdog
    std::atomic<const char*> current{"start"};

    qint64 consoleChars() const { return editor_->formPrint->kept().chars(); }
    qint64 consoleHeldKiB() const { return editor_->formPrint->kept().heldBytes() / 1024; }

    // A fault for roughly one operation in four.
    Fault pickFault(bool withUnplug)
    {
        std::uniform_int_distribution<int> d(0, 23);
        const int r = d(rng_);
        if (r > 5 || (!withUnplug && r == 5))
            return Fault::None;
        return Fault(r + 1);
    }

    void inject(Fault f)
    {
        ++tally.faults[int(f)];
        VirtualPedal& p = *pedal_;
        switch (f) {
        case Fault::None:
            break;
        case Fault::Silent:
            p.setSilent(true);
            break;
        case Fault::Split:
            p.setSplitReplies(40);
            break;
        case Fault::Late:
            p.setReplyDelay(500);
            break;
        case Fault::Short:
            p.setShortReply(60);
            break;
        case Fault::Garbled:
            p.setGarbledReply(true);
            break;
        case Fault::Unplug:
            p.unplug();
            break;
        }
    }

    // Back to a sound pedal, linked again when the cable was out.
    void heal(Fault f)
    {
        VirtualPedal& p = *pedal_;
        p.faults() = PedalFaults{};
        if (f == Fault::Unplug) {
            p.replug();
            editor_->comm->Disconnect();
            editor_->comm->scanAndLink();
        }
        clock_.advance(5000); // whatever a fault left on the wire is gone by now
        p.clearWrites();
    }

    // A fault that leaves the status reply unusable.
    static bool spoils(Fault f) { return f == Fault::Silent || f == Fault::Short || f == Fault::Garbled || f == Fault::Unplug; }

    void statusRequest()
    {
        const Fault f = pickFault(true);
        inject(f);
        const bool ok = editor_->comm->requestStatus() == Outcome::Done;
        if (ok && spoils(f))
            ++tally.falseSuccesses;
        if (!ok && !spoils(f))
            ++tally.unexpectedFailures;
        heal(f);
    }

    // A burst of dial turns, then the pacing timer's tick; the pedal must then
    // hold what the dial shows.
    void dialBurst(int turns)
    {
        Dial* dial = editor_->formFXsettings->ui->dialDry;
        std::uniform_int_distribution<int> angle(-150, 150);
        for (int i = 0; i < turns; ++i) {
            dial->setAngle(angle(rng_));
            ++tally.operations;
        }
        editor_->session->pacedWriter().Timer1Timer();
        const uint32_t shown = levelWord(DialMath::dialToLevel(dial->angle(), nullptr));
        if (pedal_->model().values[PedalModel::Dry] != shown)
            ++tally.lostValues;
        tally.operations -= 1; // counted once more by the caller
    }

    void presetLoad()
    {
        // A fresh random preset on disk, now and then a damaged one.
        std::uniform_int_distribution<uint32_t> word(0, 0x00FFFFFF);
        PresetFile::Values values{};
        for (uint32_t& v : values)
            v = word(rng_) & 0x007FFFFF;
        QByteArray bytes = PresetFile::bytes(values);
        const bool damaged = std::uniform_int_distribution<int>(0, 9)(rng_) == 0;
        if (damaged)
            bytes.truncate(bytes.size() / 2);
        QFile file(dialogs_.presetPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return;
        file.close();
        dialogs_.informations.clear();
        editor_->localPresets->menuLoadPresetClick();
        const bool reportedOk = !dialogs_.informations.isEmpty()
                                && dialogs_.informations.first().startsWith(QLatin1String("File loaded successfully"));
        if (reportedOk && damaged)
            ++tally.falseSuccesses;
        if (!reportedOk && !damaged)
            ++tally.unexpectedFailures;
    }

    void effectUpload()
    {
        const Fault f = pickFault(true);
        inject(f);
        pedal_->model().effectImage.clear();
        editor_->effectUpload->btnUploadClick();
        // The editor reports an upload as done by showing the pedal's answer;
        // the pedal must then hold the image.
        const QString status = editor_->formMain->lblStatus()->text();
        const bool shownDone = status != QLatin1String("Uploading...") && !status.isEmpty()
                               && !editor_->session->uploadWatchdogRunning();
        const bool held = !pedal_->model().effectImage.isEmpty();
        if (shownDone && !held && f != Fault::Unplug)
            ++tally.falseSuccesses;
        heal(f);
        editor_->formMain->lblStatus()->clear();
    }

    // "Upgrade Mode" with SHIFT held, then "Upgrade Firmware" with the pedal
    // refusing a block, going mute from one, losing its cable at one, or
    // none of these. Done is the success message; the pedal must then hold
    // the image and its stamp, and no fault may have hit. Afterwards the pedal
    // is brought back as a user would (the upgrade once more, after a power
    // cycle or a reconnection), runs its firmware and is linked.
    void firmwareUpgrade()
    {
        enum { None, Nack, Silent, Unplug };
        VirtualPedal& p = *pedal_;
        FirmwareUpgrade& window = *editor_->formFirmwareUpgrade;
        QAction* upgradeMode = editor_->formMain->item(QStringLiteral("menuFirmwareUpgradeMode"));
        const QString done = QStringLiteral("Firmware Upgrade Complete, device will now restart");
        // An older firmware with a flash that differs from the image, so only a
        // write can make it hold the image.
        p.model().flash = PedalModel::factoryFlash(16);
        p.model().firmwareVersion = 16;
        editor_->comm->requestStatus();

        p.setShiftHeld(true);
        dialogs_.informations.clear();
        upgradeMode->trigger();
        if (!window.isVisible()) {
            ++tally.unexpectedFailures;
            return restoreAfterUpgrade();
        }
        const QString entry = window.cmbFirmwareChoose()->currentText();
        const int version = FirmwareImage::versionFromEntry(entry, -1);
        const QByteArray image = DataItems::bytes(entry);
        const int blocks = static_cast<int>(FirmwareImage::chunks(image).size());
        const int fault = std::uniform_int_distribution<int>(None, Unplug)(rng_);
        const int at = std::uniform_int_distribution<int>(0, blocks)(rng_); // blocks: the stamp's
        switch (fault) {
        case Nack: p.setNackWrite(at); break;
        case Silent: p.setSilentFromWrite(at); break;
        case Unplug: p.setUnplugAtWrite(at); break;
        default: break;
        }
        const auto holdsImage = [&] {
            return p.flash().left(image.size()) == image && PedalMicrocontroller::stampedVersion(p.flash()) == version;
        };

        window.btnUpgradeFirmware()->click();
        const bool reportedDone = dialogs_.informations.contains(done);
        if (reportedDone && (fault != None || !holdsImage()))
            ++tally.falseSuccesses;

        if (!reportedDone) {
            if (fault == None)
                ++tally.unexpectedFailures;
            // Brought back as the failure message says, then the upgrade again.
            p.faults() = PedalFaults{};
            if (fault == Unplug) {
                p.replug();
                upgradeMode->trigger();
                editor_->comm->scanAndLink();
            } else if (fault == Silent) {
                p.powerCycle();
            }
            dialogs_.informations.clear();
            if (window.isVisible())
                window.btnUpgradeFirmware()->click();
            const bool again = dialogs_.informations.contains(done);
            if (again && !holdsImage())
                ++tally.falseSuccesses;
            if (!again)
                ++tally.unexpectedFailures;
        }
        restoreAfterUpgrade();
    }

    // The pedal released from the upgrade: its firmware runs and is linked,
    // whatever state the upgrade left it in.
    void restoreAfterUpgrade()
    {
        VirtualPedal& p = *pedal_;
        p.setShiftHeld(false);
        p.faults() = PedalFaults{};
        const bool sound = p.mode() == VirtualPedal::Mode::Firmware && editor_->session->isLinked()
                           && !editor_->formFirmwareUpgrade->isVisible() && !editor_->firmware->upgradeModeOn();
        if (!sound) {
            ++tally.unexpectedFailures;
            editor_->formFirmwareUpgrade->hide();
            p.model().flash = PedalModel::factoryFlash(17);
            p.replug();
            p.powerCycle();
            editor_->comm->Disconnect();
            editor_->comm->scanAndLink();
        }
        clock_.advance(5000);
        p.clearWrites();
    }

private:
    std::mt19937 rng_;
    QTemporaryDir documents_;
    VirtualClock clock_;
    SoakDialogs dialogs_;
    QuietShell shell_;
    FixedPlaces places_;
    VirtualPedal* pedal_ = nullptr;
    std::unique_ptr<Editor> editor_;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    unsigned seed = 12;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--seed")
            seed = unsigned(QByteArray(argv[i + 1]).toUInt());

    Soak soak(seed);
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        qint64 seen = -1;
        int still = 0;
        while (!done) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const qint64 now = soak.heartbeat.load();
            still = now == seen ? still + 1 : 0;
            seen = now;
            if (still >= kHangSeconds) {
                std::printf("hung: %s did not end within %d s\n", soak.current.load(), kHangSeconds);
                std::printf("soak: %lld operations, 1 hung, %lld false successes, memory +0 %%\n",
                            static_cast<long long>(soak.tally.operations),
                            static_cast<long long>(soak.tally.falseSuccesses));
                std::fflush(stdout);
                std::_Exit(1);
            }
        }
    });

    // Each kind of operation: its name, how many runs, how many operations a
    // run makes (dial events come in bursts, as from a turned dial), and one run.
    struct Operation {
        const char* name;
        int count;
        int perRun;
        std::function<void()> run;
    };
    constexpr int kBurst = 50;
    const std::vector<Operation> operations = {
        {"status request", 1000, 1, [&] { soak.statusRequest(); }},
        {"dial event", 100000 / kBurst, kBurst, [&] { soak.dialBurst(kBurst); }},
        {"preset load", 100, 1, [&] { soak.presetLoad(); }},
        {"effect upload", 20, 1, [&] { soak.effectUpload(); }},
        {"firmware upgrade", 20, 1, [&] { soak.firmwareUpgrade(); }},
    };

    const auto runOnce = [&](const Operation& op) {
        soak.current = op.name;
        ++soak.heartbeat;
        op.run();
        ++soak.tally.operations;
        QCoreApplication::processEvents();
    };
    QElapsedTimer wall;
    wall.start();
    // One of each first: what the editor allocates once (the effect window's
    // styles, the upgrade window, the first packed log block) is not growth.
    for (const Operation& op : operations)
        runOnce(op);
    const qint64 startKiB = residentKiB();
    for (const Operation& op : operations) {
        QElapsedTimer t;
        t.start();
        for (int i = 1; i < op.count; ++i)
            runOnce(op);
        std::printf("%-15s x %6d  %8.1f s  resident %.1f MiB, console %lld characters in %lld KiB\n", op.name,
                    op.count * op.perRun, t.nsecsElapsed() / 1e9, residentKiB() / 1024.0,
                    static_cast<long long>(soak.consoleChars()), static_cast<long long>(soak.consoleHeldKiB()));
        std::fflush(stdout);
    }
    done = true;
    watchdog.join();
    const qint64 endKiB = residentKiB();
    const double growth = startKiB > 0 ? 100.0 * double(endKiB - startKiB) / double(startKiB) : 0.0;
    const Tally& t = soak.tally;
    std::printf("faults injected:");
    for (int f = 1; f < 7; ++f)
        std::printf(" %s %lld", kFaultNames[f], static_cast<long long>(t.faults[f]));
    std::printf("\nunexpected failures (no fault): %lld\n", static_cast<long long>(t.unexpectedFailures));
    std::printf("dial values lost: %lld\n", static_cast<long long>(t.lostValues));
    std::printf("resident memory: %.1f MiB after one operation of each kind, %.1f MiB at the end\n",
                startKiB / 1024.0, endKiB / 1024.0);
    std::printf("console kept: %lld characters in %lld KiB\n", static_cast<long long>(soak.consoleChars()),
                static_cast<long long>(soak.consoleHeldKiB()));
    std::printf("wall time: %.1f s\n", wall.nsecsElapsed() / 1e9);
    std::printf("soak: %lld operations, 0 hung, %lld false successes, memory %+.1f %%\n",
                static_cast<long long>(t.operations), static_cast<long long>(t.falseSuccesses), growth);
    return (t.falseSuccesses == 0 && t.lostValues == 0 && growth < 10.0) ? 0 : 1;
}
