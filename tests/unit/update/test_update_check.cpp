// The start of the update check: the update information document over HTTPS from a local
// server with a certificate of its own, then the worker on its thread.
#include <gtest/gtest.h>

#include "base/atomic_file.h"
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
    UpdateConfig untrusted = config();
    untrusted.caFile.clear();
    EXPECT_FALSE(startUpdateCheck(untrusted, ProgramPaths(program.path()), "5.14", host));
}

TEST_F(UpdateCheckTest, NoDocumentMeansNoWorkerAndNoMessage) {
    server.removeDocument();  // 404
    EXPECT_FALSE(startUpdateCheck(config(), ProgramPaths(program.path()), "5.14", host));
    server.setDocument("<html><body>Klaida</body>");
    EXPECT_FALSE(startUpdateCheck(config(), ProgramPaths(program.path()), "5.14", host));
    server.setDocument("");
    EXPECT_FALSE(startUpdateCheck(config(), ProgramPaths(program.path()), "5.14", host));
    EXPECT_EQ(server.requests(3).size(), 3u);

    UpdateConfig elsewhere = config();
    RefusingPort refusing;
    elsewhere.serviceUrl = "https://127.0.0.1:" + std::to_string(refusing.port()) + "/";
    EXPECT_FALSE(startUpdateCheck(elsewhere, ProgramPaths(program.path()), "5.14", host));
    // A service that takes the connection and never answers is given up on.
    SilentPort silent;
    elsewhere.serviceUrl = "https://127.0.0.1:" + std::to_string(silent.port()) + "/";
    EXPECT_FALSE(startUpdateCheck(elsewhere, ProgramPaths(program.path()), "5.14", host));
    // Plain HTTP is not accepted in place of HTTPS.
    elsewhere.serviceUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    EXPECT_FALSE(startUpdateCheck(elsewhere, ProgramPaths(program.path()), "5.14", host));

    EXPECT_EQ(host.events(), std::vector<std::string>{});
    // An earlier start's record is not looked at.
    writeFile(program.file("load.log"), "5.14\r\nupdate_5.14.exe\r\n3\r\n");
    writeFile(program.file("update_5.14.exe"), "abc");
    server.removeDocument();
    EXPECT_FALSE(startUpdateCheck(config(), ProgramPaths(program.path()), "5.14", host));
    EXPECT_TRUE(fileExists(program.file("load.log")));
}
