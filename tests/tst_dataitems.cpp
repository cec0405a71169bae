#include "data/DataItems.h"
#include "editor/Dial.h"
#include "editor/Switch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QVBoxLayout>
#include <QtEndian>

namespace {

struct EffectImage {
    const char* name;
    int size;
};

const EffectImage kEffectImages[] = {
    {"QUARNEL_MK3_0008", 4640}, {"QUARNEL_MK3_0009", 4672}, {"QUARNEL_MK3_0010", 4544},
    {"QUARNEL_MK3_0011", 4544}, {"QUARNEL_MK3_0012", 4512}, {"QUARNEL_MK3_0013", 4352},
    {"QUARNEL_MK3_0014", 4352}, {"QUARNEL_MK3_0015", 4256},
};

struct FirmwareImage {
    const char* name;
    int size;
};

const FirmwareImage kFirmwareImages[] = {
    {"FIRMWARE_5", 53840},  {"FIRMWARE_6", 53640},  {"FIRMWARE_7", 53700},  {"FIRMWARE_8", 50720},
    {"FIRMWARE_9", 51152},  {"FIRMWARE_10", 51472}, {"FIRMWARE_11", 52376}, {"FIRMWARE_12", 53136},
    {"FIRMWARE_13", 53152}, {"FIRMWARE_14", 53400}, {"FIRMWARE_15", 53544}, {"FIRMWARE_16", 53880},
    {"FIRMWARE_17", 53856},
};

QByteArray item(const QString& name)
{
    bool ok = false;
    const QByteArray b = DataItems::bytes(name, &ok);
    if (!ok)
        qWarning("no data item %s", qPrintable(name));
    return b;
}

quint16 addressWord(const QByteArray& image, int word)
{
    return qFromBigEndian<quint16>(image.constData() + 3 + 2 * word);
}

// Warnings raised while a look is applied and used.
QStringList g_warnings;
QtMessageHandler g_previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        g_warnings << message;
    g_previousHandler(type, context, message);
}

} // namespace

class TestDataItems : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyItemIsThere_data();
    void everyItemIsThere();
    void catalogueText();
    void effectImages_data();
    void effectImages();
    void addressTables();
    void firmwareImages_data();
    void firmwareImages();
    void iconIsCarried();
    void looksApplyCleanly_data();
    void looksApplyCleanly();
    void everyLookHasItsOwnColours();
};

void TestDataItems::everyItemIsThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("octave") << QStringLiteral("octave");
    for (const EffectImage& e : kEffectImages)
        QTest::newRow(e.name) << QString::fromLatin1(e.name);
    for (const FirmwareImage& f : kFirmwareImages)
        QTest::newRow(f.name) << QString::fromLatin1(f.name);
    for (int i = 0; i < 8; ++i)
        QTest::newRow(qPrintable(QStringLiteral("STYLE_%1").arg(i))) << QStringLiteral("STYLE_%1").arg(i);
}

void TestDataItems::everyItemIsThere()
{
    QFETCH(QString, name);
    QVERIFY2(DataItems::names().contains(name), qPrintable(DataItems::names().join(QLatin1Char(' '))));
    bool ok = false;
    const QByteArray exact = DataItems::bytes(name, &ok);
    QVERIFY(ok);
    QVERIFY(!exact.isEmpty());
    // The program asks for items in whatever case its names were formed in.
    QCOMPARE(DataItems::bytes(name.toLower(), &ok), exact);
    QVERIFY(ok);
    QCOMPARE(DataItems::bytes(name.toUpper(), &ok), exact);
    QVERIFY(ok);
}

void TestDataItems::catalogueText()
{
    QCOMPARE(item(QStringLiteral("octave")), QByteArray("Quarnel MK3 0015\r\n"));
    QCOMPARE(DataItems::bytes(QStringLiteral("Quarnel_MK3_0015")), item(QStringLiteral("quarnel_mk3_0015")));
}

void TestDataItems::effectImages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    for (const EffectImage& e : kEffectImages)
        QTest::newRow(e.name) << QString::fromLatin1(e.name) << e.size;
}

void TestDataItems::effectImages()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    const QByteArray text = item(name);

    // One line of upper-case hexadecimal digits, nothing after it.
    QCOMPARE(text.size(), 2 * size);
    for (char ch : text)
        QVERIFY2((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'), qPrintable(QString(QLatin1Char(ch))));

    const QByteArray image = QByteArray::fromHex(text);
    QCOMPARE(image.size(), size);
    QCOMPARE(size % 32, 0);
    const int length = (quint8(image[0]) << 16) | (quint8(image[1]) << 8) | quint8(image[2]);
    QCOMPARE(length, size);
    QCOMPARE(image.right(16), QByteArray(16, '\0'));
}

void TestDataItems::addressTables()
{
    const QByteArray newest = QByteArray::fromHex(item(QStringLiteral("QUARNEL_MK3_0015")));
    QCOMPARE(newest.left(3), QByteArray::fromHex("0010A0"));
    QCOMPARE(addressWord(newest, 0), quint16(0x0027));  // Dry
    QCOMPARE(addressWord(newest, 14), quint16(0x00E7)); // Wave Clip
    QCOMPARE(addressWord(newest, 21), quint16(0x00AE)); // Attack

#ifdef QUARNEL_PLACEHOLDER_IMAGES
    // The stand-ins give every parameter of the newest effect its own address,
    // and the older ones lack the five newest parameters, as the real ones do.
    QSet<quint16> seen;
    for (int w = 0; w < 22; ++w) {
        const quint16 a = addressWord(newest, w);
        QVERIFY2(a != 0 && !seen.contains(a), qPrintable(QString::number(w)));
        seen.insert(a);
    }
    for (const EffectImage& e : kEffectImages) {
        if (QByteArray(e.name) == "QUARNEL_MK3_0015")
            continue;
        const QByteArray older = QByteArray::fromHex(item(QString::fromLatin1(e.name)));
        for (int w = 0; w < 22; ++w)
            QCOMPARE(addressWord(older, w) == 0, w >= 17);
    }
    // Each algorithm has its own content.
    QVERIFY(item(QStringLiteral("QUARNEL_MK3_0013")).mid(94) != item(QStringLiteral("QUARNEL_MK3_0014")).mid(94));
#endif
}

void TestDataItems::firmwareImages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    for (const FirmwareImage& f : kFirmwareImages)
        QTest::newRow(f.name) << QString::fromLatin1(f.name) << f.size;
}

void TestDataItems::firmwareImages()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    const QByteArray image = item(name);
    QCOMPARE(image.size(), size);

    // The processor starts from the vector table at the image's start.
    const quint32 stack = qFromLittleEndian<quint32>(image.constData());
    const quint32 reset = qFromLittleEndian<quint32>(image.constData() + 4);
    QCOMPARE(stack, 0x20005000u);
    QVERIFY2(reset & 1u, "reset handler must be Thumb code");
    const quint32 offset = (reset & ~1u) - 0x08000000u;
    QVERIFY2(reset >= 0x08000000u && offset < quint32(size), qPrintable(QString::number(reset, 16)));
}

void TestDataItems::iconIsCarried()
{
    QFile icon(QStringLiteral(":/icons/quarnel-editor.svg"));
    QVERIFY(icon.open(QIODevice::ReadOnly));
    const QByteArray svg = icon.readAll();
    QVERIFY(svg.contains("<svg"));
    QVERIFY(svg.contains("</svg>"));
}

void TestDataItems::looksApplyCleanly_data()
{
    QTest::addColumn<QString>("name");
    for (int i = 0; i < 8; ++i)
        QTest::newRow(qPrintable(QStringLiteral("STYLE_%1").arg(i))) << QStringLiteral("STYLE_%1").arg(i);
}

void TestDataItems::looksApplyCleanly()
{
    QFETCH(QString, name);
    const QString sheet = QString::fromUtf8(item(name));
    QVERIFY(!sheet.trimmed().isEmpty());

    // Every kind of control the windows use, including the effect window's
    // own widgets, so that every rule of the sheet is parsed and matched.
    QMainWindow main;
    main.setObjectName(QStringLiteral("formMain"));
    QMenu* menu = main.menuBar()->addMenu(QStringLiteral("Look"));
    menu->addAction(QStringLiteral("RED"))->setCheckable(true);
    menu->addAction(QStringLiteral("Disabled"))->setEnabled(false);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QPushButton(QStringLiteral("Request")));
    auto* disabledButton = new QPushButton(QStringLiteral("Upload"));
    disabledButton->setEnabled(false);
    layout->addWidget(disabledButton);
    layout->addWidget(new QLabel(QStringLiteral("label")));
    auto* list = new QListWidget;
    list->addItems({QStringLiteral("Quarnel MK3 0015"), QStringLiteral("other")});
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* combo = new QComboBox;
    combo->addItems({QStringLiteral("Not Assigned"), QStringLiteral("Input Level")});
    layout->addWidget(combo);
    layout->addWidget(new QCheckBox(QStringLiteral("Dominant Notes Cut")));
    layout->addWidget(new QRadioButton(QStringLiteral("Bypass")));
    auto* progress = new QProgressBar;
    progress->setValue(40);
    layout->addWidget(progress);
    auto* log = new QPlainTextEdit(QStringLiteral("********************REQUEST********************"));
    log->setReadOnly(true);
    layout->addWidget(log);
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("Rectangle1"));
    frame->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(frame);
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);
    main.setCentralWidget(central);

    QWidget effects;
    effects.setObjectName(QStringLiteral("formFXsettings"));
    auto* fxLayout = new QVBoxLayout(&effects);
    auto* dial = new Dial;
    auto* sw = new Switch;
    fxLayout->addWidget(dial);
    fxLayout->addWidget(sw);
    fxLayout->addWidget(new QLabel(QStringLiteral("Dry")));

    QDialog dialog;
    dialog.setObjectName(QStringLiteral("formFirmwareUpgrade"));
    QMessageBox box(QMessageBox::Information, QString(), QStringLiteral("Firmware Upgrade Complete"));

    const Dial plainDial;
    const Switch plainSwitch;

    g_warnings.clear();
    g_previousHandler = qInstallMessageHandler(collectWarnings);
    qApp->setStyleSheet(sheet);
    // Rendering polishes every widget, which is when the sheet is parsed and
    // its rules and properties are applied.
    for (QWidget* w : std::initializer_list<QWidget*>{&main, &effects, &dialog, &box})
        w->grab();
    menu->grab();
    combo->view()->grab();
    qInstallMessageHandler(g_previousHandler);
    qApp->setStyleSheet(QString());

    QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(QLatin1Char('\n'))));
    // Each look dresses the knobs and switches in its own colours.
    QVERIFY(dial->knobColor() != plainDial.knobColor() || dial->litColor() != plainDial.litColor());
    QVERIFY(sw->ledOnColor() != plainSwitch.ledOnColor() || sw->trackColor() != plainSwitch.trackColor());
}

void TestDataItems::everyLookHasItsOwnColours()
{
    // The looks are composed from one template, so a slip in composing shows
    // as two looks alike; the header comments name the look and do not count.
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QStringList rules;
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("STYLE_%1").arg(i);
        const QString own = QString::fromUtf8(item(name)).remove(comment);
        QVERIFY2(!own.trimmed().isEmpty(), qPrintable(name));
        const qsizetype same = rules.indexOf(own);
        QVERIFY2(same < 0, qPrintable(QStringLiteral("%1 has the rules of STYLE_%2").arg(name).arg(same)));
        rules << own;
    }
}

QTEST_MAIN(TestDataItems)
#include "tst_dataitems.moc"
