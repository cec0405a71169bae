// The virtual pedal's bootloader against a standard STM32 bootloader client:
// Debian's stm32flash writes, verifies and starts an image through a
// pseudo-terminal pair from socat, with quarnel-virtual-pedal --bootloader
// serving the other end. A pseudo-terminal carries no parity, so stm32flash
// runs 8N1 and the served bootloader takes the line as it comes.

#include "ServedPedal.h"

#include <QProcess>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
QByteArray firmwareImage(int size)
{
    QByteArray img(size, '\0');
    for (int i = 0; i < size; ++i)
        img[i] = char(0x5A + i * 13);
    const uint32_t words[] = {0x20005000u, 0x08000000u + 0x200u + 1u}; // stack top, reset handler (Thumb)
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 4; ++i)
            img[4 * w + i] = char(words[w] >> (8 * i));
    return img;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
} // namespace

class TestStm32flash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void writesVerifiesAndStartsAnImage();

private:
    // Runs stm32flash on the client's end at 115200 8N1; whether it succeeded, and what it said.
    bool stm32flash(const QStringList& args, QString* said = nullptr);

    QString socat_;
    QString stm32flash_;
    std::unique_ptr<ServedPedal> pedal_;
};

void TestStm32flash::initTestCase()
{
    socat_ = QStandardPaths::findExecutable(QStringLiteral("socat"));
    stm32flash_ = QStandardPaths::findExecutable(QStringLiteral("stm32flash"));
    if (socat_.isEmpty())
        QSKIP("socat is not installed: no pseudo-terminal pair to serve the bootloader on");
    if (stm32flash_.isEmpty())
        QSKIP("stm32flash is not installed (Debian package stm32flash): no bootloader client to test against");
}

void TestStm32flash::init()
{
    pedal_ = std::make_unique<ServedPedal>(socat_, QStringLiteral(QUARNEL_VIRTUAL_PEDAL_PROGRAM));
    // A pedal with firmware 9, powered up with SHIFT held.
    QVERIFY2(pedal_->start({"--bootloader", "--firmware", "9"}),
             "could not set up the pseudo-terminal pair and the virtual pedal's server");
}

void TestStm32flash::cleanup()
{
    pedal_.reset();
}

bool TestStm32flash::stm32flash(const QStringList& args, QString* said)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(stm32flash_, QStringList{"-b", "115200", "-m", "8n1"} + args + QStringList{pedal_->hostEnd()});
    const bool finished = p.waitForFinished(120000);
    if (!finished) {
        p.kill();
        p.waitForFinished(3000);
    }
    const QString out = QString::fromLocal8Bit(p.readAll());
    if (said)
        *said = out;
    const bool ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok)
        qWarning("stm32flash %s:\n%s\nserver:\n%s", qPrintable(args.join(' ')), qPrintable(out),
                 pedal_->serverSaid().constData());
    return ok;
}

void TestStm32flash::writesVerifiesAndStartsAnImage()
{
    QTemporaryDir dir;
    const QString imagePath = dir.filePath(QStringLiteral("firmware.bin"));
    const QString stampPath = dir.filePath(QStringLiteral("stamp.bin"));
    const QString readPath = dir.filePath(QStringLiteral("read.bin"));
    const QByteArray image = firmwareImage(53856);
    QVERIFY(writeFile(imagePath, image));
    QVERIFY(writeFile(stampPath, QByteArray::fromHex("0000000000000011"))); // version 17

    // The part is one stm32flash knows, with the geometry the pedal has.
    QString info;
    QVERIFY(stm32flash({}, &info));
    QVERIFY2(info.contains(QStringLiteral("0x0410")), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("128KiB")), qPrintable(info));

    // Each later run greets a bootloader that is already synchronised, which
    // takes the 0x7F as the start of a command; stm32flash sorts that out.
    // Its writes erase the pages they need first, and -v reads every block back.
    QVERIFY(stm32flash({"-f", "-w", imagePath, "-v"}));
    QVERIFY(stm32flash({"-f", "-S", "0x0801FC00", "-w", stampPath, "-v"}));
    QVERIFY(stm32flash({"-S", QStringLiteral("0x08000000:%1").arg(image.size()), "-r", readPath}));
    QFile read(readPath);
    QVERIFY(read.open(QIODevice::ReadOnly));
    QCOMPARE(read.readAll(), image);
    QVERIFY(stm32flash({"-g", "0x08000000"}));

    // Started from the flash, the pedal's firmware answers on 8N1 with the stamped version.
    QSerialPort port;
    port.setPortName(pedal_->hostEnd());
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    port.setBaudRate(115200);
    port.write(QByteArray::fromHex("0200"));
    QByteArray reply;
    const QDeadlineTimer deadline(5000);
    while (reply.count('\r') < 107 && !deadline.hasExpired()) {
        port.waitForReadyRead(100);
        reply += port.readAll();
    }
    QCOMPARE(reply.count('\r'), 107);
    QVERIFY2(reply.startsWith("17\r\n"), reply.left(20).constData());
}

QTEST_GUILESS_MAIN(TestStm32flash)
#include "tst_stm32flash.moc"
