#include "firmware/FirmwareWriter.h"

#include "console/Log.h"
#include "link/Hex.h"
#include "seams/Clock.h"

FirmwareWriter::FirmwareWriter(BootloaderClient& client, Clock& clock, Log& log)
    : client_(client), clock_(clock), log_(log)
{
}

FirmwareWriter::Outcome FirmwareWriter::write(const QList<FirmwareImage::Chunk>& chunks, int version,
                                              const Progress& progress, const TimerRunning& timerRunning)
{
    Outcome outcome;
    client_.clearFailure();
    const auto failed = [&](int block, uint32_t address) {
        outcome.failure = client_.failure();
        outcome.block = block;
        outcome.address = address;
        outcome.message = failureMessage(outcome, static_cast<int>(chunks.size()));
        log_.logLine(QStringLiteral("firmware upgrade failed: ") + outcome.message);
        return outcome;
    };

    outcome.erased = true;
    if (!client_.eraseAll())
        return failed(-1, FirmwareImage::kFlashBase);

    log_.appendDirect(QStringLiteral("Start Write Command"));
    log_.appendDirect(QString());
    const int count = static_cast<int>(chunks.size());
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(i, count);
        const FirmwareImage::Chunk& chunk = chunks.at(i);
        if (!client_.sendWriteCommand(chunk.address) || !client_.sendBlock(chunk.bytes))
            return failed(i, chunk.address);
        log_.logLine(QString());
        if (timerRunning && timerRunning())
            log_.logLine(QStringLiteral("TIMER IS ON!!!!!!!!!!!"));
        log_.logLine(QString());
    }
    if (progress)
        progress(count, count);

    if (!client_.sendWriteCommand(FirmwareImage::kStampAddress) || !client_.sendStamp(version))
        return failed(-1, FirmwareImage::kStampAddress);
    clock_.sleepMs(10);
    outcome.ok = true;
    return outcome;
}

QString FirmwareWriter::failureMessage(const Outcome& outcome, int blockCount)
{
    using Kind = BootloaderClient::Failure::Kind;
    const QString address = QStringLiteral("0x") + Hex::hex(outcome.address, 8);
    QString where;
    if (outcome.block >= 0)
        where = QStringLiteral("at block %1 of %2 (address %3)").arg(outcome.block + 1).arg(blockCount).arg(address);
    else if (outcome.address == FirmwareImage::kStampAddress)
        where = QStringLiteral("at the version stamp (address %1)").arg(address);
    else
        where = QStringLiteral("while erasing the flash");

    QString why;
    switch (outcome.failure.kind) {
    case Kind::Nack: why = QStringLiteral("the pedal refused ") + outcome.failure.step; break;
    case Kind::Unexpected:
        why = QStringLiteral("the pedal answered %1 with %2 instead of an acknowledge")
                  .arg(outcome.failure.step, outcome.failure.reply);
        break;
    case Kind::NoReply: why = QStringLiteral("the pedal did not answer ") + outcome.failure.step; break;
    case Kind::LinkLost:
    case Kind::None: why = QStringLiteral("the link to the pedal was lost"); break;
    }

    if (outcome.failure.kind == Kind::LinkLost)
        return QStringLiteral("The firmware upgrade failed %1: %2.\r\n\r\n"
                              "To bring the pedal back: unplug it, hold SHIFT while connecting it to USB, "
                              "check \"Upgrade Mode\" in the Firmware Upgrade menu, then choose "
                              "Scan And Link in the Connection menu and upgrade again.")
            .arg(where, why);
    return QStringLiteral("The firmware upgrade failed %1: %2.\r\n\r\n"
                          "The pedal stays in its bootloader. Click \"Upgrade Firmware\" to run the upgrade again.")
        .arg(where, why);
}
