// The start of the update check: the worker on its thread, which asks a local HTTPS server with
// a certificate of its own for the update information document.
#include <gtest/gtest.h>

#include "base/kept_file.h"
#include "support/local_servers.h"
#include "support/temp_dir.h"
#include "unit/update/update_fakes.h"
#include "update/https_get.h"
#include "update/update_worker.h"

class UpdateCheckTest : public ::testing::Test {
  protected:
    TempDir serverFolder;
    TempDir program;
    LocalHttpsServer server{serverFolder.path()};
    RecordingHost host;
    RefusingPort ftpNowhere;

    UpdateConfig config() const {
        UpdateConfig c;
        c.serviceUrl = server.url();
        c.caFile = server.certificate();
        // A worker that gets as far as the FTP login ends there.
        c.updateFtp = "ftp://u:p@127.0.0.1:" + std::to_string(ftpNowhere.port()) + "/";
        return c;
    }
};

TEST_F(UpdateCheckTest, TheRequestCarriesTheVersionPercentEncoded) {
    server.setDocument(updateDocument("3599", "update_5.15.exe", "5.15"));
    for (const char* version : {"5.14", "5.14 beta&x=1", ""}) {
        auto worker = startUpdateCheck(config(), ProgramPaths(program.path()), version, host);
        ASSERT_TRUE(worker) << version;
        worker->join();
    }
    EXPECT_EQ(server.requests(3),
              (std::vector<std::string>{"GET /fr_downloaded.php?proVersija=5.14",
                                        "GET /fr_downloaded.php?proVersija=5.14%20beta%26x%3D1",
                                        "GET /fr_downloaded.php?proVersija="}));
    // Without a version the worker only warns (and the document did load).
    EXPECT_EQ(host.events(),
              std::vector<std::string>{"warning: Nustatymuose ištrinta programos versija"});
}

TEST_F(UpdateCheckTest, TheServersCertificateMustBeTrusted) {
    server.setDocument(updateDocument("3600", "update_5.15.exe", "5.15"));
    const std::string address = updateRequestAddress(server.url(), "5.14");
    EXPECT_EQ(httpsGet(address, server.certificate()),
              updateDocument("3600", "update_5.15.exe", "5.15"));
    // Not trusted by the system, nor by a certificate of some other server.
    EXPECT_FALSE(httpsGet(address, ""));
    TempDir otherFolder;
    LocalHttpsServer other(otherFolder.path());
    EXPECT_FALSE(httpsGet(address, other.certificate()));
    // The name checked is the one the certificate was made for (127.0.0.1), not "localhost".
    EXPECT_FALSE(httpsGet(
        "https://localhost:" + std::to_string(server.port()) + "/fr_downloaded.php?proVersija=5.14",
        server.certificate()));
    // Without a version the worker warns once the document has loaded: here it never does.
    UpdateConfig untrusted = config();
    untrusted.caFile.clear();
    startUpdateCheck(untrusted, ProgramPaths(program.path()), "", host)->join();
    EXPECT_EQ(host.events(), std::vector<std::string>{});
}

TEST_F(UpdateCheckTest, NoDocumentMeansNoMessage) {
    // Without a version the worker warns only once a document has loaded.
    const auto check = [this](const UpdateConfig& c) {
        startUpdateCheck(c, ProgramPaths(program.path()), "", host)->join();
    };
    server.removeDocument();  // 404
    check(config());
    server.setDocument("<html><body>Klaida</body>");
    check(config());
    server.setDocument("");
    check(config());
    EXPECT_EQ(server.requests(3).size(), 3u);

    UpdateConfig elsewhere = config();
    RefusingPort refusing;
    elsewhere.serviceUrl = "https://127.0.0.1:" + std::to_string(refusing.port()) + "/";
    check(elsewhere);
    // A service that takes the connection and never answers is given up on.
    SilentPort silent;
    elsewhere.serviceUrl = "https://127.0.0.1:" + std::to_string(silent.port()) + "/";
    check(elsewhere);
    // Plain HTTP is not accepted in place of HTTPS.
    elsewhere.serviceUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    check(elsewhere);
    EXPECT_EQ(host.events(), std::vector<std::string>{});

    // An earlier start's record needs no document: the installed version's record and
    // installer are cleared all the same.
    writeFile(program.file("load.log"), "5.14\r\nupdate_5.14.exe\r\n3\r\n");
    writeFile(program.file("update_5.14.exe"), "abc");
    server.removeDocument();
    startUpdateCheck(config(), ProgramPaths(program.path()), "5.14", host)->join();
    EXPECT_FALSE(fileExists(program.file("load.log")));
    EXPECT_FALSE(fileExists(program.file("update_5.14.exe")));
    EXPECT_EQ(host.events(), std::vector<std::string>{});
}

TEST_F(UpdateCheckTest, StartingTheCheckNeverWaitsForTheService) {
    server.setDocument(updateDocument("3600", "update_5.15.exe", "5.15"));
    server.holdAnswers();
    // Returns while the service holds its answer: the request is the worker's.
    auto worker = startUpdateCheck(config(), ProgramPaths(program.path()), "", host);
    ASSERT_TRUE(worker);
    EXPECT_EQ(server.requests(1).size(), 1u);
    EXPECT_EQ(host.events(), std::vector<std::string>{});
    server.releaseAnswer();
    worker->join();
    EXPECT_EQ(host.events(),
              std::vector<std::string>{"warning: Nustatymuose ištrinta programos versija"});

    // Ending the program while the service holds its answer does not wait for it.
    auto held = startUpdateCheck(config(), ProgramPaths(program.path()), "5.14", host);
    EXPECT_EQ(server.requests(2).size(), 2u);
    held.reset();  // returns once the worker's thread has ended
}
