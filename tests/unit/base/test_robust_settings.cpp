// A settings file edited by hand: duplicate sections and keys, a huge value, CR-only line ends,
// no final line end, bytes of no code page. What can be read is read, and a write changes its
// own line only.
#include <gtest/gtest.h>

#include <string>

#include "base/profile_file.h"
#include "support/temp_dir.h"

namespace {

TEST(RobustSettings, DuplicatesGiveTheFirstAndAWriteTouchesOnlyItsLine) {
    TempDir dir;
    const std::string path = dir.file("_nustatymai.ini");
    const std::string tail = "[VERSIJA]\r\nnr=5.14\r\n[nustatymai]\r\nasmuo=7\r\nauto_id=9\r\n";
    writeFile(path, "[NUSTATYMAI]\r\nasmuo=1\r\nASMUO=2\r\n" + tail);
    const ProfileFile file(path);
    EXPECT_EQ(file.read("NUSTATYMAI", "asmuo"), "1");
    // Only the first section of a name counts, as for the Windows profile functions.
    EXPECT_EQ(file.read("NUSTATYMAI", "auto_id"), "");

    ASSERT_TRUE(file.write("NUSTATYMAI", "asmuo", "3").ok());
    ASSERT_TRUE(file.write("NUSTATYMAI", "auto_id", "10").ok());
    EXPECT_EQ(readFile(path), "[NUSTATYMAI]\r\nasmuo=3\r\nASMUO=2\r\nauto_id=10\r\n" + tail);
}

TEST(RobustSettings, AHugeValueIsReadShortAndKeptWhole) {
    TempDir dir;
    const std::string path = dir.file("_nustatymai.ini");
    const std::string huge(7u << 20, 'X');  // twice, within what a kept file may hold
    writeFile(path, "[NUSTATYMAI]\r\ndarbo_vieta=" + huge + "\r\n[KITA]\r\npastaba=" + huge +
                        "\r\n[VERSIJA]\r\nnr=5.14");
    const ProfileFile file(path);
    EXPECT_EQ(file.read("NUSTATYMAI", "darbo_vieta"), std::string(2047, 'X'));
    EXPECT_EQ(file.read("VERSIJA", "nr"), "5.14");  // after the huge lines, without a line end

    ASSERT_TRUE(file.write("NUSTATYMAI", "asmuo", "1").ok());
    EXPECT_EQ(readFile(path), "[NUSTATYMAI]\r\ndarbo_vieta=" + huge + "\r\nasmuo=1\r\n[KITA]\r\n" +
                                  "pastaba=" + huge + "\r\n[VERSIJA]\r\nnr=5.14\r\n");
}

TEST(RobustSettings, OddLineEndsAndForeignBytesAreReadAndKept) {
    TempDir dir;
    const std::string path = dir.file("_nustatymai.ini");
    // CR-only line ends (an old Mac editor), then LF, then none at the end.
    writeFile(path, "[NUSTATYMAI]\rasmuo=2\rdarbo_vieta=A1\n[VERSIJA]\rnr=5.14");
    const ProfileFile file(path);
    EXPECT_EQ(file.read("NUSTATYMAI", "asmuo"), "2");
    EXPECT_EQ(file.read("NUSTATYMAI", "darbo_vieta"), "A1");
    EXPECT_EQ(file.read("VERSIJA", "nr"), "5.14");
    ASSERT_TRUE(file.write("NUSTATYMAI", "auto_id", "1").ok());
    EXPECT_EQ(readFile(path),
              "[NUSTATYMAI]\r\nasmuo=2\r\ndarbo_vieta=A1\r\nauto_id=1\r\n[VERSIJA]\r\nnr=5.14\r\n");

    // Bytes that Windows-1257 leaves undefined, in a value the program does not write: read
    // as replacement characters, kept byte for byte when another value is written.
    writeFile(path, "[NUSTATYMAI]\r\ndarbo_vieta=A\x81\x83\r\n[KITA]\r\nx=\xFF\xFE\x01\r\n");
    EXPECT_EQ(file.read("NUSTATYMAI", "darbo_vieta"), "A\xEF\xBF\xBD\xEF\xBF\xBD");
    ASSERT_TRUE(file.write("NUSTATYMAI", "asmuo", "0").ok());
    EXPECT_EQ(readFile(path),
              "[NUSTATYMAI]\r\ndarbo_vieta=A\x81\x83\r\nasmuo=0\r\n[KITA]\r\nx=\xFF\xFE\x01\r\n");
}

}  // namespace
