// The program's own settings, typed: what the window and kolvira-cli read from and write to
// "_nustatymai.ini".
#include <gtest/gtest.h>

#include "base/kept_file.h"
#include "base/program_settings.h"
#include "support/temp_dir.h"

namespace {

TEST(ProgramSettings, ReadsEachValueWithItsDefaultAndWritesInPlace) {
    TempDir dir;
    const ProgramSettings settings{ProgramPaths(dir.path())};
    // No file: the first payer, no workplace name, no version; nothing is created.
    EXPECT_EQ(settings.payerPosition(), 0);
    EXPECT_EQ(settings.workplace(), "");
    EXPECT_EQ(settings.programVersion(), "");
    EXPECT_FALSE(fileExists(dir.file("_nustatymai.ini")));

    // A position that is no decimal integer counts as 0; one out of the list's range is kept,
    // as it selects no payer.
    for (const auto& [stored, position] : std::vector<std::pair<std::string, int>>{
             {"2", 2}, {"+3", 3}, {"-1", -1}, {"abc", 0}, {"1x", 0}, {"99999999999", 0}}) {
        writeFile(dir.file("_nustatymai.ini"), "[nustatymai]\r\nAsmuo= " + stored + "\r\n");
        EXPECT_EQ(settings.payerPosition(), position) << stored;
    }

    writeFile(dir.file("_nustatymai.ini"),
              "[NUSTATYMAI]\r\nasmuo=1\r\nauto_id=41\r\n[VERSIJA]\r\nnr=5.14\r\n");
    ASSERT_TRUE(settings.setPayerPosition(0).ok());
    ASSERT_TRUE(settings.setWorkplace("SANDELIS1").ok());
    EXPECT_EQ(settings.workplace(), "SANDELIS1");
    EXPECT_EQ(settings.programVersion(), "5.14");
    EXPECT_EQ(readFile(dir.file("_nustatymai.ini")),
              "[NUSTATYMAI]\r\nasmuo=0\r\nauto_id=41\r\ndarbo_vieta=SANDELIS1\r\n"
              "[VERSIJA]\r\nnr=5.14\r\n");
    EXPECT_EQ(settings.file().path(), dir.file("_nustatymai.ini"));
}

}  // namespace
