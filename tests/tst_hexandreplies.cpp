// The hexadecimal message helpers and the decoding of the pedal's ASCII replies.

#include "link/Hex.h"
#include "link/ReplyDecoder.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<QByteArray>)
Q_DECLARE_METATYPE(ReplyDecoder::State)

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
    using State = ReplyDecoder::State;
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QByteArray>("values");
    QTest::addColumn<State>("state");
    QTest::addColumn<int>("consumed");
    QTest::newRow("12, 7, 255") << QByteArray("12\r\n7\r\n255\r") << 3 << QByteArray("\x0C\x07\xFF") << State::Whole
                                << 11;
    QTest::newRow("300 is 44") << QByteArray("300\r") << 1 << QByteArray("\x2C") << State::Whole << 4;
    QTest::newRow("empty field repeats the value")
        << QByteArray("9\r\n\r") << 2 << QByteArray("\x09\x09") << State::Whole << 4;
    QTest::newRow("empty field at the start is 0")
        << QByteArray("\r\n5\r") << 2 << QByteArray("\x00\x05", 2) << State::Whole << 4;
    QTest::newRow("a line feed after the last value is the reply's")
        << QByteArray("1\r\n2\r\n") << 2 << QByteArray("\x01\x02") << State::Whole << 6;
    QTest::newRow("bytes after the last value are not the reply's")
        << QByteArray("1\r\n2\r\n3\r\n4\r") << 2 << QByteArray("\x01\x02") << State::Whole << 6;
    QTest::newRow("a field still arriving") << QByteArray("1\r\n2") << 2 << QByteArray("\x01") << State::Incomplete
                                            << 0;
    QTest::newRow("no terminator, no value") << QByteArray("17") << 1 << QByteArray() << State::Incomplete << 0;
    QTest::newRow("four digits") << QByteArray("8\r\n1234\r") << 2 << QByteArray("\x08") << State::Malformed << 0;
    QTest::newRow("letters") << QByteArray("Qw\r") << 1 << QByteArray() << State::Malformed << 0;
    QTest::newRow("letter after a value") << QByteArray("17\r\nK\r") << 2 << QByteArray("\x11") << State::Malformed
                                          << 0;
    QTest::newRow("minus sign") << QByteArray("-1\r") << 1 << QByteArray() << State::Malformed << 0;
    QTest::newRow("colon") << QByteArray("1:2\r") << 1 << QByteArray() << State::Malformed << 0;
    QTest::newRow("CR CR LF as separator")
        << QByteArray("1\r\r\n2\r") << 2 << QByteArray("\x01") << State::Malformed << 0;
    QTest::newRow("LF without CR") << QByteArray("1\n2\r") << 2 << QByteArray() << State::Malformed << 0;
    QTest::newRow("60000 digits") << QByteArray(60000, '7') + "\r" << 1 << QByteArray() << State::Malformed << 0;
}

void TestHexAndReplies::decodeReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, expected);
    QFETCH(QByteArray, values);
    QFETCH(ReplyDecoder::State, state);
    QFETCH(int, consumed);
    const ReplyDecoder::Result result = ReplyDecoder::decode(reply, expected);
    QCOMPARE(result.values, values);
    QCOMPARE(result.state, state);
    QCOMPARE(result.error.isEmpty(), state != ReplyDecoder::State::Malformed);
    if (state == ReplyDecoder::State::Whole)
        QCOMPARE(result.consumed, consumed);
}

QTEST_MAIN(TestHexAndReplies)
#include "tst_hexandreplies.moc"
