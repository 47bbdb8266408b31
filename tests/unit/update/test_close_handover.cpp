// The update business at close: the question while a download runs and the installer offer.
#include <gtest/gtest.h>

#include "base/kept_file.h"
#include "support/fake_run_host.h"
#include "support/temp_dir.h"
#include "unit/update/update_fakes.h"
#include "update/close_handover.h"

namespace {

const std::string kStillRunning =
    "Atnaujinimas dar nepasibaigė.\r\nAr tikrai norite išeiti iš programos?";
const std::string kInstallQuestionText =
    "Atnaujinimo failas gautas.\r\nAr pageidaujate dabar atnaujinti programą Kolvira ?";

}  // namespace

TEST(CloseAllowedTest, AsksOnlyWhileADownloadRuns) {
    RecordingBoxes boxes;
    EXPECT_TRUE(closeAllowed(false, boxes));
    EXPECT_TRUE(boxes.shown.empty());

    boxes.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(closeAllowed(true, boxes));
    EXPECT_TRUE(closeAllowed(true, boxes));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(boxes.shown[0].text, kStillRunning);
    EXPECT_EQ(boxes.shown[0].title, "");
}

class InstallerAtCloseTest : public ::testing::Test {
  protected:
    TempDir program;
    RecordingBoxes boxes;
    RecordingDesktop desktop;

    void close(bool downloading = false) {
        offerInstallerAtClose(downloading, ProgramPaths(program.path()), boxes, desktop);
    }
};

TEST_F(InstallerAtCloseTest, OffersACompleteInstallerUnderItsVersionsTitle) {
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\n4\r\n");
    writeFile(program.file("update_5.15.exe"), "MZ..");
    boxes.answers = {Answer::No, Answer::Yes};
    close();
    EXPECT_TRUE(desktop.opened.empty());
    close();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].kind, MessageKind::Confirmation);
    EXPECT_EQ(boxes.shown[1].text, kInstallQuestionText);
    EXPECT_EQ(boxes.shown[1].title, "Programos atnaujinimas iki 5.15 versijos");
    EXPECT_EQ(desktop.opened, std::vector<std::string>{program.file("update_5.15.exe")});
    // Record and installer stay for a later start to clear away.
    EXPECT_TRUE(fileExists(program.file("load.log")));
    EXPECT_TRUE(fileExists(program.file("update_5.15.exe")));
}

TEST_F(InstallerAtCloseTest, OffersNothingWithoutACompleteInstallerOrWhileDownloading) {
    close();  // no record
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\n4\r\n");
    writeFile(program.file("update_5.15.exe"), "MZ.");
    close();  // one byte short
    writeFile(program.file("update_5.15.exe"), "MZ..");
    close(true);  // the download has not ended
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\nketuri\r\n");
    close();  // a size line that is no number counts as 0
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\n");
    close();  // two lines
    writeFile(program.file("load.log"), "5.15\r\nmissing.exe\r\n4\r\n");
    close();
    writeFile(program.file("load.log"), "5.15\r\n../update_5.15.exe\r\n4\r\n");
    close();
    writeFile(program.file("asmenys.txt"), "MZ..");
    writeFile(program.file("load.log"), "5.15\r\nasmenys.txt\r\n4\r\n");
    close();  // not an installer's name
    writeFile(program.file("load.log"),
              "5.15\r\nupdate_5.15.exe\r\n4\r\n" + std::string(64, 'a') + "\r\n");
    close();  // not the bytes the update service named

    // The installed program is updated by the package manager: a complete installer beside it
    // is not offered.
    writeFile(program.file("load.log"), "5.15\r\nupdate_5.15.exe\r\n4\r\n");
    offerInstallerAtClose(false,
                          ProgramPaths::installed(program.path(), program.path(), {"/c", "/d"}),
                          boxes, desktop);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(desktop.opened.empty());
}
