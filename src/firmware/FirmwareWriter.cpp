#include "firmware/FirmwareWriter.h"

#include "link/Hex.h"
#include "seams/Clock.h"
#include "seams/Log.h"

FirmwareWriter::FirmwareWriter(BootloaderClient& client, Clock& clock, Log& log)
    : client_(client), clock_(clock), log_(log)
{
}

FirmwareWriter::Outcome FirmwareWriter::write(const QList<FirmwareImage::Chunk>& chunks, int version,
                                              const Progress& progress)
{
    Outcome outcome;
    client_.clearFailure();
    const int count = static_cast<int>(chunks.size());
    const auto failed = [&](int block, uint32_t address) {
        outcome.failure = client_.failure();
        outcome.block = block;
        if (!outcome.differs)
            outcome.address = address;
        outcome.message = failureMessage(outcome, count);
        log_.logLine(QStringLiteral("firmware upgrade failed: ") + outcome.message);
        return outcome;
    };

    outcome.erased = true;
    if (!client_.eraseAll())
        return failed(-1, FirmwareImage::kFlashBase);

    const auto stopHere = [&](int block, uint32_t address) {
        if (!stop_ || !stop_())
            return false;
        outcome.stopped = true;
        client_.clearFailure();
        failed(block, address);
        return true;
    };

    log_.appendDirect(QStringLiteral("Start Write Command"));
    log_.appendDirect(QString());
    for (int i = 0; i < count; ++i) {
        if (stopHere(i, chunks.at(i).address))
            return outcome;
        if (progress)
            progress(Phase::Writing, i, count);
        const FirmwareImage::Chunk& chunk = chunks.at(i);
        if (!client_.sendWriteCommand(chunk.address) || !client_.sendBlock(chunk.bytes))
            return failed(i, chunk.address);
        log_.logLine(QString());
        log_.logLine(QString());
    }

    // Every block as the flash holds it now: an ACK says the bootloader took
    // the block, not that the flash kept it.
    log_.logLine(QStringLiteral("Start Read Back"));
    outcome.checking = true;
    for (int i = 0; i < count; ++i) {
        if (stopHere(i, chunks.at(i).address))
            return outcome;
        if (progress)
            progress(Phase::Checking, i, count);
        const FirmwareImage::Chunk& chunk = chunks.at(i);
        if (!readBack(chunk.address, chunk.bytes, outcome))
            return failed(i, chunk.address);
    }
    outcome.checking = false;

    if (stopHere(-1, FirmwareImage::kStampAddress))
        return outcome;
    if (progress)
        progress(Phase::Stamp, count, count);
    if (!client_.sendWriteCommand(FirmwareImage::kStampAddress) || !client_.sendStamp(version))
        return failed(-1, FirmwareImage::kStampAddress);
    outcome.checking = true;
    if (!readBack(FirmwareImage::kStampAddress, BootloaderClient::stampBytes(version), outcome))
        return failed(-1, FirmwareImage::kStampAddress);
    outcome.checking = false;
    clock_.sleepMs(10);
    outcome.ok = true;
    return outcome;
}

bool FirmwareWriter::readBack(uint32_t address, const QByteArray& expected, Outcome& outcome)
{
    QByteArray flash;
    if (!client_.readMemory(address, static_cast<int>(expected.size()), flash))
        return false;
    for (int i = 0; i < expected.size(); ++i) {
        if (flash.at(i) != expected.at(i)) {
            outcome.differs = true;
            outcome.address = address + static_cast<uint32_t>(i);
            log_.logLine(QStringLiteral("read back %1 at %2, written %3")
                             .arg(Hex::hex(static_cast<uint8_t>(flash.at(i)), 2), Hex::hex(outcome.address, 8),
                                  Hex::hex(static_cast<uint8_t>(expected.at(i)), 2)));
            return false;
        }
    }
    return true;
}

FirmwareWriter::Startable FirmwareWriter::checkStartable()
{
    Startable result;
    client_.clearFailure();
    QByteArray stamp;
    QByteArray vectors;
    if (!client_.readMemory(FirmwareImage::kStampAddress, 8, stamp)
        || !client_.readMemory(FirmwareImage::kFlashBase, 8, vectors)) {
        result.why = QStringLiteral("its flash could not be read back");
        return result;
    }
    // Seven zero bytes and the version: the stamp is the upgrade's last
    // write, so a whole one means the image before it was written whole.
    const bool stamped = stamp.left(7) == QByteArray(7, '\0') && uint8_t(stamp.at(7)) != 0xFF;
    if (!stamped) {
        result.why = QStringLiteral("its flash holds no firmware version stamp, so no upgrade finished");
        return result;
    }
    if (FirmwareImage::vectorTable(vectors, FirmwareImage::kMaxImageSize) != FirmwareImage::VectorTable::Sound) {
        result.why = QStringLiteral("its flash does not start like a firmware");
        return result;
    }
    result.ok = true;
    return result;
}

QString FirmwareWriter::failureMessage(const Outcome& outcome, int blockCount)
{
    using Kind = BootloaderClient::Failure::Kind;
    const QString address = QStringLiteral("0x") + Hex::hex(outcome.address, 8);
    QString where;
    if (outcome.block >= 0)
        where = QStringLiteral("%1 block %2 of %3 (address %4)")
                    .arg(outcome.checking ? QStringLiteral("while checking") : QStringLiteral("at"))
                    .arg(outcome.block + 1)
                    .arg(blockCount)
                    .arg(address);
    else if (outcome.address >= FirmwareImage::kStampAddress)
        where = QStringLiteral("%1 the version stamp (address %2)")
                    .arg(outcome.checking ? QStringLiteral("while checking") : QStringLiteral("at"), address);
    else
        where = QStringLiteral("while erasing the flash");

    if (outcome.stopped)
        return QStringLiteral("The firmware upgrade stopped %1: it was asked to stop before that step.\r\n\r\n"
                              "The pedal stays in its bootloader. Click \"Upgrade Firmware\" to run the upgrade "
                              "again.")
            .arg(where);

    QString why;
    if (outcome.differs) {
        why = QStringLiteral("the flash read back differs from what was written there");
    } else {
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
    }

    if (outcome.failure.kind == Kind::LinkLost && !outcome.differs)
        return QStringLiteral("The firmware upgrade failed %1: %2.\r\n\r\n"
                              "To bring the pedal back: unplug it, hold SHIFT while connecting it to USB, "
                              "check \"Upgrade Mode\" in the Firmware Upgrade menu, then choose "
                              "Scan And Link in the Connection menu and upgrade again.")
            .arg(where, why);
    return QStringLiteral("The firmware upgrade failed %1: %2.\r\n\r\n"
                          "The pedal stays in its bootloader. Click \"Upgrade Firmware\" to run the upgrade again.")
        .arg(where, why);
}
