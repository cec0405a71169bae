// The hexadecimal message helpers and the decoding of the pedal's ASCII replies.

#include "link/Hex.h"
#include "link/ReplyDecoder.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<QByteArray>)

class TestHexAndReplies : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hexToBytes_data();
    void hexToBytes();
    void hexToByteArray_data();
    void hexToByteArray();
    void checksum_data();
    void checksum();
    void formatting();
    void decodeReply_data();
    void decodeReply();
};

void TestHexAndReplies::hexToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("converted");
    QTest::addColumn<QByteArray>("buffer"); // 4 bytes, starting as AA AA AA AA
    QTest::newRow("status request") << "0200" << 2 << 2 << QByteArray("\x02\x00\xAA\xAA", 4);
    QTest::newRow("lower case") << "0f0Bff" << 3 << 3 << QByteArray("\x0F\x0B\xFF\xAA", 4);
    QTest::newRow("letter beyond F stops") << "12G4" << 2 << 1 << QByteArray("\x12\xAA\xAA\xAA", 4);
    QTest::newRow("text shorter than n") << "01" << 4 << 1 << QByteArray("\x01\xAA\xAA\xAA", 4);
    QTest::newRow("odd tail is not a pair") << "123" << 2 << 1 << QByteArray("\x12\xAA\xAA\xAA", 4);
    QTest::newRow("blank is not a digit") << " 1" << 1 << 0 << QByteArray("\xAA\xAA\xAA\xAA", 4);
}

void TestHexAndReplies::hexToBytes()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(int, converted);
    QFETCH(QByteArray, buffer);
    QByteArray area(4, char(0xAA));
    QCOMPARE(Hex::hexToBytes(text, reinterpret_cast<uint8_t*>(area.data()), n), converted);
    QCOMPARE(area, buffer);
}

void TestHexAndReplies::hexToByteArray_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("address word") << "0027" << true << QByteArray("\x00\x27", 2);
    QTest::newRow("odd length rounds down") << "ABC" << true << QByteArray("\xAB");
    QTest::newRow("not hexadecimal") << "00ZZ" << false << QByteArray();
    QTest::newRow("empty") << "" << true << QByteArray();
}

void TestHexAndReplies::hexToByteArray()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, bytes);
    const auto result = Hex::hexToByteArray(text);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(*result, bytes);
    QCOMPARE(Hex::hexToByteString(QStringLiteral("4142zz")), QByteArray("AB\0", 3));
}

void TestHexAndReplies::checksum_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("sum");
    QTest::newRow("standard") << "0FFF0102030405" << 7 << 0xF1;
    QTest::newRow("low") << "0FBA0203040506" << 7 << 0xB3;
    QTest::newRow("first bytes only") << "0FBA020304050699" << 7 << 0xB3;
    QTest::newRow("too short") << "0FBA" << 7 << -1;
    QTest::newRow("not hexadecimal") << "0FBA02030405XX" << 7 << -1;
}

void TestHexAndReplies::checksum()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(int, sum);
    const auto result = Hex::hexXorChecksum(text, n);
    QCOMPARE(result ? int(*result) : -1, sum);
}

void TestHexAndReplies::formatting()
{
    QCOMPARE(Hex::hex(0x13, 4), QStringLiteral("0013"));
    QCOMPARE(Hex::hex(0x00800000, 8), QStringLiteral("00800000"));
    QCOMPARE(Hex::hex(0x1FFFF, 4), QStringLiteral("FFFF"));
    QCOMPARE(Hex::toHex(QByteArray("\x0d\xAB\x00", 3)), QStringLiteral("0DAB00"));
}

void TestHexAndReplies::decodeReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("values");
    QTest::addColumn<bool>("ok");
    QTest::newRow("12, 7, 255") << QByteArray("12\r\n7\r\n255\r") << QByteArray("\x0C\x07\xFF") << true;
    QTest::newRow("300 is 44") << QByteArray("300\r\n") << QByteArray("\x2C") << true;
    QTest::newRow("empty field repeats the value") << QByteArray("9\r\n\r\n") << QByteArray("\x09\x09") << true;
    QTest::newRow("empty field at the start is 0") << QByteArray("\r\n5\r") << QByteArray("\x00\x05", 2) << true;
    QTest::newRow("four digits keep the value") << QByteArray("8\r\n1234\r\n") << QByteArray("\x08\x08") << true;
    QTest::newRow("no terminator, no value") << QByteArray("17") << QByteArray() << true;
    QTest::newRow("letter in a field") << QByteArray("17\r\nK\r\n") << QByteArray("\x11") << false;
}

void TestHexAndReplies::decodeReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, values);
    QFETCH(bool, ok);
    const ReplyDecoder::Result result = ReplyDecoder::decode(reply);
    QCOMPARE(result.values, values);
    QCOMPARE(result.ok, ok);
    QCOMPARE(result.error.isEmpty(), ok);
}

QTEST_MAIN(TestHexAndReplies)
#include "tst_hexandreplies.moc"
