// The update path through the real window, offscreen, against local HTTPS and FTP servers:
// the download at start-up with its progress, and the hand-over at close.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "base/kept_file.h"
#include "gui/gui_support.h"
#include "gui/main_window.h"
#include "gui/scripted_boxes.h"
#include "gui/update_bridge.h"
#include "support/fake_run_host.h"
#include "support/local_servers.h"
#include "support/temp_dir.h"

namespace {

const std::string kDownloadQuestion =
    "Pasirodė nauja (5.15) programos versija.\r\nAr pageidaujate dabar gauti atnaujinimo failą?";
const std::string kInstallQuestionText =
    "Atnaujinimo failas gautas.\r\nAr pageidaujate dabar atnaujinti programą Kolvira ?";
const std::string kStillRunning =
    "Atnaujinimas dar nepasibaigė.\r\nAr tikrai norite išeiti iš programos?";
const std::string kUpdateUser = "atnaujinimai@kolvira.test";
const std::string kDbUser = "registras@kolvira.test";
const std::string kPassword = "Slapt4zodis-15z";
constexpr int kPatienceMs = 60000;

const std::string kOffer =
    "<?xml version=\"1.0\"?><atsakymas><laikas>3600</laikas><failas>update_5.15.exe</failas>"
    "<naujaVersija>5.15</naujaVersija></atsakymas>";

}  // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TempDir> program;
    std::unique_ptr<TempDir> web;
    std::unique_ptr<TempDir> updateHome;
    std::unique_ptr<TempDir> dbHome;
    std::unique_ptr<LocalHttpsServer> service;
    std::unique_ptr<LocalFtpServer> updateServer;
    std::unique_ptr<LocalFtpServer> dbServer;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialog files;
    RecordingDesktop desktop;
    UpdateConfig config;
    const std::string installer = std::string(200000, 'x') + "MZ";

    void startServers(FtpDelivery delivery = FtpDelivery::Whole, std::int64_t limit = 0) {
        writeFile(updateHome->file("update_5.15.exe"), installer);
        service->setDocument(kOffer);
        updateServer = std::make_unique<LocalFtpServer>(updateHome->path(), kUpdateUser, kPassword,
                                                        delivery, limit);
        dbServer = std::make_unique<LocalFtpServer>(dbHome->path(), kDbUser, kPassword);
        config.updateFtp = updateServer->url();
        config.databaseFtp = dbServer->url();
    }

    std::unique_ptr<MainWindow> makeWindow() {
        WindowServices services;
        services.boxes = &boxes;
        services.files = &files;
        services.desktop = &desktop;
        services.today = [] { return Date{2024, 3, 15}; };
        services.startUpdateCheck = [this](UpdateBridge& bridge, const std::string& version) {
            bridge.start(config, ProgramPaths(program->path()), version);
        };
        return std::make_unique<MainWindow>(ProgramPaths(program->path()), services);
    }

    static UpdateBridge* bridgeOf(MainWindow& window) { return window.findChild<UpdateBridge*>(); }

  private slots:
    void init() {
        program = std::make_unique<TempDir>();
        web = std::make_unique<TempDir>();
        updateHome = std::make_unique<TempDir>();
        dbHome = std::make_unique<TempDir>();
        service = std::make_unique<LocalHttpsServer>(web->path());
        boxes.clear();
        desktop.opened.clear();
        config = UpdateConfig();
        config.serviceUrl = service->url();
        config.caFile = service->certificate();
        writeFile(program->file("_nustatymai.ini"), "[VERSIJA]\r\nnr=5.14\r\n");
    }

    void cleanup() {
        dbServer.reset();
        updateServer.reset();
        service.reset();
    }

    void startUpDownloadsWithProgressAndTheCloseOffersTheInstaller() {
        startServers();
        boxes.expect(MessageKind::Confirmation, kDownloadQuestion, Answer::Yes);
        boxes.expect(MessageKind::Confirmation, kInstallQuestionText, Answer::No);
        auto window = makeWindow();
        UpdateBridge* bridge = bridgeOf(*window);
        QVERIFY(bridge != nullptr && bridge->worker() != nullptr);
        QSignalSpy statuses(bridge, &UpdateBridge::statusTextChanged);
        window->show();
        QTRY_VERIFY_WITH_TIMEOUT(boxes.problems().empty(), kPatienceMs);
        bridge->worker()->join();
        QTRY_COMPARE_WITH_TIMEOUT(widget<QLabel>(*window, "StatusBar1")->text(), QString(),
                                  kPatienceMs);
        // The status bar showed the download climbing from 0% to 100%, then nothing.
        QVERIFY(statuses.size() >= 3);
        QCOMPARE(statuses.first().at(0).toString(), QStringLiteral("Pakrauname atnaujinimą: 0%"));
        QCOMPARE(statuses.at(statuses.size() - 2).at(0).toString(),
                 QStringLiteral("Pakrauname atnaujinimą: 100%"));
        QCOMPARE(statuses.last().at(0).toString(), QString());
        QCOMPARE(readFile(program->file("update_5.15.exe")), installer);
        QVERIFY(desktop.opened.empty());
        QCOMPARE(service->requests(1),
                 std::vector<std::string>{"GET /fr_downloaded.php?proVersija=5.14"});

        // Declined at once, the complete installer is offered at close under its version.
        boxes.expectTitled(MessageKind::Confirmation, kInstallQuestionText,
                           "Programos atnaujinimas iki 5.15 versijos", Answer::Yes);
        QVERIFY(window->close());
        VERIFY_BOXES(boxes);
        QCOMPARE(desktop.opened, std::vector<std::string>{program->file("update_5.15.exe")});
    }

    void closingWhileDownloadingAsksFirst() {
        startServers(FtpDelivery::Hold, 100000);
        boxes.expect(MessageKind::Confirmation, kDownloadQuestion, Answer::Yes);
        auto window = makeWindow();
        window->show();
        QTRY_COMPARE_WITH_TIMEOUT(widget<QLabel>(*window, "StatusBar1")->text(),
                                  QStringLiteral("Pakrauname atnaujinimą: 50%"), kPatienceMs);
        boxes.expect(MessageKind::Confirmation, kStillRunning, Answer::No);
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        VERIFY_BOXES(boxes);
        // Yes closes, with no installation offer though the record is there.
        boxes.expect(MessageKind::Confirmation, kStillRunning, Answer::Yes);
        QVERIFY(window->close());
        VERIFY_BOXES(boxes);
        QVERIFY(desktop.opened.empty());
        window.reset();  // breaks off the held download, which leaves nothing behind
        QVERIFY(!fileExists(program->file("load.log")));
        QVERIFY(!fileExists(program->file("update_5.15.exe")));
    }

    // The window is up and usable while the update service holds its answer: the check runs
    // on the worker, and its question comes once the answer does.
    void theWindowAppearsWhileTheServiceHoldsItsAnswer() {
        startServers();
        service->holdAnswers();
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(service->requests(1).size(), size_t{1});
        QVERIFY(widget<QPushButton>(*window, "btn_isaf_xml")->isEnabled());
        VERIFY_BOXES(boxes);  // nothing asked yet
        boxes.expect(MessageKind::Confirmation, kDownloadQuestion, Answer::No);
        service->releaseAnswer();
        QTRY_VERIFY_WITH_TIMEOUT(boxes.problems().empty(), kPatienceMs);
        bridgeOf(*window)->worker()->join();
        VERIFY_BOXES(boxes);
    }

    void anUnreachableSecondServerIsReportedOnTheWindowsThread() {
        startServers();
        RefusingPort down;
        config.databaseFtp = "ftp://u:p@127.0.0.1:" + std::to_string(down.port()) + "/";
        boxes.expect(MessageKind::Confirmation, kDownloadQuestion, Answer::Yes);
        boxes.expect(MessageKind::Information, "Negalime prisijungti prie duomenų bazės");
        auto window = makeWindow();
        QTRY_VERIFY_WITH_TIMEOUT(boxes.problems().empty(), kPatienceMs);
        bridgeOf(*window)->worker()->join();
        QTRY_COMPARE_WITH_TIMEOUT(widget<QLabel>(*window, "StatusBar1")->text(), QString(),
                                  kPatienceMs);
        QVERIFY(desktop.opened.empty());
    }

    void anUnreachableServiceLeavesTheWindowAsItIs() {
        RefusingPort nowhere;
        config.serviceUrl = "https://127.0.0.1:" + std::to_string(nowhere.port()) + "/";
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        bridgeOf(*window)->worker()->join();  // ends without a word
        QCOMPARE(widget<QLabel>(*window, "StatusBar1")->text(), QString());
        QVERIFY(widget<QPushButton>(*window, "btn_isaf_xml")->isEnabled());
        QVERIFY(window->close());
        VERIFY_BOXES(boxes);
    }
};

QTEST_MAIN(UpdateWindowTest)
#include "test_update_window.moc"
