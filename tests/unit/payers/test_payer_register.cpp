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

    // A payer from its line and back: absent fields are empty, the line always has four.
    EXPECT_EQ(Payer::parse("Medis;LT1;123;SANDELIS1"), (Payer{"Medis", "LT1", "123", "SANDELIS1"}));
    EXPECT_EQ(Payer::parse("Medis;;123;"), (Payer{"Medis", "", "123", ""}));
    EXPECT_EQ(Payer::parse("Medis"), (Payer{"Medis", "", "", ""}));
    EXPECT_EQ(Payer::parse("A;B;C;D;E"), (Payer{"A", "B", "C", "D"}));
    EXPECT_EQ((Payer{"Medis", "", "123", ""}).line(), "Medis;;123;");
    EXPECT_EQ((Payer{"Medis", "LT1", "123", "SANDELIS1"}).line(), "Medis;LT1;123;SANDELIS1");
}

TEST(PayerRegister, AddsEditsBindsAndRemovesWholeLines) {
    TempDir dir;
    const PayerRegister register_(dir.file("asmenys.txt"));
    const Payer medis{"Medis", "", "123", ""};
    // Binding on a missing register creates nothing: the payer is not there.
    EXPECT_TRUE(register_.bindWorkplace(0, medis, "SANDELIS1")->stale);
    EXPECT_FALSE(register_.exists());

    ASSERT_EQ(register_.add(medis).value(), 0);
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "Medis;;123;\r\n");
    ASSERT_EQ(register_.add(Payer{"alfa", "", "1", ""}).value(), 0);
    ASSERT_TRUE(register_.save({"alfa;;1;", "Medis;;123;", "Trumpa;;"}).ok());

    ASSERT_FALSE(register_.bindWorkplace(1, medis, "SANDELIS1")->stale);
    EXPECT_EQ(readFile(dir.file("asmenys.txt")),
              "alfa;;1;\r\nMedis;;123;SANDELIS1\r\nTrumpa;;\r\n");
    Payer bound = medis;
    bound.workplace = "SANDELIS1";
    ASSERT_FALSE(register_.bindWorkplace(1, bound, "")->stale);
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "alfa;;1;\r\nMedis;;123;\r\nTrumpa;;\r\n");
    // A line without a company code field is not rebound, and the file stays.
    EXPECT_FALSE(register_.bindWorkplace(2, Payer{"Trumpa", "", "", ""}, "X").ok());
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "alfa;;1;\r\nMedis;;123;\r\nTrumpa;;\r\n");

    // An edit re-sorts and gives the edited line's new place.
    const auto edited =
        register_.replace(0, Payer{"alfa", "", "1", ""}, Payer{"Zeta", "LT9", "1", "A1"});
    ASSERT_TRUE(edited.ok());
    EXPECT_FALSE(edited->stale);
    EXPECT_EQ(edited->position, 2);
    EXPECT_EQ(register_.load().value(),
              (std::vector<std::string>{"Medis;;123;", "Trumpa;;", "Zeta;LT9;1;A1"}));
    ASSERT_FALSE(register_.remove(1, Payer{"Trumpa", "", "", ""})->stale);
    EXPECT_EQ(register_.load().value(), (std::vector<std::string>{"Medis;;123;", "Zeta;LT9;1;A1"}));
    EXPECT_EQ(register_.find(Payer{"Zeta", "LT9", "1", "A1"}).value(), 1);
    EXPECT_EQ(register_.find(Payer{"Zeta", "LT9", "1", ""}).value(), -1);
}

// Another window added a payer above the one shown (or deleted one): the position now holds
// another payer, or none, and nothing is written.
TEST(PayerRegister, ChangesOfAShiftedLineAreStaleAndWriteNothing) {
    TempDir dir;
    const PayerRegister register_(dir.file("asmenys.txt"));
    ASSERT_TRUE(register_.save({"AAA;;1;", "BBB;;2;", "CCC;;3;"}).ok());
    const std::string before = readFile(dir.file("asmenys.txt"));
    const Payer ccc{"CCC", "", "3", ""};
    for (const auto& change :
         {register_.remove(1, ccc), register_.replace(1, ccc, Payer{"Kitas", "", "9", ""}),
          register_.bindWorkplace(1, ccc, "SAND1"), register_.remove(3, ccc),
          register_.remove(-1, ccc)}) {
        ASSERT_TRUE(change.ok()) << change.message();
        EXPECT_TRUE(change->stale);
    }
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), before);
    // The same line written without the final ";" still holds the payer shown.
    writeFile(dir.file("asmenys.txt"), "AAA;;1;\r\nCCC;;3\r\n");
    EXPECT_FALSE(register_.remove(1, ccc)->stale);
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "AAA;;1;\r\n");
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
    EXPECT_TRUE(register_.load()->empty());
    ASSERT_TRUE(register_.save({"Medis;;123;"}).ok());
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "Medis;;123;\r\n");

    ASSERT_TRUE(register_.save({"Šilas;;1;", "Ąžuolas;LT1;2;A"}).ok());
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), "\xD0ilas;;1;\r\n\xC0\xFEuolas;LT1;2;A\r\n");
    EXPECT_EQ(register_.load().value(), (std::vector<std::string>{"Šilas;;1;", "Ąžuolas;LT1;2;A"}));

    // Edited on Linux: UTF-8, LF line ends, no final line end.
    writeFile(dir.file("asmenys.txt"), "Šilas;;1;\nŽemė;;2;");
    EXPECT_EQ(register_.load().value(), (std::vector<std::string>{"Šilas;;1;", "Žemė;;2;"}));

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
        const Result<void> saved = register_.save(many);
        ASSERT_FALSE(saved.ok());
        EXPECT_NE(saved.message().find(dir.file("asmenys.txt")), std::string::npos);
    }
    EXPECT_EQ(readFile(dir.file("asmenys.txt")), before);
}

}  // namespace
