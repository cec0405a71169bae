// The requests about the pedal as a whole and its settings memories, as the
// pedal receives them: a table of what each builds.

#include "console/MemoryMessages.h"
#include "status/StatusMessages.h"

#include <QtTest>

class TestProtocolMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void texts_data();
    void texts();
};

void TestProtocolMessages::texts_data()
{
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    QTest::newRow("status request") << StatusMessages::statusRequest() << QStringLiteral("0200");
    QTest::newRow("bootloader entry") << StatusMessages::bootloaderEntry() << QStringLiteral("0500010203040506");
    QTest::newRow("settings memory") << MemoryMessages::settingsMemory() << QStringLiteral("50");
    QTest::newRow("erase 50") << MemoryMessages::erase(QStringLiteral("50")) << QStringLiteral("0B50000000");
    QTest::newRow("erase 51") << MemoryMessages::erase(QStringLiteral("51")) << QStringLiteral("0B51000000");
    QTest::newRow("read 50") << MemoryMessages::read(QStringLiteral("50")) << QStringLiteral("0C5000000000");
    QTest::newRow("read 51") << MemoryMessages::read(QStringLiteral("51")) << QStringLiteral("0C5100000000");
}

void TestProtocolMessages::texts()
{
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

QTEST_GUILESS_MAIN(TestProtocolMessages)
#include "tst_protocolmessages.moc"
