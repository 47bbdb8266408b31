// A payer register edited by hand: blank lines, a line of only ";", a very long name, CR-only
// line ends, bytes of no code page. Every line is shown as it can be, and a write either keeps
// every other line as it was or is refused as a whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "payers/payer_register.h"
#include "support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

TEST(RobustRegister, OddLinesAreShownAndKeptThroughAWrite) {
    TempDir dir;
    const std::string path = dir.file("asmenys.txt");
    const std::string longName(500, 'V');
    // CR-only, LF and CR LF line ends mixed; the last line without one.
    writeFile(path, "Alfa;;111;\r\r\n;\r" + longName + ";;333;A1\nGama;;444;");
    const PayerRegister register_(path);
    const auto loaded = register_.load();
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(*loaded, (Lines{"Alfa;;111;", "", ";", longName + ";;333;A1", "Gama;;444;"}));
    EXPECT_EQ(splitPayerLine(""), (Lines{""}));
    EXPECT_EQ(splitPayerLine(";"), (Lines{""}));
    EXPECT_EQ(splitPayerLine((*loaded)[3]), (Lines{longName, "", "333", "A1"}));

    // Binding a workplace name to Gama rewrites that line; the others stay, one per line.
    const Payer shown = Payer::parse((*loaded)[4]);
    Payer gama = shown;
    gama.workplace = "SANDELIS1";
    ASSERT_TRUE(register_.replace(4, shown, gama).ok());
    const auto again = register_.load().value();
    EXPECT_EQ(again.size(), 5u);
    EXPECT_NE(std::find(again.begin(), again.end(), "Gama;;444;SANDELIS1"), again.end());
    for (const auto& line :
         {std::string("Alfa;;111;"), std::string(""), std::string(";"), longName + ";;333;A1"}) {
        EXPECT_NE(std::find(again.begin(), again.end(), line), again.end()) << line;
    }
    // Written back with CR LF after every line, the lone CRs gone.
    const std::string written = readFile(path);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\r'), 5);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 5);
    EXPECT_TRUE(written.ends_with("\r\n"));
}

TEST(RobustRegister, BytesOfNoCodePageRefuseTheWriteAndLeaveTheFile) {
    TempDir dir;
    const std::string path = dir.file("asmenys.txt");
    // 0x81 and 0x83 are undefined in Windows-1257 and no UTF-8 either.
    const std::string before = "Alfa;;111;\r\nBeta\x81\x83;;222;\r\n\xD0ilas;;333;\r\n";
    writeFile(path, before);
    const PayerRegister register_(path);
    const auto loaded = register_.load();
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(*loaded, (Lines{"Alfa;;111;", "Beta\xEF\xBF\xBD\xEF\xBF\xBD;;222;", "Šilas;;333;"}));
    EXPECT_EQ(Payer::parse((*loaded)[1]).companyCode, "222");

    // Writing the replacement characters back would change Beta's name for good.
    const Result<int> added = register_.add(Payer{"Naujas", "", "555", ""});
    EXPECT_FALSE(added.ok());
    EXPECT_EQ(added.message(), "Cannot write file \"" + path +
                                   "\". A line holds characters that Windows-1257 cannot store: "
                                   "Beta\xEF\xBF\xBD\xEF\xBF\xBD;;222;");
    EXPECT_EQ(readFile(path), before);
}

}  // namespace
