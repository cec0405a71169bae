// Placeholder images and real pedals: every placeholder carries the mark,
// the mark is found in any image, and behind FTDI's D2XX library or a serial
// port (where a real pedal may be) neither the embedded placeholders nor a
// marked file are sent: not a byte of the upgrade, not the bypass message of
// an upload.

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "ServedPedal.h"
#include "VirtualClock.h"

#include "app/Editor.h"
#include "console/PrintConsole.h"
#include "data/DataItems.h"
#include "data/PlaceholderMark.h"
#include "data/Placeholders.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/FirmwareHandler.h"
#include "link/D2XXUnit.h"
#include "link/D2xxLibraryDriver.h"
#include "link/SerialPortDriver.h"
#include "seams/Places.h"
#include "session/PedalSession.h"
#include "status/Communication.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
// The driver the editor was given, with every write it passed on recorded.
class RecordingLine final : public FtdiDriver {
public:
    explicit RecordingLine(std::unique_ptr<FtdiDriver> inner) : inner_(std::move(inner)) {}
    QList<QByteArray> writes;

    QString name() const override { return inner_->name(); }
    bool isVirtualPedal() const override { return inner_->isVirtualPedal(); }
    uint32_t listDeviceCount(uint32_t& count) override { return inner_->listDeviceCount(count); }
    uint32_t listSerialNumber(uint32_t i, char area[64]) override { return inner_->listSerialNumber(i, area); }
    uint32_t listDescription(uint32_t i, char area[64]) override { return inner_->listDescription(i, area); }
    uint32_t openBySerialNumber(const char* serial, Handle& handle) override
    {
        return inner_->openBySerialNumber(serial, handle);
    }
    uint32_t close(Handle h) override { return inner_->close(h); }
    uint32_t read(Handle h, uint8_t* b, uint32_t n, uint32_t& r) override { return inner_->read(h, b, n, r); }
    uint32_t write(Handle h, const uint8_t* b, uint32_t n, uint32_t& w) override
    {
        writes.append(QByteArray(reinterpret_cast<const char*>(b), int(n)));
        return inner_->write(h, b, n, w);
    }
    uint32_t setBaudRate(Handle h, uint32_t baud) override { return inner_->setBaudRate(h, baud); }
    uint32_t setDataCharacteristics(Handle h, uint8_t w, uint8_t s, uint8_t p) override
    {
        return inner_->setDataCharacteristics(h, w, s, p);
    }
    uint32_t purge(Handle h, uint32_t mask) override { return inner_->purge(h, mask); }
    uint32_t queueStatus(Handle h, uint32_t& rx) override { return inner_->queueStatus(h, rx); }
    uint32_t setLatencyTimer(Handle h, uint8_t ms) override { return inner_->setLatencyTimer(h, ms); }
    void waitForData(Handle h, int ms) override { inner_->waitForData(h, ms); }

private:
    std::unique_ptr<FtdiDriver> inner_;
};

QByteArray embeddedEffect()
{
    return QByteArray::fromHex(DataItems::bytes(QStringLiteral("QUARNEL_MK3_0015")).trimmed());
}
} // namespace

class TestPlaceholderImages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPlaceholderIsMarkedAndKeepsItsLayout();
    void markIsFoundAnywhere_data();
    void markIsFoundAnywhere();
    void nothingIsSentToAPedalThatIsNotTheVirtualOne_data();
    void nothingIsSentToAPedalThatIsNotTheVirtualOne();
};

void TestPlaceholderImages::everyPlaceholderIsMarkedAndKeepsItsLayout()
{
#ifndef QUARNEL_PLACEHOLDER_IMAGES
    QSKIP("this build carries the maker's images");
#endif
    int firmware = 0;
    int effects = 0;
    for (const QString& name : DataItems::names()) {
        QByteArray image = DataItems::bytes(name);
        if (name.startsWith(QLatin1String("FIRMWARE_"))) {
            ++firmware;
            // Still a program the virtual pedal can start.
            QCOMPARE(FirmwareImage::check(image), QString());
        } else if (name.startsWith(QLatin1String("QUARNEL_MK3_"))) {
            ++effects;
            image = QByteArray::fromHex(image.trimmed());
            // The length still leads and the address table follows it.
            QCOMPARE((uint8_t(image.at(1)) << 8) | uint8_t(image.at(2)), int(image.size()));
        } else {
            continue;
        }
        QVERIFY2(Placeholders::isPlaceholder(image), qPrintable(name));
    }
    QCOMPARE(firmware, 13);
    QCOMPARE(effects, 8);
}

void TestPlaceholderImages::markIsFoundAnywhere_data()
{
    const QByteArray mark(PlaceholderMark::kText, PlaceholderMark::kSize);
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("marked");
    QTest::newRow("at the start") << mark + QByteArray(100, '\x5A') << true;
    QTest::newRow("at an odd place") << QByteArray(1001, '\0') + mark + QByteArray(3, '\xFF') << true;
    QTest::newRow("at the end") << QByteArray(64, '\x11') + mark << true;
    QTest::newRow("cut short") << QByteArray(64, '\x11') + mark.chopped(1) << false;
    QTest::newRow("none") << QByteArray(4096, '\x5A') << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestPlaceholderImages::markIsFoundAnywhere()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, marked);
    QCOMPARE(Placeholders::isPlaceholder(image), marked);
}

void TestPlaceholderImages::nothingIsSentToAPedalThatIsNotTheVirtualOne_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("what");
    for (const char* driver : {"D2XX", "serial"})
        for (const char* what : {"embedded firmware", "firmware file", "embedded effect", "effect file"})
            QTest::addRow("%s, %s", driver, what) << QString::fromLatin1(driver) << QString::fromLatin1(what);
}

void TestPlaceholderImages::nothingIsSentToAPedalThatIsNotTheVirtualOne()
{
    QFETCH(QString, driver);
    QFETCH(QString, what);
    const bool embedded = what.startsWith(QLatin1String("embedded"));
    const bool firmware = what.contains(QLatin1String("firmware"));
#ifndef QUARNEL_PLACEHOLDER_IMAGES
    if (embedded)
        QSKIP("this build carries the maker's images");
#endif

    // Behind the driver: the stand-in for FTDI's library, or the virtual
    // pedal's server on a pseudo-terminal, which the editor cannot tell from
    // a real pedal, and must not.
    std::unique_ptr<ServedPedal> served;
    std::unique_ptr<FtdiDriver> inner;
    std::unique_ptr<Clock> clock;
    if (driver == QLatin1String("D2XX")) {
        qputenv("QUARNEL_D2XX_LIBRARY", STAND_IN_D2XX);
        inner = D2xxLibraryDriver::create();
        clock = std::make_unique<VirtualClock>();
    } else {
        const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
        if (socat.isEmpty())
            QSKIP("socat is not installed: no pseudo-terminal pair to serve the pedal on");
        served = std::make_unique<ServedPedal>(socat, QStringLiteral(QUARNEL_VIRTUAL_PEDAL_PROGRAM));
        QVERIFY(served->start());
        qputenv("QUARNEL_SERIAL_PORT", served->hostEnd().toLocal8Bit());
        inner = std::make_unique<SerialPortDriver>();
        clock = std::make_unique<SystemClock>();
    }
    QVERIFY(inner);
    QVERIFY(!inner->isVirtualPedal());
    auto owned = std::make_unique<RecordingLine>(std::move(inner));
    RecordingLine& line = *owned;

    QTemporaryDir documents;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    FixedPlaces places(documents.path());
    Editor editor(Services{dialogs, *clock, shell, places}, std::move(owned));
    // The stand-in library lives on with its device for the next row.
    struct CloseAtEnd {
        Editor& editor;
        ~CloseAtEnd() { editor.session->unlink(); }
    } closeAtEnd{editor};
    editor.comm->scanAndLink();
    QVERIFY(editor.session->isLinked());

    // A marked file: a placeholder saved where a user would pick it.
    const QByteArray image = firmware ? DataItems::bytes(QStringLiteral("FIRMWARE_17")) : embeddedEffect();
    QVERIFY(Placeholders::isPlaceholder(image));
    const QString path = documents.filePath(firmware ? QStringLiteral("FIRMWARE_17") : QStringLiteral("effect.dat"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(image) == image.size());
    file.close();
    if (!embedded)
        dialogs.chooseFile(path);
    if (firmware) // as after a handshake: the window open
        editor.firmware->menuStartFirmwareUpgradeClick();
    if (!firmware && embedded) { // as after a click on the catalogue's entry
        QVERIFY(editor.catalogue->selectEntry(0));
        editor.catalogue->GetResourceFile();
    }

    dialogs.clear();
    const int mark = static_cast<int>(line.writes.size());
    if (firmware && embedded)
        editor.firmware->btnUpgradeFirmwareClick();
    else if (firmware)
        editor.firmware->upgradeFromFile();
    else if (embedded)
        editor.effectUpload->btnUploadClick();
    else
        editor.effectUpload->menuLoadAlgorithmFromFileClick();

    QCOMPARE(line.writes.mid(mark), QList<QByteArray>());
    const Placeholders::Kind kind = firmware ? Placeholders::Kind::Firmware : Placeholders::Kind::Effect;
    const QString refusal =
        embedded ? Placeholders::refusal(kind, Placeholders::Source::Embedded,
                                         firmware ? QStringLiteral("Firmware_17") : QStringLiteral("Quarnel MK3 0015"))
                 : Placeholders::refusal(kind, Placeholders::Source::File,
                                         firmware ? QFileInfo(path).fileName() : QDir::toNativeSeparators(path));
    QCOMPARE(dialogs.informationTexts(), QStringList{refusal});
    QVERIFY(dialogs.questions().isEmpty());
    QVERIFY(refusal.contains(QStringLiteral("QUARNEL_IMAGES_DIR")));
    QVERIFY(editor.formPrint->lines().contains((firmware ? QStringLiteral("firmware refused: ")
                                                         : QStringLiteral("upload refused: "))
                                               + refusal.simplified()));
    if (firmware)
        QVERIFY(editor.formFirmwareUpgrade->isVisible());
    editor.formFirmwareUpgrade->hide();
    qunsetenv("QUARNEL_SERIAL_PORT");
}

QTEST_MAIN(TestPlaceholderImages)
#include "tst_placeholderimages.moc"
