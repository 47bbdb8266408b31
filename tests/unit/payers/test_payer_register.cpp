#include <gtest/gtest.h>

#include "payers/payer_register.h"
#include "support/disk_full.h"
#include "support/temp_dir.h"

namespace {

using Fields = std::vector<std::string>;

TEST(PayerRegister, SplitRuleDropsOneEmptyFieldAfterTheFinalSemicolon) {
    EXPECT_EQ(splitPayerLine("Medis;;123;"), (Fields{"Medis", "", "123"}));
    EXPECT_EQ(splitPayerLine("Medis;;123;SANDELIS1"), (Fields{"Medis", "", "123", "SANDELIS1"}));
    EXPECT_EQ(splitPayerLine("Medis"), (Fields{"Medis"}));
    EXPECT_EQ(splitPayerLine("Medis;LT1;123;;"), (Fields{"Medis", "LT1", "123", ""}));
    EXPECT_EQ(splitPayerLine(""), (Fields{""}));

    std::string line;
    ASSERT_TRUE(bindPayerLine("Medis;;123;", "SANDELIS1", line));
    EXPECT_EQ(line, "Medis;;123;SANDELIS1");
    ASSERT_TRUE(bindPayerLine("Medis;;123;SANDELIS1", "", line));
    EXPECT_EQ(line, "Medis;;123;");
    EXPECT_FALSE(bindPayerLine("Medis;;", "X", line));
}

TEST(PayerRegister, SortsByLithuanianCollationIgnoringCase) {
    std::vector<std::string> lines = {"Gama;;3;",   "alfa;;1;",  "Čekis;;5;", "Beta;;2;",
                                      "cukrus;;4;", "Jonas;;7;", "Yda;;6;"};
    PayerRegister::sort(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"alfa;;1;", "Beta;;2;", "cukrus;;4;", "Čekis;;5;",
                                               "Gama;;3;", "Yda;;6;", "Jonas;;7;"}));
}

TEST(PayerRegister, WritesWindows1257WithCrLfAndReadsBothEncodings) {
    TempDir dir;
    const PayerRegister register_(dir.file("asmenys.txt"));
    EXPECT_FALSE(register_.exists());
    EXPECT_TRUE(register_.load().lines.empty());
    ASSERT_TRUE(register_.save({"Medis;;123;"}).ok());
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "Medis;;123;\r\n");

    ASSERT_TRUE(register_.save({"Šilas;;1;", "Ąžuolas;LT1;2;A"}).ok());
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "\xD0ilas;;1;\r\n\xC0\xFEuolas;LT1;2;A\r\n");
    EXPECT_EQ(register_.load().lines, (std::vector<std::string>{"Šilas;;1;", "Ąžuolas;LT1;2;A"}));

    // Edited on Linux: UTF-8, LF line ends, no final line end.
    writeFile(dir.file("asmenys.txt"), "Šilas;;1;\nŽemė;;2;");
    EXPECT_EQ(register_.load().lines, (std::vector<std::string>{"Šilas;;1;", "Žemė;;2;"}));

    // A letter the code page cannot hold never reaches the file.
    EXPECT_FALSE(register_.save({"Łódź ☃;;1;"}).ok());
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "Šilas;;1;\nŽemė;;2;");
}

TEST(PayerRegister, FailedWriteLeavesTheOldRegisterWhole) {
    TempDir dir;
    const PayerRegister register_(dir.file("asmenys.txt"));
    std::vector<std::string> many;
    for (int i = 0; i < 200; ++i) {
        many.push_back("Mokėtojas " + std::to_string(i) + ";;" + std::to_string(1000 + i) + ";");
    }
    ASSERT_TRUE(register_.save(many).ok());
    const std::string before = readFile(dir.file("asmenys.txt"));
    many.push_back("Naujas;;1;");
    {
        const FileSizeLimit diskFull(1000);
        const Status saved = register_.save(many);
        ASSERT_FALSE(saved.ok());
        EXPECT_NE(saved.message().find(dir.file("asmenys.txt")), std::string::npos);
    }
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), before);
}

}  // namespace
