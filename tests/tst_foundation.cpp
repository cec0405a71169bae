// Start-up, the files folder and its settings files, the looks, the log file
// at close, and the main window as the user first sees it.

#include "EditorFixture.h"
#include "NamedPipe.h"

#include "app/ControlText.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "app/Looks.h"
#include "effects/EffectUploadHandler.h"
#include "update/UpdateCheckHandler.h"
#include "app/Editor.h"
#include "session/PedalSession.h"
#include "app/MainWindowFirst.h"
#include "console/PrintConsole.h"
#include "editor/FXsettings.h"
#include "firmware/FirmwareUpgrade.h"
#include "tracking/NoteTrackingFilter.h"
#include "update/NewVersionMsg.h"
#include "update/UpdateUpdaterUnit.h"
#include "ui_FormMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString stylePath(EditorFixture& fx)
{
    return QDir(fx.documents.path()).filePath(QStringLiteral("TERVO/style.txt"));
}
} // namespace

class TestFoundation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartOnEmptyDocuments();
    void chosenLookIsRememberedAcrossStarts();
    void unusableStyleFileGivesDefaultLook_data();
    void unusableStyleFileGivesDefaultLook();
    void showUpdateMessageFile_data();
    void showUpdateMessageFile();
    void reportUsbErrorsItemRewritesItsFile();
    void pipesInPlaceOfTheFilesAreLeftAlone_data();
    void pipesInPlaceOfTheFilesAreLeftAlone();
    void logIsTrimmedAboveItsLimit_data();
    void logIsTrimmedAboveItsLimit();
    void closeAppendsTheConsoleBlock_data();
    void closeAppendsTheConsoleBlock();
    void closeSaysWhenTheLogIsLost_data();
    void closeSaysWhenTheLogIsLost();
    void menuItems_data();
    void menuItems();
    void controls_data();
    void controls();
    void windowsAtStart();
    void mainWindowIsPaintedBeforeTheOthersAreBuilt();
    void firstPaintAfterTheOthersIsStillReported();
    void userActionBeforeTheOtherWindowsBuildsThemFirst_data();
    void userActionBeforeTheOtherWindowsBuildsThemFirst();
    void keysShowConsoleAndOpenFilesFolder();
    void captionsFitTheirControlsInEveryLook_data();
    void captionsFitTheirControlsInEveryLook();
};

void TestFoundation::firstStartOnEmptyDocuments()
{
    EditorFixture fx;
    fx.start();
    QVERIFY(QFileInfo(fx.filesPath(QString())).isDir());
    QCOMPARE(readAll(fx.filesPath(QStringLiteral("ShowMessageVersionAtStartup.txt"))), QByteArray("YES"));
    QCOMPARE(readAll(fx.filesPath(QStringLiteral("ReportUSBErrors.txt"))), QByteArray("YES"));
    QVERIFY(QFileInfo::exists(fx.filesPath(QStringLiteral("log.txt"))));
    QCOMPARE(QFileInfo(fx.filesPath(QStringLiteral("log.txt"))).size(), 0);
    QCOMPARE(fx.editor().looks->currentTheme(), QStringLiteral("Style_0"));
    QVERIFY(!QFileInfo::exists(stylePath(fx)));
    QVERIFY(fx.dialogs.texts().isEmpty());
    QVERIFY(fx.main().ui->menuShowUpdateMsg->isChecked());
    QVERIFY(fx.main().ui->menuReportUSBErrors->isChecked());
}

void TestFoundation::chosenLookIsRememberedAcrossStarts()
{
    QTemporaryDir shared;
    {
        EditorFixture fx;
        fx.places = FixedPlaces(shared.path());
        fx.start();
        QList<QAction*> looks = fx.main().ui->menuLook->actions();
        QCOMPARE(looks.size(), 7);
        looks.at(3)->trigger(); // "BLUE"
        QCOMPARE(readAll(QDir(shared.path()).filePath(QStringLiteral("TERVO/style.txt"))), QByteArray("3"));
        QCOMPARE(fx.editor().looks->currentTheme(), QStringLiteral("Style_3"));
    }
    EditorFixture again;
    again.places = FixedPlaces(shared.path());
    again.start();
    QCOMPARE(again.editor().looks->currentTheme(), QStringLiteral("Style_3"));
    QVERIFY(!qApp->styleSheet().isEmpty());
}

void TestFoundation::unusableStyleFileGivesDefaultLook_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("theme");
    QTest::newRow("plain number") << QByteArray("5") << QStringLiteral("Style_5");
    QTest::newRow("hidden look") << QByteArray("7") << QStringLiteral("Style_7");
    QTest::newRow("no such look") << QByteArray("9") << QStringLiteral("Style_0");
    QTest::newRow("word") << QByteArray("BLUE") << QStringLiteral("Style_0");
    QTest::newRow("negative") << QByteArray("-1") << QStringLiteral("Style_0");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("Style_0");
    QTest::newRow("huge") << QByteArray("99999999999999999999") << QStringLiteral("Style_0");
}

void TestFoundation::unusableStyleFileGivesDefaultLook()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, theme);
    EditorFixture fx;
    writeAll(stylePath(fx), content);
    fx.start();
    QCOMPARE(fx.editor().looks->currentTheme(), theme);
    QCOMPARE(readAll(stylePath(fx)), content); // left as the user made it
}

void TestFoundation::showUpdateMessageFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("checked");
    QTest::newRow("YES") << QByteArray("YES") << true;
    QTest::newRow("NO") << QByteArray("NO") << false;
    QTest::newRow("lower case") << QByteArray("no") << true;
    QTest::newRow("line break") << QByteArray("NO\r\n") << true;
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFNO") << false;
}

void TestFoundation::showUpdateMessageFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, checked);
    EditorFixture fx;
    writeAll(fx.filesPath(QStringLiteral("ShowMessageVersionAtStartup.txt")), content);
    fx.start();
    QCOMPARE(fx.main().ui->menuShowUpdateMsg->isChecked(), checked);
    QCOMPARE(fx.editor().functions->showUpdateMessage, checked);
    QCOMPARE(readAll(fx.filesPath(QStringLiteral("ShowMessageVersionAtStartup.txt"))), content);
}

void TestFoundation::reportUsbErrorsItemRewritesItsFile()
{
    EditorFixture fx;
    fx.start();
    const QString file = fx.filesPath(QStringLiteral("ReportUSBErrors.txt"));
    QAction* item = fx.main().ui->menuReportUSBErrors;
    item->trigger();
    QCOMPARE(readAll(file), QByteArray("NO"));
    item->trigger();
    QCOMPARE(readAll(file), QByteArray("YES"));
    QFile::remove(file);
    item->trigger();
    QVERIFY(!QFileInfo::exists(file));
}

void TestFoundation::pipesInPlaceOfTheFilesAreLeftAlone_data()
{
    QTest::addColumn<QString>("name"); // under Documents/TERVO
    QTest::newRow("style.txt") << "style.txt";
    QTest::newRow("ShowMessageVersionAtStartup.txt") << "Quarnel MK3/ShowMessageVersionAtStartup.txt";
    QTest::newRow("ReportUSBErrors.txt") << "Quarnel MK3/ReportUSBErrors.txt";
    QTest::newRow("log.txt") << "Quarnel MK3/log.txt";
}

void TestFoundation::pipesInPlaceOfTheFilesAreLeftAlone()
{
    // Opening a named pipe waits for a writer: the main window would never
    // appear. It is ignored like a file with an unexpected word, and said so.
    QFETCH(QString, name);
    EditorFixture fx;
    const QString path = QDir(fx.documents.path()).filePath(QStringLiteral("TERVO/") + name);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    NamedPipe pipe(path);
    if (!pipe.made())
        QSKIP("no named pipes here");
    fx.start();

    QCOMPARE(fx.editor().looks->currentTheme(), QStringLiteral("Style_0"));
    QVERIFY(fx.editor().functions->showUpdateMessage);
    QCOMPARE(fx.editor().functions->reportUSBErrors, !name.endsWith(QLatin1String("ReportUSBErrors.txt")));
    const QString ignored = path + QStringLiteral(" is not a regular file (it is a device, a pipe or a socket)");
    QVERIFY2(fx.log().filter(QStringLiteral("ignored: ") + ignored).size() == 1, qPrintable(fx.log().join('\n')));
    QVERIFY(fx.dialogs.texts().isEmpty());

    // Nor do the writes of a look, of the USB item or of the log at close wait on it.
    fx.editor().looks->lookItems().at(3)->trigger();
    fx.main().ui->menuReportUSBErrors->trigger();
    fx.main().close();
    QVERIFY(!QFileInfo(path).isFile());
}

void TestFoundation::logIsTrimmedAboveItsLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("after");
    QTest::newRow("at the limit") << 4999999 << 4999999;
    QTest::newRow("one byte over") << 5000000 << 0;
}

void TestFoundation::logIsTrimmedAboveItsLimit()
{
    QFETCH(int, size);
    QFETCH(int, after);
    EditorFixture fx;
    writeAll(fx.filesPath(QStringLiteral("log.txt")), QByteArray(size, 'x'));
    fx.start();
    QCOMPARE(QFileInfo(fx.filesPath(QStringLiteral("log.txt"))).size(), after);
}

void TestFoundation::closeAppendsTheConsoleBlock_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("encodedLines");
    QTest::newRow("empty console") << QByteArray("old") << QStringList() << QByteArray();
    QTest::newRow("two lines") << QByteArray() << QStringList{QStringLiteral("first"), QStringLiteral("zweite ü")}
                               << QByteArray("first\r\nzweite \xC3\xBC\r\n");
    QTest::newRow("utf-8 mark kept") << QByteArray("\xEF\xBB\xBFold") << QStringList{QStringLiteral("ü")}
                                     << QByteArray("\xC3\xBC\r\n");
    QTest::newRow("utf-16 file stays utf-16") << QByteArray("\xFF\xFEo\0", 4) << QStringList{QStringLiteral("A")}
                                              << QByteArray("A\0\r\0\n\0", 6);
}

void TestFoundation::closeAppendsTheConsoleBlock()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, encodedLines);
    EditorFixture fx;
    const QString log = fx.filesPath(QStringLiteral("log.txt"));
    writeAll(log, before);
    fx.start();
    for (const QString& line : lines)
        fx.editor().log().logLine(line);
    fx.main().close();

    const QByteArray file = readAll(log);
    QVERIFY(file.startsWith(before));
    QByteArray block = file.mid(before.size());
    const bool wide = before.startsWith("\xFF\xFE");
    if (wide) {
        QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(block.constData()), block.size() / 2);
        QVERIFY(QRegularExpression(QStringLiteral("^\n\n\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d\nA\r\n$"))
                    .match(text)
                    .hasMatch());
        return;
    }
    QCOMPARE(block.left(2), QByteArray("\n\n"));
    const QString stamp = QString::fromLatin1(block.mid(2, 19));
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d$")).match(stamp).hasMatch(),
             qPrintable(stamp));
    QCOMPARE(block.mid(21, 1), QByteArray("\n"));
    QCOMPARE(block.mid(22), encodedLines);
}

void TestFoundation::closeSaysWhenTheLogIsLost_data()
{
    QTest::addColumn<bool>("fullDisk"); // else the files folder is gone
    QTest::newRow("the files folder is gone") << false;
    QTest::newRow("the disk is full") << true;
}

void TestFoundation::closeSaysWhenTheLogIsLost()
{
    QFETCH(bool, fullDisk);
#ifndef Q_OS_UNIX
    if (fullDisk)
        QSKIP("needs a file size limit");
#endif
    EditorFixture fx;
    const QString log = fx.filesPath(QStringLiteral("log.txt"));
    fx.start();
    fx.editor().log().logLine(QString(300, QLatin1Char('x')));
    if (!fullDisk)
        QDir(fx.filesPath(QString())).removeRecursively();
#ifdef Q_OS_UNIX
    // A disk that fills at 100 bytes: the process may write no file larger.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    if (fullDisk)
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
#endif
    fx.main().close(); // must not crash or hang, and says what was lost and why
#ifdef Q_OS_UNIX
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
#endif
    const QStringList shown = fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), 1);
    const QString prefix = QStringLiteral("The log of this run could not be saved to ") + QDir::toNativeSeparators(log)
                           + QStringLiteral(": ");
    QVERIFY2(shown.at(0).startsWith(prefix) && shown.at(0).size() > prefix.size(), qPrintable(shown.at(0)));
    // The short write is seen when it happens, not lost in the flush of the close.
    QVERIFY2(!fullDisk || shown.at(0).contains(QStringLiteral("bytes could be written (is the disk full?)")),
             qPrintable(shown.at(0)));
    QCOMPARE(QFileInfo::exists(log), fullDisk);
}

void TestFoundation::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");
    const auto row = [](const char* name, const char* text, bool visible, bool enabled, bool checked = false) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text) << visible << enabled << checked;
    };
    // Start-up without a pedal, in menu order.
    row("menuFile", "File", true, true);
    row("menuLoadPreset", "Load Local Preset", true, false);
    row("menuSavePreset", "Save Local Preset", true, false);
    row("menuLoadIR", "Load IR", false, false);
    row("menuLoadAlgorithmFromFile", "Load Effect From File", true, false);
    row("menuOpenFilesFolder", "Open Files Folder", true, true);
    row("menuConnection", "Connection", true, true);
    row("menuScan", "Scan And Link", true, true);
    row("menuConnect", "Link", false, true); // a pedal is found at start
    row("menuDisconnect", "Unlink", true, false);
    row("menuSettings", "Settings", true, true);
    row("menuLiveEnable", "Alive Parameters!", false, true);
    row("menuLook", "Look", true, true);
    row("menuMIDI", "MIDI", true, false);
    row("menuMIDIchannel", "Channel", true, true);
    row("menuEnableAllParameters", "Enable All Parameters", false, true);
    row("menuUploadTuningsData", "Upload Tuning Data", true, false);
    row("menuReportUSBErrors", "Report USB Errors", false, true, true);
    row("menuInstrumentRange", "Instrument Range", true, false);
    row("menuStandard", "Standard: Guitar or other instrument with similar range", true, true);
    row("menuLow", "Low: Bass Guitar, Baritone, tuned down guitar etc.", true, true);
    row("menuBypassStatus", "Bypass Status", true, false);
    row("menuStoreBypassStatus", "Store Bypass Status", true, true);
    row("menuDoNotStoreBypassStatus", "Do Not Store Bypass Status", true, true, true);
    row("menuRangeLimit", "Limit Range", false, false);
    row("menuRangeLimitOFF", "Range Limit OFF", true, true);
    row("menuRangeLimitON", "Range Limit ON", true, true);
    row("menuLoadFirstPresetAtStartup", "Load 1st Preset At Power ON", true, false);
    row("menuSetAssignableParamsToDefault", "Set Assignable Parameters to Default", true, false);
    row("menuFirmwareUpgrade", "Firmware Upgrade", true, true);
    row("menuFirmwareUpgradeMode", "Upgrade Mode", true, true);
    row("menuStartFirmwareUpgrade", "Start Firmware Upgrade", false, false);
    row("menuEraseSettings", "Erase Settings", true, false);
    row("menuInfo", "Info", true, true);
    row("menuQuickStart", "Quick Start", false, true);
    row("menuSupport", "Support", true, true);
    row("menuAppVersion", "Editor Version:  1.24", true, false);
    row("menuNewAppVersion", "New version available:", true, false);
    row("menuUpdateNow", "Update Now", true, false);
    row("menuShowUpdateMsg", "Show Update Message", true, true, true);
    row("menuSerialNumber", "Device Serial: QM3V0001", true, false);
    row("menuTroubleshooting", "Troubleshooting", true, true);
}

void TestFoundation::menuItems()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);
    EditorFixture fx;
    fx.start();
    QAction* item = fx.main().item(name);
    QVERIFY2(item, qPrintable(name));
    QCOMPARE(item->text(), text);
    QCOMPARE(item->isVisible(), visible);
    QCOMPARE(fx.main().isEnabledByName(name), enabled);
    QCOMPARE(item->isChecked(), checked);
}

void TestFoundation::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    const auto row = [](const char* name, const char* text, QRect place, double points, bool visible, bool enabled) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text) << place << points << visible
                            << enabled;
    };
    row("lblDeviceName", "Quarnel MK3", QRect(9, 32, 174, 17), 11, true, true);
    row("lblFirmwareVersion", "Device Firmware:", QRect(9, 48, 144, 20), 11, true, true);
    row("lblAlgorithmVersion", "Device Algorithm:", QRect(9, 66, 133, 17), 11, true, true);
    row("lblStatus", "Status: ", QRect(9, 84, 174, 17), 11, true, true);
    row("btnUpload", "Upload Audio Algorithm", QRect(9, 103, 86, 33), 11, true, false);
    row("btnRequest", "Request", QRect(108, 103, 86, 33), 11, true, false);
    row("btnSaveParameters", "Save Parameters", QRect(8, 144, 87, 33), 11, true, false);
    // At 71, 0 inside "Save Parameters", on top of it, and usable while that button is not.
    row("btnSaveParametersInfo", "i", QRect(79, 144, 16, 18), 11, true, true);
    row("btnAssign", "Assign", QRect(108, 144, 86, 33), 11, true, false);
    row("btnSetFootswitchMode", "Set Footswitch Mode", QRect(9, 185, 86, 31), 10.5, true, false);
    row("btnSetTuning", "Set Tuning", QRect(108, 185, 86, 31), 10.5, true, false);
    row("lstEffects", "", QRect(202, 32, 143, 168), 11, true, true);
    row("btnGetFXInfo", "?", QRect(320, 6, 24, 22), 11, false, false);
    row("chkFirmwareUpgradeMode", "Firmware Upgrade Mode", QRect(202, 6, 160, 20), 11, false, true);
}

void TestFoundation::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, place);
    QFETCH(double, points);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    EditorFixture fx;
    fx.start();
    fx.main().show();
    QWidget* w = fx.main().control(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), place);
    QCOMPARE(w->font().family(), QStringLiteral("Arial"));
    QCOMPARE(w->font().pointSizeF(), points * 0.75); // sizes in 1/96 inch
    QCOMPARE(w->isVisible(), visible);
    QCOMPARE(w->isEnabled(), enabled);
    if (!text.isEmpty())
        QCOMPARE(w->property("text").toString(), text);
}

void TestFoundation::windowsAtStart()
{
    EditorFixture fx;
    fx.start();
    Editor& e = fx.editor();
    const QList<QPair<QWidget*, QString>> windows = {
        {e.formMain, QStringLiteral("Quarnel Editor")},
        {static_cast<QWidget*>(e.formFirmwareUpgrade), QStringLiteral("Firmware Upgrade")},
        {e.formPrint, QStringLiteral("Debug Console")},
        {static_cast<QWidget*>(e.formFXsettings), QStringLiteral("Form1")},
        {static_cast<QWidget*>(e.formNoteTrackingFilter), QStringLiteral("Note Cut")},
        {static_cast<QWidget*>(e.formNewVersionMsg), QStringLiteral("New Version")},
        {static_cast<QWidget*>(e.formUpdateUpdater), QStringLiteral("UpdateUpdater")},
    };
    for (const auto& [window, caption] : windows) {
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), caption);
        QVERIFY(!window->isVisible());
    }
    QCOMPARE(e.formMain->ui->centralWidget->size(), QSize(356, 228));
    QCOMPARE(e.formMain->pos(), QPoint(37, 31));
    QCOMPARE(e.formPrint->size(), QSize(508, 676));
    QCOMPARE(e.formPrint->pos(), QPoint(1075, 0));
    for (QTimer* t : {&e.session->readTimer(), &e.session->uploadWatchdog()})
        QVERIFY(!t->isActive());
    QCOMPARE(e.session->readTimer().interval(), 50);
    QCOMPARE(e.session->uploadWatchdog().interval(), 7000);
    QCOMPARE(e.updateCheck->TimerCheckWebVersion.interval(), 1000);
    QCOMPARE(e.formMain->SaveDialog1.title, QStringLiteral("Save Preset File"));
    QCOMPARE(e.formMain->SaveDialog1.filter, QStringLiteral("Text file (*.txt)"));
    QCOMPARE(e.formMain->SaveDialog1.defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(e.effectUpload->OpenDialog1.filter, QStringLiteral("Dat files (*.dat)"));
    QCOMPARE(e.formMain->ui->btnSaveParameters->toolTip(),
             QStringLiteral("Saves current status of assignable parameters to pedal."));
    QCOMPARE(e.formMain->ui->lblFirmwareVersion->toolTip(),
             QStringLiteral("Shows which firmware is currently installed on the pedal"));
    QVERIFY(fx.log().isEmpty()); // nothing of the start-up is logged
}

void TestFoundation::mainWindowIsPaintedBeforeTheOthersAreBuilt()
{
    EditorFixture fx;
    fx.mainWindowFirst = true;
    fx.start();
    Editor& e = fx.editor();
    e.log().logLine(QStringLiteral("before the console"));
    QVERIFY(!e.formPrint && !e.formFXsettings && !e.formPresetLibrary);

    QApplication::setWindowIcon(QIcon());
    MainWindowFirst startUp(e);
    QStringList order;
    connect(&startUp, &MainWindowFirst::mainWindowShown, this, [&] {
        order << (e.allWindowsCreated() ? QStringLiteral("shown after") : QStringLiteral("shown"));
    });
    connect(&startUp, &MainWindowFirst::ready, this, [&] {
        order << (QApplication::windowIcon().isNull() ? QStringLiteral("ready without icon") : QStringLiteral("ready"));
    });
    startUp.start();
    QVERIFY(!e.allWindowsCreated()); // nothing is built before the event loop paints
    QTRY_VERIFY(e.allWindowsCreated());
    QCOMPARE(order, (QStringList{QStringLiteral("shown"), QStringLiteral("ready")}));
    QVERIFY(e.formMain->isVisible());
    QVERIFY(!e.formFXsettings->isVisible());
    // What was logged before the console existed is in it.
    QCOMPARE(fx.log(), QStringList{QStringLiteral("before the console")});
}

void TestFoundation::firstPaintAfterTheOthersIsStillReported()
{
    // On a slow machine the fallback may build the windows before the first
    // paint; whoever waits for the window to be shown must still hear of it.
    EditorFixture fx;
    fx.mainWindowFirst = true;
    fx.start();
    MainWindowFirst startUp(fx.editor());
    QSignalSpy shown(&startUp, &MainWindowFirst::mainWindowShown);
    QSignalSpy ready(&startUp, &MainWindowFirst::ready);
    startUp.start();
    startUp.finish(); // what the fallback does
    QCOMPARE(ready.count(), 1);
    QVERIFY(fx.editor().allWindowsCreated());
    QTRY_COMPARE(shown.count(), 1);
    QCOMPARE(ready.count(), 1);
}

void TestFoundation::userActionBeforeTheOtherWindowsBuildsThemFirst_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("key") << int(QEvent::KeyPress);
    QTest::newRow("click") << int(QEvent::MouseButtonPress);
    QTest::newRow("close") << int(QEvent::Close);
}

void TestFoundation::userActionBeforeTheOtherWindowsBuildsThemFirst()
{
    QFETCH(int, type);
    EditorFixture fx;
    fx.mainWindowFirst = true;
    fx.start();
    Editor& e = fx.editor();
    MainWindowFirst startUp(e);
    startUp.start();
    QVERIFY(!e.allWindowsCreated());

    // A handler behind the action may reach any window: they exist by the
    // time the action is delivered.
    bool builtWhenDelivered = false;
    struct Probe : QObject {
        Editor* editor;
        bool* built;
        int type;
        bool eventFilter(QObject*, QEvent* ev) override
        {
            if (ev->type() == type)
                *built = editor->allWindowsCreated();
            return false;
        }
    } probe;
    probe.editor = &e;
    probe.built = &builtWhenDelivered;
    probe.type = type;
    e.formMain->installEventFilter(&probe);

    std::unique_ptr<QEvent> ev;
    if (type == QEvent::KeyPress)
        ev = std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    else if (type == QEvent::MouseButtonPress)
        ev = std::make_unique<QMouseEvent>(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                                           Qt::LeftButton, Qt::NoModifier);
    else
        ev = std::make_unique<QCloseEvent>();
    QCoreApplication::sendEvent(e.formMain, ev.get());
    QVERIFY(builtWhenDelivered);
}

void TestFoundation::keysShowConsoleAndOpenFilesFolder()
{
    EditorFixture fx;
    fx.start();
    fx.main().show();
    QVERIFY(QTest::qWaitForWindowExposed(&fx.main()));
    QTest::keyClick(&fx.main(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(fx.console().isVisible());
    fx.editor().log().logLine(QStringLiteral("kept"));
    fx.console().close();
    QTest::keyClick(&fx.main(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(fx.console().isVisible());
    QCOMPARE(fx.console().lines(), QStringList{QStringLiteral("kept")});

    fx.main().ui->menuOpenFilesFolder->trigger();
    QCOMPARE(fx.shell.calls, QStringList{QStringLiteral("openFolder ") + fx.editor().functions->filesFolder()});
}

void TestFoundation::captionsFitTheirControlsInEveryLook_data()
{
    QTest::addColumn<int>("look");
    for (int k = 0; k < 8; ++k)
        QTest::newRow(qPrintable(QStringLiteral("Style_%1").arg(k))) << k;
}

void TestFoundation::captionsFitTheirControlsInEveryLook()
{
    // Measured, not looked at: the room each fixed-size control's look leaves
    // its caption, against the caption in the control's font on this platform.
    QFETCH(int, look);
    EditorFixture fx;
    fx.start();
    QVERIFY(fx.editor().looks->applyTheme(QStringLiteral("Style_%1").arg(look)));
    Editor& e = fx.editor();
    QCOMPARE(e.windows().size(), 8);
    QStringList cut;
    int measured = 0;
    for (const QWidget* window : e.windows()) {
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            const std::optional<ControlText::Fit> fit = ControlText::captionFit(control);
            if (!fit)
                continue;
            ++measured;
            if (!fit->fits())
                cut << QStringLiteral("%1.%2 needs %3 px, has %4")
                           .arg(window->objectName(), control->objectName())
                           .arg(fit->needed)
                           .arg(fit->available);
        }
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    QVERIFY(measured > 50);
    const PrintConsole& console = *e.formPrint;
    for (const char* name : {"btnEraseEeprom", "btnReadEEPROM"})
        QVERIFY(ControlText::captionFit(console.findChild<QWidget*>(QLatin1String(name))));
}

QTEST_MAIN(TestFoundation)
#include "tst_foundation.moc"
