// "quarnel-cli list" and the choice of one pedal among those found.

#include "RecordingLog.h"
#include "VirtualClock.h"
#include "cli/PedalList.h"
#include "link/D2XXUnit.h"
#include "virtualpedal/VirtualPedal.h"

#include <QtTest>

#include <cstring>

using Cli::FoundPedal;

namespace {
// Bridges as a driver lists them; a device whose serial number cannot be read
// is one being unplugged while it is listed.
class ListedBridges final : public FtdiDriver {
public:
    struct Device {
        QByteArray serial; // empty: reading it fails
        QByteArray description;
    };
    QList<Device> devices;
    bool listFails = false;

    QString name() const override { return QStringLiteral("D2XX"); }
    uint32_t listDeviceCount(uint32_t& count) override
    {
        if (listFails)
            return FT_OTHER_ERROR;
        count = static_cast<uint32_t>(devices.size());
        return FT_OK;
    }
    uint32_t listSerialNumber(uint32_t index, char area[64]) override
    {
        return copy(devices.value(static_cast<int>(index)).serial, area);
    }
    uint32_t listDescription(uint32_t index, char area[64]) override
    {
        return copy(devices.value(static_cast<int>(index)).description, area);
    }
    uint32_t openBySerialNumber(const char*, Handle&) override { return FT_DEVICE_NOT_FOUND; }
    uint32_t close(Handle) override { return FT_INVALID_HANDLE; }
    uint32_t read(Handle, uint8_t*, uint32_t, uint32_t&) override { return FT_INVALID_HANDLE; }
    uint32_t write(Handle, const uint8_t*, uint32_t, uint32_t&) override { return FT_INVALID_HANDLE; }
    uint32_t setBaudRate(Handle, uint32_t) override { return FT_INVALID_HANDLE; }
    uint32_t setDataCharacteristics(Handle, uint8_t, uint8_t, uint8_t) override { return FT_INVALID_HANDLE; }
    uint32_t purge(Handle, uint32_t) override { return FT_INVALID_HANDLE; }
    uint32_t queueStatus(Handle, uint32_t&) override { return FT_INVALID_HANDLE; }

private:
    static uint32_t copy(const QByteArray& text, char area[64])
    {
        if (text.isEmpty())
            return FT_DEVICE_NOT_FOUND;
        std::memset(area, 0, 64);
        std::memcpy(area, text.constData(), static_cast<size_t>(qMin(text.size(), 63)));
        return FT_OK;
    }
};

QStringList lines(const QList<FoundPedal>& found)
{
    QStringList out;
    for (const FoundPedal& p : found)
        out.append(Cli::listLine(p));
    return out;
}

QList<FoundPedal> pedals(const QStringList& serials)
{
    QList<FoundPedal> found;
    for (const QString& s : serials)
        found.append({QStringLiteral("D2XX"), s, QStringLiteral("Quarnel MK3")});
    return found;
}
} // namespace

class TestCliPedalList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theVirtualPedal();
    void severalBridges();
    void choosing_data();
    void choosing();
};

void TestCliPedalList::theVirtualPedal()
{
    VirtualClock clock;
    VirtualPedal pedal(clock);
    RecordingLog log;
    D2XXUnit unit(pedal, log);
    QCOMPARE(lines(Cli::findPedals(unit)), QStringList{QStringLiteral("virtual\tQM3V0001\tQuarnel MK3")});
    pedal.unplug();
    QVERIFY(Cli::findPedals(unit).isEmpty());
}

void TestCliPedalList::severalBridges()
{
    ListedBridges bridges;
    bridges.devices = {{"FT5XK2AB", "Quarnel MK3"}, {"", "going"}, {"A9Q7", "FT232R USB UART"}};
    RecordingLog log;
    D2XXUnit unit(bridges, log);
    QCOMPARE(lines(Cli::findPedals(unit)),
             (QStringList{"D2XX\tFT5XK2AB\tQuarnel MK3", "D2XX\tA9Q7\tFT232R USB UART"}));
    // A list that fails finds nothing, not the devices of an earlier list.
    bridges.listFails = true;
    QVERIFY(Cli::findPedals(unit).isEmpty());
}

void TestCliPedalList::choosing_data()
{
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("chosen"); // empty: none
    QTest::addColumn<QString>("error");

    QTest::newRow("the only one") << QStringList{"A1"} << "" << "A1" << "";
    QTest::newRow("the one asked for") << QStringList{"A1", "B2"} << "B2" << "B2" << "";
    QTest::newRow("none") << QStringList{} << "" << "" << "no pedal found";
    QTest::newRow("none, one asked for") << QStringList{} << "A1" << "" << "no pedal found";
    QTest::newRow("not the one asked for") << QStringList{"A1"} << "B2" << ""
                                           << "no pedal with serial number B2 (found: A1)";
    QTest::newRow("several, none asked for") << QStringList{"A1", "B2"} << "" << ""
                                             << "2 pedals found (A1, B2): choose one with --serial NUMBER";
}

void TestCliPedalList::choosing()
{
    QFETCH(QStringList, found);
    QFETCH(QString, asked);
    QFETCH(QString, chosen);
    QFETCH(QString, error);
    QString why;
    const std::optional<FoundPedal> p = Cli::choosePedal(pedals(found), asked, &why);
    QCOMPARE(p ? p->serialNumber : QString(), chosen);
    QCOMPARE(why, error);
}

QTEST_GUILESS_MAIN(TestCliPedalList)
#include "tst_clipedallist.moc"
