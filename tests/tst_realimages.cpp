// A build with the maker's images (here: stand-ins without the placeholder
// mark, embedded as QUARNEL_IMAGES_DIR embeds them) sends them to a pedal
// that is not the virtual one: the upgrade and the uploads go through.

#include "EditorFixture.h"
#include "PedalBehindLine.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "data/DataItems.h"
#include "data/Placeholders.h"
#include "effects/CatalogueHandler.h"
#include "effects/EffectUploadHandler.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/FirmwareHandler.h"
#include "session/PedalSession.h"
#include "status/Communication.h"
#include "virtualpedal/VirtualPedal.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QtTest>

namespace {
// The pedal as a real one behind a line: the editor cannot tell it is the model.
class RealPedalLine final : public PedalBehindLine {
public:
    using PedalBehindLine::PedalBehindLine;
    bool isVirtualPedal() const override { return false; }
};

QByteArray effect15()
{
    return QByteArray::fromHex(DataItems::bytes(QStringLiteral("QUARNEL_MK3_0015")).trimmed());
}
} // namespace

class TestRealImages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void upgradeGoesThrough();
    void uploadsGoThrough_data();
    void uploadsGoThrough();
};

void TestRealImages::initTestCase()
{
    // The build's own images go; this program's unmarked ones stay.
    Q_CLEANUP_RESOURCE(quarnel_effects);
    Q_CLEANUP_RESOURCE(quarnel_firmware);
    for (const QString& name : {QStringLiteral("FIRMWARE_17"), QStringLiteral("FIRMWARE_5")}) {
        bool found = false;
        const QByteArray image = DataItems::bytes(name, &found);
        QVERIFY(found);
        QVERIFY(!Placeholders::isPlaceholder(image));
    }
    QVERIFY(!effect15().isEmpty());
    QVERIFY(!Placeholders::isPlaceholder(effect15()));
}

void TestRealImages::upgradeGoesThrough()
{
    EditorFixture f;
    f.pedal().setFirmwareVersion(16);
    f.startWith(std::make_unique<RealPedalLine>(f.pedal()));
    f.comm().scanAndLink();
    f.pedal().setShiftHeld(true);
    f.main().item(QStringLiteral("menuFirmwareUpgradeMode"))->trigger();
    FirmwareUpgrade& window = *f.editor().formFirmwareUpgrade;
    QVERIFY(window.isVisible());
    QTest::mouseClick(window.btnUpgradeFirmware(), Qt::LeftButton);

    QCOMPARE(f.dialogs.informationTexts().last(), QStringLiteral("Firmware Upgrade Complete, device will now restart"));
    const QByteArray image = DataItems::bytes(QStringLiteral("FIRMWARE_17"));
    QCOMPARE(f.pedal().flash().left(image.size()), image);
    QCOMPARE(f.pedal().mode(), VirtualPedal::Mode::Firmware);
}

void TestRealImages::uploadsGoThrough_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::newRow("the catalogue's effect") << false;
    QTest::newRow("an effect file") << true;
}

void TestRealImages::uploadsGoThrough()
{
    QFETCH(bool, fromFile);
    EditorFixture f;
    f.startWith(std::make_unique<RealPedalLine>(f.pedal()));
    f.comm().scanAndLink();
    QVERIFY(f.session().isLinked());
    if (fromFile) {
        const QString path = f.documents.filePath(QStringLiteral("effect.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(effect15()) == effect15().size());
        file.close();
        f.dialogs.chooseFile(path);
        f.editor().effectUpload->menuLoadAlgorithmFromFileClick();
    } else {
        f.editor().effectUpload->btnUploadClick();
    }
    QCOMPARE(f.pedal().model().effectImage, effect15());
    QCOMPARE(f.pedal().model().bypass, uint8_t(1));
}

QTEST_MAIN(TestRealImages)
#include "tst_realimages.moc"
