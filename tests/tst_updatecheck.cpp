// The version check at start, the Info menu, the new-version window and the
// hand-over to the updater, on a whole editor talking to a web server inside
// the test.

#include "EditorFixture.h"
#include "LoopbackHttpServer.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "app/FunctionsUnit.h"
#include "ui_FormMain.h"
#include "ui_NewVersionMsg.h"
#include "update/NewVersionMsg.h"
#include "update/UpdateCheckHandler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(LoopbackHttpServer::Answer)

namespace {
const QString kVersionPage = QStringLiteral("/download/quarnel-editor-version.php");
const QString kUpdaterVersionPage = QStringLiteral("/download/update/Quarnel_Win_Updater_Version.php");
const QString kUpdaterDownload = QStringLiteral("/download/update/Quarnel_Win_Updater.exe");
const QString kQuestion =
    QStringLiteral("This action will update the Quarnel Editor to the latest version. Do you want to continue?");
const QString kDownloaded = QStringLiteral("New updater downloaded! Click OK to proceed with the update.");
// Rows name the download's place by this word; the test puts in the path.
const QString kNoUpdater =
    QStringLiteral("The new updater was downloaded to DOWNLOAD, but there is no updater (Quarnel_Win_Updater.exe) "
                   "beside the editor to install it, so the update stops here. Rename the download to "
                   "Quarnel_Win_Updater.exe, then choose Update Now again.");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Sets the server's address for the editors started while it lives.
class ServerAddress {
public:
    explicit ServerAddress(const QString& address)
    {
        qputenv("QUARNEL_UPDATE_BASE_URL", address.toUtf8());
    }
    ~ServerAddress() { qunsetenv("QUARNEL_UPDATE_BASE_URL"); }
};

// An editor, the maker's server on this computer, and a program folder of
// its own with an updater of a chosen version.
struct Rig {
    LoopbackHttpServer server;
    QTemporaryDir programFolder;
    QTemporaryDir tempFolder;
    EditorFixture fx;
    QString localUpdaterVersion;

    void start(const QString& address, bool hasUpdater = true)
    {
        const ServerAddress configured(address);
        fx.start();
        UpdateSetup& setup = fx.editor().updateCheck->setup();
        setup.hasUpdater = hasUpdater;
        setup.programFolder = programFolder.path();
        setup.programPath = programFolder.filePath(QStringLiteral("quarnel-editor.exe"));
        setup.tempFolder = tempFolder.path();
        setup.fileVersion = [this](const QString&) { return localUpdaterVersion; };
        setup.pageLimits.stallMs = 1500;
        setup.downloadLimits.stallMs = 1500;
    }
    void start(bool hasUpdater = true) { start(server.baseUrl(), hasUpdater); }

    void placeLocalUpdater(const QString& version)
    {
        localUpdaterVersion = version;
        writeAll(programFolder.filePath(QStringLiteral("Quarnel_Win_Updater.exe")), "OLD UPDATER");
    }
    QString downloadPath() const { return programFolder.filePath(QStringLiteral("Quarnel_Win_Updater_Update.exe")); }

    // How the recording shell writes the two starts of the updater.
    QString startWithoutParameters() const
    {
        return QStringLiteral("startProgram (elevated) %1 ")
            .arg(QDir::toNativeSeparators(programFolder.filePath(QStringLiteral("Quarnel_Win_Updater.exe"))));
    }
    QString startWithPaths() const
    {
        return startWithoutParameters()
            + QDir::toNativeSeparators(tempFolder.filePath(QStringLiteral("Quarnel_Editor_Update.exe")))
            + QLatin1Char(' ') + QDir::toNativeSeparators(programFolder.filePath(QStringLiteral("quarnel-editor.exe")));
    }

    // The main window's close writes its block into log.txt; nothing else does.
    bool editorEnded() const { return QFileInfo(fx.filesPath(QStringLiteral("log.txt"))).size() > 0; }

    QAction* item(const char* name) { return fx.main().item(QString::fromLatin1(name)); }
    NewVersionMsg& window() { return *fx.editor().formNewVersionMsg; }
};
} // namespace

class TestUpdateCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void versionCheck_data();
    void versionCheck();
    void checkRunsOnceASecondAfterStart();
    void noUsableServerMeansNoRequest_data();
    void noUsableServerMeansNoRequest();
    void infoMenuLogsTheEditorVersion();
    void pagesOpenInTheBrowser_data();
    void pagesOpenInTheBrowser();
    void showUpdateMessageChoices_data();
    void showUpdateMessageChoices();
    void updateProcedure_data();
    void updateProcedure();
    void secondUpdateNowDuringAWaitIsIgnored();
    void withoutUpdaterUpdateNowOpensWhatsNew_data();
    void withoutUpdaterUpdateNowOpensWhatsNew();
};

void TestUpdateCheck::versionCheck_data()
{
    QTest::addColumn<LoopbackHttpServer::Answer>("answer");
    QTest::addColumn<QString>("editorVersion");
    QTest::addColumn<QByteArray>("showMessageFile");
    QTest::addColumn<QString>("menuText");
    QTest::addColumn<bool>("updateNow");
    QTest::addColumn<bool>("window");
    QTest::addColumn<QString>("box");

    const QString unchanged = QStringLiteral("New version available:");
    QTest::newRow("newer") << LoopbackHttpServer::ok("1.25") << "1.24" << QByteArray("YES")
                           << "New version available: 1.25" << true << true << QString();
    QTest::newRow("newer, with a line break") << LoopbackHttpServer::ok("1.25\r\n") << "1.24" << QByteArray("YES")
                                              << "New version available: 1.25" << true << true << QString();
    QTest::newRow("newer, message turned off") << LoopbackHttpServer::ok("1.25") << "1.24" << QByteArray("NO")
                                               << "New version available: 1.25" << true << false << QString();
    QTest::newRow("same") << LoopbackHttpServer::ok("1.24") << "1.24" << QByteArray("YES") << "No update available"
                          << false << false << QString();
    QTest::newRow("1.10 against 2.0") << LoopbackHttpServer::ok("1.10") << "2.0" << QByteArray("YES")
                                      << "No update available" << false << false << QString();
    QTest::newRow("not a version") << LoopbackHttpServer::ok("<html>Maintenance</html>") << "1.24"
                                   << QByteArray("YES") << unchanged << false << false
                                   << "Error: the server's version is not a version number";
    QTest::newRow("404") << LoopbackHttpServer::status(404, "Not Found") << "1.24" << QByteArray("YES") << unchanged
                         << false << false << "Error: Not Found";
    QTest::newRow("500") << LoopbackHttpServer::status(500, "Internal Server Error") << "1.24" << QByteArray("YES")
                         << unchanged << false << false << "Error: Internal Server Error";
    QTest::newRow("no answer") << LoopbackHttpServer::silent() << "1.24" << QByteArray("YES") << unchanged << false
                               << false << "Error: the server did not answer in time";
    LoopbackHttpServer::Answer loop = LoopbackHttpServer::status(302, "Found");
    loop.location = kVersionPage.toLatin1();
    QTest::newRow("a redirect loop") << loop << "1.24" << QByteArray("YES") << unchanged << false << false
                                     << "Error: the server redirected too often";
}

void TestUpdateCheck::versionCheck()
{
    QFETCH(LoopbackHttpServer::Answer, answer);
    QFETCH(QString, editorVersion);
    QFETCH(QByteArray, showMessageFile);
    QFETCH(QString, menuText);
    QFETCH(bool, updateNow);
    QFETCH(bool, window);
    QFETCH(QString, box);
    Rig rig;
    QDir().mkpath(rig.fx.filesPath(QString()));
    writeAll(rig.fx.filesPath(QStringLiteral("ShowMessageVersionAtStartup.txt")), showMessageFile);
    rig.server.serve(kVersionPage, answer);
    rig.start();
    rig.fx.editor().updateCheck->setup().editorVersion = editorVersion;
    rig.fx.editor().updateCheck->setup().pageLimits.stallMs = 300;

    rig.fx.editor().updateCheck->TimerCheckWebVersionTimer();

    // The one page; asked again only by the server's own redirects.
    const QStringList asked = rig.server.requests();
    QCOMPARE(asked.count(kVersionPage), asked.size());
    QVERIFY(!asked.isEmpty());
    if (answer.location.isEmpty())
        QCOMPARE(asked.size(), 1);
    QCOMPARE(rig.item("menuNewAppVersion")->text(), menuText);
    QCOMPARE(rig.fx.main().isEnabledByName(QStringLiteral("menuUpdateNow")), updateNow);
    QCOMPARE(rig.window().isVisible(), window);
    QCOMPARE(rig.fx.dialogs.informationTexts(), box.isEmpty() ? QStringList() : QStringList{box});
    if (box.isEmpty()) {
        const QString newest = QString::fromLatin1(answer.body).trimmed();
        QCOMPARE(rig.fx.log(), (QStringList{QStringLiteral("currentAppVersion: ") + editorVersion,
                                            QStringLiteral("newAppVersion: ") + newest}));
    }
    if (window) {
        const Ui::formNewVersionMsg& ui = *rig.window().ui;
        QCOMPARE(rig.window().windowTitle(), QStringLiteral("New Version"));
        QCOMPARE(rig.window().size(), QSize(268, 152));
        QCOMPARE(ui.Label1->text(), QStringLiteral("A new version of the Quarnel Editor is available"));
        QCOMPARE(ui.Label2->text(), QStringLiteral("Your version: 1.24     New version: 1.25"));
        QCOMPARE(ui.btnLaunchUpdate->text(), QStringLiteral("Update Now"));
        QCOMPARE(ui.btnSeeWhatsNew->text(), QStringLiteral("What's New?"));
        QCOMPARE(ui.CheckBox1->text(), QStringLiteral("Don't Show This Message Again"));
        QVERIFY(!rig.window().isModal());
    }
    QVERIFY(!rig.editorEnded());
}

void TestUpdateCheck::checkRunsOnceASecondAfterStart()
{
    Rig rig;
    rig.fx.webVersionCheck = true;
    rig.server.serve(kVersionPage, LoopbackHttpServer::ok("1.25"));
    rig.start();
    QTimer& timer = rig.fx.editor().updateCheck->TimerCheckWebVersion;
    QVERIFY(timer.isActive());
    QCOMPARE(timer.interval(), 1000);
    QVERIFY(rig.server.requests().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(rig.item("menuNewAppVersion")->text(), QStringLiteral("New version available: 1.25"),
                              10000);
    QVERIFY(!timer.isActive());
    QCOMPARE(rig.server.requests(), QStringList{kVersionPage});
}

void TestUpdateCheck::noUsableServerMeansNoRequest_data()
{
    QTest::addColumn<QString>("address"); // %1: the test server's port
    QTest::newRow("none configured") << QString();
    QTest::newRow("another scheme") << QStringLiteral("ftp://127.0.0.1:%1");
    QTest::newRow("with a query") << QStringLiteral("http://127.0.0.1:%1/?page=");
}

void TestUpdateCheck::noUsableServerMeansNoRequest()
{
    QFETCH(QString, address);
    Rig rig;
    rig.fx.webVersionCheck = true;
    const QString port = rig.server.baseUrl().section(QLatin1Char(':'), -1);
    rig.start(address.isEmpty() ? QString() : address.arg(port));
    // The real start: the timer fires once and says in one line why there is no check.
    QTRY_VERIFY_WITH_TIMEOUT(!rig.fx.editor().updateCheck->TimerCheckWebVersion.isActive(), 10000);
    QCOMPARE(rig.fx.log().size(), 1);
    QVERIFY(rig.fx.log().constFirst().startsWith(QStringLiteral("Version check skipped: ")));
    QVERIFY(rig.fx.dialogs.shown().isEmpty());
    QCOMPARE(rig.item("menuNewAppVersion")->text(), QStringLiteral("New version available:"));
    QVERIFY(!rig.fx.main().isEnabledByName(QStringLiteral("menuUpdateNow")));
    QTest::qWait(50);
    QVERIFY(rig.server.requests().isEmpty());
}

void TestUpdateCheck::infoMenuLogsTheEditorVersion()
{
    Rig rig;
    rig.start();
    Q_EMIT rig.fx.main().ui->menuInfo->aboutToShow();
    QCOMPARE(rig.fx.log(), QStringList{QStringLiteral("current app version: 1.24")});
}

void TestUpdateCheck::pagesOpenInTheBrowser_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("configured");
    QTest::addColumn<QString>("page");
    QTest::newRow("Support") << "menuSupport" << true << "/contact-us/";
    QTest::newRow("Troubleshooting") << "menuTroubleshooting" << true << "/quarnel-mk3-troubleshooting/";
    QTest::newRow("What's New?") << "btnSeeWhatsNew" << true << "/download/update/whatsnew.html";
    QTest::newRow("Support without a server") << "menuSupport" << false << QString();
}

void TestUpdateCheck::pagesOpenInTheBrowser()
{
    QFETCH(QString, control);
    QFETCH(bool, configured);
    QFETCH(QString, page);
    Rig rig;
    rig.start(configured ? rig.server.baseUrl() : QString());
    if (control == QLatin1String("btnSeeWhatsNew"))
        rig.window().ui->btnSeeWhatsNew->click();
    else
        rig.fx.main().item(control)->trigger();
    if (configured) {
        QCOMPARE(rig.fx.shell.calls, QStringList{QStringLiteral("openUrl ") + rig.server.baseUrl() + page});
        QVERIFY(rig.fx.dialogs.shown().isEmpty());
    }
    else {
        QVERIFY(rig.fx.shell.calls.isEmpty());
        QCOMPARE(rig.fx.dialogs.informationTexts().size(), 1);
    }
    QVERIFY(rig.server.requests().isEmpty());
}

void TestUpdateCheck::showUpdateMessageChoices_data()
{
    QTest::addColumn<QStringList>("clicks"); // "menu" or "box"
    QTest::addColumn<bool>("fileMissing");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("menuChecked");
    QTest::newRow("menu off") << QStringList{"menu"} << false << QByteArray("NO") << false;
    QTest::newRow("menu off and on") << QStringList{"menu", "menu"} << false << QByteArray("YES") << true;
    QTest::newRow("menu off, file missing") << QStringList{"menu"} << true << QByteArray() << false;
    QTest::newRow("box ticked") << QStringList{"box"} << false << QByteArray("NO") << false;
    QTest::newRow("box ticked and unticked") << QStringList{"box", "box"} << false << QByteArray("YES") << true;
    QTest::newRow("box ticked, file missing") << QStringList{"box"} << true << QByteArray() << false;
}

void TestUpdateCheck::showUpdateMessageChoices()
{
    QFETCH(QStringList, clicks);
    QFETCH(bool, fileMissing);
    QFETCH(QByteArray, file);
    QFETCH(bool, menuChecked);
    Rig rig;
    rig.start();
    const QString path = rig.fx.filesPath(QStringLiteral("ShowMessageVersionAtStartup.txt"));
    QVERIFY(rig.fx.main().ui->menuShowUpdateMsg->isChecked());
    if (fileMissing)
        QVERIFY(QFile::remove(path));
    for (const QString& click : clicks) {
        if (click == QLatin1String("menu"))
            rig.fx.main().ui->menuShowUpdateMsg->trigger();
        else
            rig.window().ui->CheckBox1->click();
    }
    QCOMPARE(QFileInfo::exists(path), !fileMissing);
    QCOMPARE(readAll(path), file);
    QCOMPARE(rig.fx.main().ui->menuShowUpdateMsg->isChecked(), menuChecked);
    // The preference in memory changes only at the next start.
    QVERIFY(rig.fx.editor().functions->showUpdateMessage);
}

void TestUpdateCheck::updateProcedure_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("localUpdater"); // its version; "none": no updater file
    QTest::addColumn<LoopbackHttpServer::Answer>("serverUpdaterVersion");
    QTest::addColumn<LoopbackHttpServer::Answer>("downloadAnswer");
    QTest::addColumn<bool>("launchWorks");
    QTest::addColumn<QStringList>("starts");     // "bare": without parameters; "paths": with the two paths
    QTest::addColumn<QStringList>("boxes");      // each the start of a box's text
    QTest::addColumn<QByteArray>("downloaded");  // Quarnel_Win_Updater_Update.exe; empty: none
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QStringList>("logged");     // lines that follow one another in the log

    const auto ok = LoopbackHttpServer::ok;
    const auto status = LoopbackHttpServer::status;
    const QByteArray updater("NEW UPDATER PROGRAM");
    const QStringList none;
    const QStringList paths{"paths"};
    const QStringList both{"bare", "paths"};

    QTest::newRow("local updater as new") << true << "1.3" << ok("1.3") << ok(updater) << true << paths << none
                                          << QByteArray() << true
                                          << QStringList{"updater version on server: 1.3",
                                                         "local updater exists, check version...",
                                                         "currentUpdaterVersion: 1.3", "13", "13"};
    QTest::newRow("local 2.0 is newer than 1.10") << true << "2.0" << ok("1.10\n") << ok(updater) << true << paths
                                                  << none << QByteArray() << true
                                                  << QStringList{"currentUpdaterVersion: 2.0", "110", "20"};
    QTest::newRow("local updater older") << true << "1.2" << ok("1.3") << ok(updater) << true << both
                                         << QStringList{kDownloaded} << updater << true
                                         << QStringList{"currentUpdaterVersion: 1.2", "13", "12",
                                                        "New version of the updater found on server, downloading "
                                                        "the new updater..."};
    QTest::newRow("local version unreadable") << true << "" << ok("1.3") << ok(updater) << true << both
                                              << QStringList{kDownloaded} << updater << true
                                              << QStringList{"currentUpdaterVersion: ", "13", ""};
    QTest::newRow("download 500 keeps the old updater")
        << true << "1.2" << ok("1.3") << status(500, "Internal Server Error") << true << paths
        << QStringList{"Download failed: the server answered 500 Internal Server Error"} << QByteArray() << true
        << QStringList();
    QTest::newRow("download cut short keeps the old updater")
        << true << "1.2" << ok("1.3") << LoopbackHttpServer::truncated(updater) << true << paths
        << QStringList{"Download failed: "} << QByteArray() << true << QStringList();
    // With no updater beside the editor, nothing can take the download in:
    // nothing is started, the editor keeps running and says where it is.
    QTest::newRow("no local updater") << true << "none" << ok("1.3") << ok(updater) << true << none
                                      << QStringList{kNoUpdater} << updater << false
                                      << QStringList{"updater version on server: 1.3",
                                                     "Local updater not found, proceed with download...", kNoUpdater};
    QTest::newRow("no local updater, download fails")
        << true << "none" << ok("1.3") << status(404, "Not Found") << true << none
        << QStringList{"Download failed: the server answered 404 Not Found"} << QByteArray() << false
        << QStringList{"Local updater not found, proceed with download..."};
    QTest::newRow("no local updater, no server version")
        << true << "none" << status(500, "Internal Server Error") << ok(updater) << true << none
        << QStringList{"Error: Internal Server Error", kNoUpdater} << updater << false << QStringList();
    QTest::newRow("server version fails") << true << "1.2" << status(404, "Not Found") << ok(updater) << true << none
                                          << QStringList{"Error: Not Found"} << QByteArray() << false
                                          << QStringList();
    QTest::newRow("server version is not a version") << true << "1.2" << ok("<html/>") << ok(updater) << true << none
                                                     << QStringList{"Error: "} << QByteArray() << false
                                                     << QStringList();
    QTest::newRow("launch fails") << true << "1.3" << ok("1.3") << ok(updater) << false << paths
                                  << QStringList{"Failed to launch updater. Please run as administrator."}
                                  << QByteArray() << true << QStringList();
    QTest::newRow("answer No") << false << "1.2" << ok("1.3") << ok(updater) << true << none << none << QByteArray()
                               << false << QStringList();
}

void TestUpdateCheck::updateProcedure()
{
    QFETCH(bool, yes);
    QFETCH(QString, localUpdater);
    QFETCH(LoopbackHttpServer::Answer, serverUpdaterVersion);
    QFETCH(LoopbackHttpServer::Answer, downloadAnswer);
    QFETCH(bool, launchWorks);
    QFETCH(QStringList, starts);
    QFETCH(QStringList, boxes);
    QFETCH(QByteArray, downloaded);
    QFETCH(bool, ends);
    QFETCH(QStringList, logged);
    Rig rig;
    boxes.replaceInStrings(QStringLiteral("DOWNLOAD"), QDir::toNativeSeparators(rig.downloadPath()));
    logged.replaceInStrings(QStringLiteral("DOWNLOAD"), QDir::toNativeSeparators(rig.downloadPath()));
    if (localUpdater != QLatin1String("none"))
        rig.placeLocalUpdater(localUpdater);
    rig.server.serve(kUpdaterVersionPage, serverUpdaterVersion);
    rig.server.serve(kUpdaterDownload, downloadAnswer);
    rig.start();
    rig.fx.shell.succeed = launchWorks;
    if (!yes)
        rig.fx.dialogs.answerNo();

    rig.fx.main().menuUpdateNowClick();

    QCOMPARE(rig.fx.dialogs.questions(), QStringList{kQuestion});
    QStringList expectedStarts;
    for (const QString& s : starts)
        expectedStarts << (s == QLatin1String("bare") ? rig.startWithoutParameters() : rig.startWithPaths());
    QCOMPARE(rig.fx.shell.calls, expectedStarts);
    const QStringList shown = rig.fx.dialogs.informationTexts();
    QCOMPARE(shown.size(), boxes.size());
    for (int k = 0; k < boxes.size(); ++k)
        QVERIFY2(shown.at(k).startsWith(boxes.at(k)), qPrintable(shown.at(k)));
    QCOMPARE(QFileInfo::exists(rig.downloadPath()), !downloaded.isEmpty());
    QCOMPARE(readAll(rig.downloadPath()), downloaded);
    QCOMPARE(QDir(rig.programFolder.path()).entryList(QDir::Files).filter(QStringLiteral("Update.exe.")),
             QStringList()); // no half-written file left behind
    QCOMPARE(rig.editorEnded(), ends);
    if (!logged.isEmpty()) {
        const QStringList log = rig.fx.log();
        const auto at = std::search(log.begin(), log.end(), logged.begin(), logged.end());
        QVERIFY2(at != log.end(), qPrintable(log.join(QLatin1Char('\n'))));
    }
    // The download is asked for only when it is needed, and No asks nothing.
    const bool downloadTried =
        !downloaded.isEmpty() || shown.join(QString()).contains(QStringLiteral("Download failed"));
    QCOMPARE(rig.server.requests().contains(kUpdaterDownload), downloadTried);
    if (!yes)
        QVERIFY(rig.server.requests().isEmpty());
}

void TestUpdateCheck::secondUpdateNowDuringAWaitIsIgnored()
{
    Rig rig;
    rig.placeLocalUpdater(QStringLiteral("1.3"));
    rig.server.serve(kUpdaterVersionPage, LoopbackHttpServer::silent());
    rig.start();
    rig.fx.editor().updateCheck->setup().pageLimits.stallMs = 800;
    bool clickedDuringWait = false;
    QTimer::singleShot(100, rig.fx.editor().formNewVersionMsg, [&] {
        clickedDuringWait = true;
        rig.window().ui->btnLaunchUpdate->click();
    });

    rig.fx.main().menuUpdateNowClick();

    QVERIFY(clickedDuringWait);
    QCOMPARE(rig.fx.dialogs.questions(), QStringList{kQuestion});
    QCOMPARE(rig.fx.dialogs.informationTexts(),
             QStringList{QStringLiteral("Error: the server did not answer in time")});
    QVERIFY(rig.fx.shell.calls.isEmpty());
    QVERIFY(!rig.editorEnded());
}

void TestUpdateCheck::withoutUpdaterUpdateNowOpensWhatsNew_data()
{
    QTest::addColumn<bool>("fromWindow");
    QTest::newRow("menu") << false;
    QTest::newRow("window") << true;
}

void TestUpdateCheck::withoutUpdaterUpdateNowOpensWhatsNew()
{
    QFETCH(bool, fromWindow);
    Rig rig;
    rig.placeLocalUpdater(QStringLiteral("1.2"));
    rig.server.serve(kUpdaterVersionPage, LoopbackHttpServer::ok("1.3"));
    rig.server.serve(kUpdaterDownload, LoopbackHttpServer::ok("NEW"));
    rig.start(false);
    if (fromWindow)
        rig.window().ui->btnLaunchUpdate->click();
    else
        rig.fx.main().menuUpdateNowClick();
    const QString page = rig.server.baseUrl() + QStringLiteral("/download/update/whatsnew.html");
    QCOMPARE(rig.fx.shell.calls, QStringList{QStringLiteral("openUrl ") + page});
    QVERIFY(rig.fx.dialogs.shown().isEmpty());
    QVERIFY(rig.server.requests().isEmpty());
    QVERIFY(!QFileInfo::exists(rig.downloadPath()));
    QVERIFY(!rig.editorEnded());
}

QTEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
