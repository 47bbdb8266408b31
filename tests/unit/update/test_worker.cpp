// The update worker against real FTP servers on the loopback interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "base/kept_file.h"
#include "support/local_servers.h"
#include "support/temp_dir.h"
#include "unit/update/update_fakes.h"
#include "update/file_digest.h"
#include "update/update_worker.h"

namespace {

const std::string kUpdateUser = "atnaujinimai@kolvira.test";
const std::string kUpdatePassword = "Slapt4zodis-15z";
const std::string kDbUser = "registras@kolvira.test";
const std::string kDbPassword = "Duomenu-baze-15";
const std::string kProgress = "status: Pakrauname atnaujinimą: ";
const std::string kNoDatabase = "message: Negalime prisijungti prie duomenų bazės";

std::string installerBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    }
    return bytes;
}

size_t countOf(const std::vector<std::string>& events, const std::string& prefix) {
    return static_cast<size_t>(std::count_if(
        events.begin(), events.end(), [&](const auto& e) { return e.rfind(prefix, 0) == 0; }));
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class WorkerTest : public ::testing::Test {
  protected:
    TempDir program;  // the executable's folder
    TempDir updateHome;
    TempDir dbHome;
    RecordingHost host;
    std::unique_ptr<LocalFtpServer> updateServer;
    std::unique_ptr<LocalFtpServer> dbServer;
    std::string updateFtp;
    std::string databaseFtp;
    const std::string installer = installerBytes(1000);

    void startServers(FtpDelivery delivery = FtpDelivery::Whole, std::int64_t limit = 0) {
        writeFile(updateHome.file("update_5.15.exe"), installer);
        updateServer = std::make_unique<LocalFtpServer>(updateHome.path(), kUpdateUser,
                                                        kUpdatePassword, delivery, limit);
        dbServer = std::make_unique<LocalFtpServer>(dbHome.path(), kDbUser, kDbPassword);
        updateFtp = updateServer->url();
        databaseFtp = dbServer->plainUrl();  // the "@" of the user name written plainly
    }

    UpdateSetup setup(const std::string& xml, const std::string& version = "5.14") {
        UpdateConfig config;
        config.updateFtp = updateFtp;
        config.databaseFtp = databaseFtp;
        auto document = UpdateDocument::parse(xml);
        EXPECT_TRUE(document);
        return UpdateSetup{ProgramPaths(program.path()), version, config,
                           document ? *document : UpdateDocument()};
    }

    std::vector<std::string> execute(const std::string& xml, const std::string& version = "5.14") {
        UpdateWorker worker(setup(xml, version), host);
        worker.run();
        return host.events();
    }

    std::string installerPath() const { return program.file("update_5.15.exe"); }
    std::string record() const { return readFile(program.file("load.log")); }
    const std::string offer = updateDocument("3600", "update_5.15.exe", "5.15");
};

TEST_F(WorkerTest, WithoutAProgramVersionOnlyWarns) {
    startServers();
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\n1000\r\n");
    EXPECT_EQ(execute(offer, ""),
              std::vector<std::string>{"warning: Nustatymuose ištrinta programos versija"});
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "connect"), 0u);
    EXPECT_TRUE(fileExists(program.file("load.log")));
}

TEST_F(WorkerTest, ServiceTimeBelow3600KeepsTheWorkerOffTheServer) {
    startServers();
    struct Case {
        const char* serviceTime;
        bool connects;
        bool asks;  // a missing "laikas" leaves "failas" unread
    };
    for (const Case c :
         {Case{"3599", false, false}, Case{"3600", true, true}, Case{"abc", true, true},
          Case{nullptr, true, false}, Case{"-1", false, false}, Case{"86400", true, true}}) {
        SCOPED_TRACE(c.serviceTime == nullptr ? "no laikas" : c.serviceTime);
        RecordingHost caseHost;
        const size_t loginsBefore = countOf(updateServer->eventsSoFar(), "login");
        const size_t logoutsBefore = countOf(updateServer->eventsSoFar(), "logout");
        UpdateWorker worker(setup(updateDocument(c.serviceTime, "update_5.15.exe", "5.15")),
                            caseHost);
        worker.run();
        const auto events = updateServer->eventsSoFar();
        EXPECT_EQ(countOf(events, "login " + kUpdateUser) - loginsBefore, c.connects ? 1u : 0u);
        EXPECT_EQ(countOf(events, "logout") - logoutsBefore, c.connects ? 1u : 0u);
        EXPECT_EQ(caseHost.events(), c.asks ? std::vector<std::string>{kDownloadQuestion515}
                                            : std::vector<std::string>{});
    }
}

TEST_F(WorkerTest, WithoutAFileNameConnectsAndDisconnectsWithoutAWord) {
    startServers();
    EXPECT_EQ(execute(updateDocument("3600", nullptr, "5.15")), std::vector<std::string>{});
    const auto events = updateServer->eventsSoFar();
    EXPECT_EQ(countOf(events, "login " + kUpdateUser), 1u);
    EXPECT_EQ(countOf(events, "logout"), 1u);
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});
}

TEST_F(WorkerTest, NoToTheDownloadQuestionLeavesNothingBehind) {
    startServers();
    host.answer(Answer::No);
    EXPECT_EQ(execute(offer), std::vector<std::string>{kDownloadQuestion515});
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});
    const auto events = updateServer->eventsSoFar();
    EXPECT_EQ(countOf(events, "logout"), 1u);
    EXPECT_EQ(countOf(events, "sent"), 0u);
    EXPECT_EQ(countOf(dbServer->eventsSoFar(), "connect"), 0u);
}

TEST_F(WorkerTest, ACompleteDownloadIsRecordedAndOffered) {
    startServers();
    writeFile(installerPath(), "a partial file of an earlier start is never resumed");
    host.answer(Answer::Yes);
    host.answer(Answer::Yes);
    const auto events = execute(offer);
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ(events[0], kDownloadQuestion515);
    EXPECT_EQ(events[1], kProgress + "0%");
    // The percentages climb to 100, then the status text is emptied before the offer.
    int last = 0;
    size_t i = 2;
    for (; i < events.size() && events[i].rfind(kProgress, 0) == 0; ++i) {
        const int percent = std::stoi(events[i].substr(kProgress.size()));
        EXPECT_GT(percent, last);
        last = percent;
    }
    EXPECT_EQ(last, 100);
    EXPECT_EQ(
        std::vector<std::string>(events.begin() + static_cast<long>(i), events.end()),
        (std::vector<std::string>{"status: ", kInstallQuestionEvent, "open: " + installerPath()}));
    EXPECT_EQ(readFile(installerPath()), installer);
    EXPECT_EQ(record(), "5.15\r\nupdate_5.15.exe\r\n1000\r\n");
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "sent"), 1u);
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "logout"), 1u);
    // The second server only took a login.
    const auto db = dbServer->eventsSoFar();
    EXPECT_EQ(countOf(db, "login " + kDbUser), 1u);
    EXPECT_EQ(countOf(db, "logout " + kDbUser), 1u);
}

TEST_F(WorkerTest, NoToTheInstallQuestionKeepsInstallerAndRecord) {
    startServers();
    host.answer(Answer::Yes);
    host.answer(Answer::No);
    UpdateWorker worker(setup(offer), host);
    EXPECT_FALSE(worker.downloading());
    worker.run();
    EXPECT_FALSE(worker.downloading());  // the download completed
    EXPECT_EQ(worker.lastAnswer(), Answer::No);
    const auto events = host.events();
    EXPECT_EQ(events.back(), kInstallQuestionEvent);
    EXPECT_EQ(countOf(events, "open:"), 0u);
    EXPECT_EQ(readFile(installerPath()), installer);
    EXPECT_EQ(record(), "5.15\r\nupdate_5.15.exe\r\n1000\r\n");
}

TEST_F(WorkerTest, AnUnreachableSecondServerIsTheOneMessage) {
    startServers();
    RefusingPort down;
    databaseFtp = "ftp://u:p@127.0.0.1:" + std::to_string(down.port()) + "/";
    host.answer(Answer::Yes);
    const auto events = execute(offer);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()),
              (std::vector<std::string>{kProgress + "100%", kNoDatabase, "status: "}));
    EXPECT_EQ(countOf(events, "question:"), 1u);
    EXPECT_EQ(readFile(installerPath()), installer);
    EXPECT_EQ(record(), "5.15\r\nupdate_5.15.exe\r\n1000\r\n");
}

TEST_F(WorkerTest, AnUnreachableOrRefusingUpdateServerEndsTheWorkerSilently) {
    startServers();
    RefusingPort down;
    updateFtp = "ftp://u:p@127.0.0.1:" + std::to_string(down.port()) + "/";
    EXPECT_EQ(execute(offer), std::vector<std::string>{});
    updateFtp = "ftp://" + kUpdateUser +
                ":wrong-password-1@127.0.0.1:" + std::to_string(updateServer->port()) + "/";
    EXPECT_EQ(execute(offer), std::vector<std::string>{});
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "login"), 0u);
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});
}

TEST_F(WorkerTest, ABrokenDownloadIsClearedAtOnce) {
    startServers(FtpDelivery::BreakOff, 500);
    host.answer(Answer::Yes);
    UpdateWorker worker(setup(offer), host);
    worker.run();
    // Its files are gone, so nothing is running any more: closing need not ask.
    EXPECT_FALSE(worker.downloading());
    const auto events = host.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], kProgress + "50%");
    EXPECT_EQ(events.back(), "status: ");
    EXPECT_EQ(countOf(events, "question:"), 1u);
    EXPECT_EQ(countOf(events, "message:"), 0u);
    // Neither the record nor the partial installer waits for the next start.
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});
    EXPECT_EQ(countOf(dbServer->eventsSoFar(), "connect"), 0u);
}

TEST_F(WorkerTest, AFileNameOutsideTheProgramFolderIsNeverFetched) {
    startServers();
    writeFile(updateHome.file("inside.exe"), installer);
    for (const char* name : {"../update_5.15.exe", "sub/../update_5.15.exe", "/update_5.15.exe",
                             "C:\\update_5.15.exe"}) {
        SCOPED_TRACE(name);
        RecordingHost caseHost;
        caseHost.answer(Answer::Yes);
        UpdateWorker worker(setup(updateDocument("3600", name, "5.15")), caseHost);
        worker.run();
        EXPECT_EQ(caseHost.events(), std::vector<std::string>{});
    }
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "sent"), 0u);
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "logout"), 4u);
}

TEST_F(WorkerTest, ARecordOfTheInstalledVersionIsClearedWithEveryInstallerFile) {
    startServers();
    writeFile(program.file("load.log"), "5.14\r\nupdate_5.14.exe\r\n1000\r\n");
    writeFile(program.file("update_5.14.exe"), installer);
    for (const char* name : {"update_5.13.exe", "UPDATE_OLD.EXE"}) {
        writeFile(program.file(name), "old");
    }
    const std::vector<std::string> kept = {"_nustatymai.ini", "my_update_1.exe", "setup.exe",
                                           "update.exe", "update_5.15.exe.part"};
    for (const auto& name : kept) {
        writeFile(program.file(name), "keep");
    }
    EXPECT_EQ(execute(offer), std::vector<std::string>{});
    EXPECT_EQ(filesIn(program.path()), kept);
    // No update check during this start.
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "connect"), 0u);
}

TEST_F(WorkerTest, ACompleteInstallerOfAnotherVersionIsOffered) {
    startServers();
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\n1000\r\n");
    writeFile(installerPath(), installer);
    host.answer(Answer::No);
    EXPECT_EQ(execute(offer), std::vector<std::string>{kInstallQuestionEvent});
    EXPECT_EQ(filesIn(program.path()), (std::vector<std::string>{"load.log", "update_5.15.exe"}));

    RecordingHost yes;
    yes.answer(Answer::Yes);
    UpdateWorker worker(setup(offer), yes);
    worker.run();
    EXPECT_EQ(yes.events(),
              (std::vector<std::string>{kInstallQuestionEvent, "open: " + installerPath()}));
    EXPECT_EQ(worker.lastAnswer(), Answer::Yes);
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "connect"), 0u);
}

TEST_F(WorkerTest, ASizeMismatchClearsTheRecordAndInstallerFilesWithoutAQuestion) {
    startServers();
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\n1000\r\n");
    writeFile(installerPath(), installer.substr(0, 999));
    writeFile(program.file("update_5.13.exe"), "old");
    EXPECT_EQ(execute(offer), std::vector<std::string>{});
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});

    // An installer named otherwise is never deleted; only its record is.
    writeFile(program.file("load.log"), "5.15\r\nKolvira-5.15.exe\r\nabc\r\n");
    writeFile(program.file("Kolvira-5.15.exe"), installer);
    EXPECT_EQ(execute(offer), std::vector<std::string>{});
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{"Kolvira-5.15.exe"});
}

TEST(WorkerProgress, ShowsThePercentageOfTheExpectedSize) {
    TempDir program;
    RecordingHost host;
    UpdateWorker worker(
        UpdateSetup{ProgramPaths(program.path()), "5.14", UpdateConfig(), UpdateDocument()}, host);
    worker.downloadProgress(10);  // no size yet: nothing to measure against
    worker.expectSize(1000);
    for (const std::int64_t received : {0, 125, 500, 1000}) {
        worker.downloadProgress(received);
    }
    EXPECT_EQ(host.events(), (std::vector<std::string>{kProgress + "0%", kProgress + "12%",
                                                       kProgress + "50%", kProgress + "100%"}));
}

TEST_F(WorkerTest, EndingTheWorkerBreaksOffARunningDownload) {
    startServers(FtpDelivery::Hold, 500);
    host.answer(Answer::Yes);
    auto worker = std::make_unique<UpdateWorker>(setup(offer), host);
    worker->start();
    ASSERT_TRUE(host.waitFor(kProgress + "50%"));
    ASSERT_TRUE(updateServer->waitFor("held"));
    EXPECT_EQ(record(), "5.15\r\nupdate_5.15.exe\r\n1000\r\n");
    worker.reset();  // returns once the worker's thread has ended
    const auto events = host.events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], kProgress + "50%");
    EXPECT_EQ(events.back(), "status: ");
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});  // the partial file is gone
}

// An installer the update service names with its SHA-256 is offered only with those bytes, at
// once and at every later start; without a digest the size alone decides, as before.
TEST_F(WorkerTest, TheInstallersSha256DecidesWhetherItIsOffered) {
    startServers();
    const std::string rightDigest = *sha256OfFile(updateHome.file("update_5.15.exe"));
    std::string upper = rightDigest;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const auto offerWith = [](const std::string& digest) {
        std::string xml = updateDocument("3600", "update_5.15.exe", "5.15");
        return xml.insert(xml.find("</atsakymas>"), "<sha256> " + digest + " </sha256>\n");
    };

    host.answer(Answer::Yes);
    host.answer(Answer::No);
    EXPECT_EQ(execute(offerWith(upper)).back(), kInstallQuestionEvent);
    EXPECT_EQ(record(), "5.15\r\nupdate_5.15.exe\r\n1000\r\n" + rightDigest + "\r\n");
    // The next start checks the bytes again before it offers them.
    RecordingHost again;
    UpdateWorker(setup(offer), again).run();
    EXPECT_EQ(again.events(), std::vector<std::string>{kInstallQuestionEvent});
    std::string swapped = installer;
    swapped[500] ^= 1;
    writeFile(installerPath(), swapped);  // the same size, other bytes
    RecordingHost tampered;
    UpdateWorker(setup(offer), tampered).run();
    EXPECT_EQ(tampered.events(), std::vector<std::string>{});
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});

    // Bytes other than the digest names: a broken download, never offered.
    RecordingHost wrong;
    wrong.answer(Answer::Yes);
    wrong.answer(Answer::Yes);
    std::string otherDigest = rightDigest;
    otherDigest[0] = otherDigest[0] == '0' ? '1' : '0';
    UpdateWorker(setup(offerWith(otherDigest)), wrong).run();
    EXPECT_EQ(countOf(wrong.events(), "question:"), 1u);  // only whether to download
    EXPECT_EQ(countOf(wrong.events(), "open:"), 0u);
    EXPECT_EQ(filesIn(program.path()), std::vector<std::string>{});

    // A digest that is no SHA-256 cannot be checked: nothing is downloaded.
    for (const char* bad : {"abc", "", "sha256:0000"}) {
        RecordingHost unreadable;
        unreadable.answer(Answer::Yes);
        UpdateWorker(setup(offerWith(std::string(bad) + (*bad == '\0' ? "" : rightDigest))),
                     unreadable)
            .run();
        EXPECT_EQ(unreadable.events(), std::vector<std::string>{}) << bad;
    }
    EXPECT_EQ(countOf(updateServer->eventsSoFar(), "sent"), 2u);
}
