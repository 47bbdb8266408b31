#include <gtest/gtest.h>

#include "base/kept_file.h"
#include "base/profile_file.h"
#include "support/disk_full.h"
#include "support/temp_dir.h"

namespace {

TEST(ProfileFile, ReadsLikeTheWindowsProfileFunctions) {
    TempDir dir;
    writeFile(dir.file("a.ini"),
              "[nustatymai]\r\n"
              "  Asmuo =  2  \r\n"
              "darbo_vieta=SANDELIS1\r\n"
              "quoted=\"  x \"\r\n"
              "\r\n"
              "[VERSIJA]\r\n"
              "nr=5.14\r\n"
              "[NUSTATYMAI]\r\n"
              "asmuo=9\r\n");
    const ProfileFile file(dir.file("a.ini"));
    // Names without regard to case, values trimmed, the first section of a name wins.
    EXPECT_EQ(file.read("NUSTATYMAI", "asmuo"), "2");
    EXPECT_EQ(file.read("Nustatymai", "DARBO_VIETA"), "SANDELIS1");
    EXPECT_EQ(file.read("NUSTATYMAI", "quoted"), "  x ");
    EXPECT_EQ(file.read("versija", "NR"), "5.14");
    // Missing key, section or file: the empty text.
    EXPECT_EQ(file.read("NUSTATYMAI", "auto_id"), "");
    EXPECT_EQ(file.read("KITA", "nr"), "");
    EXPECT_EQ(ProfileFile(dir.file("missing.ini")).read("VERSIJA", "nr"), "");
}

TEST(ProfileFile, WritesInPlaceWithCrLfAndCreatesOnFirstWrite) {
    TempDir dir;
    const ProfileFile file(dir.file("_nustatymai.ini"));
    EXPECT_FALSE(fileExists(dir.file("_nustatymai.ini")));
    ASSERT_TRUE(file.write("NUSTATYMAI", "asmuo", "2").ok());
    EXPECT_EQ(readFile(dir.file("_nustatymai.ini")), "[NUSTATYMAI]\r\nasmuo=2\r\n");

    ASSERT_TRUE(file.write("VERSIJA", "nr", "5.14").ok());
    ASSERT_TRUE(file.write("nustatymai", "AUTO_ID", "17").ok());
    ASSERT_TRUE(file.write("NUSTATYMAI", "Asmuo", "3").ok());
    EXPECT_EQ(readFile(dir.file("_nustatymai.ini")),
              "[NUSTATYMAI]\r\nAsmuo=3\r\nAUTO_ID=17\r\n[VERSIJA]\r\nnr=5.14\r\n");
    // No cache: a read sees the write at once.
    EXPECT_EQ(file.read("NUSTATYMAI", "asmuo"), "3");
}

TEST(ProfileFile, KeepsOtherLinesAndStoresWindows1257) {
    TempDir dir;
    // A hand-edited file: LF line ends, a comment, a blank line inside the section.
    writeFile(dir.file("s.ini"), "; mano\n[NUSTATYMAI]\nasmuo=1\n\n[VERSIJA]\nnr=1\n");
    const ProfileFile file(dir.file("s.ini"));
    ASSERT_TRUE(file.write("NUSTATYMAI", "darbo_vieta", "ŠIAULIAI").ok());
    EXPECT_EQ(
        readFile(dir.file("s.ini")),
        "; "
        "mano\r\n[NUSTATYMAI]\r\nasmuo=1\r\ndarbo_vieta=\xD0IAULIAI\r\n\r\n[VERSIJA]\r\nnr=1\r\n");
    EXPECT_EQ(file.read("NUSTATYMAI", "darbo_vieta"), "ŠIAULIAI");
    // A character the code page cannot hold is refused, and the file stays as it was.
    const std::string before = readFile(dir.file("s.ini"));
    EXPECT_FALSE(file.write("NUSTATYMAI", "darbo_vieta", "日本").ok());
    EXPECT_EQ(readFile(dir.file("s.ini")), before);
}

TEST(ProfileFile, RefusedWriteNamesTheFileAndLeavesItWhole) {
    TempDir dir;
    const std::string path = dir.file("_nustatymai.ini");
    writeFile(path, "[NUSTATYMAI]\r\nauto_id=41\r\n");
    const ProfileFile file(path);
    {
        const FileSizeLimit diskFull(8);
        const Status written = file.write("NUSTATYMAI", "auto_id", "42");
        ASSERT_FALSE(written.ok());
        EXPECT_EQ(written.message(), "Unable to write to " + path);
    }
    EXPECT_EQ(readFile(path), "[NUSTATYMAI]\r\nauto_id=41\r\n");
    // A folder that cannot be made (a file stands in its way) cannot take the file either.
    writeFile(dir.file("no"), "");
    const ProfileFile nowhere(dir.file("no/such/folder.ini"));
    EXPECT_EQ(nowhere.write("A", "b", "c").message(),
              "Unable to write to " + dir.file("no/such/folder.ini"));
}

}  // namespace
