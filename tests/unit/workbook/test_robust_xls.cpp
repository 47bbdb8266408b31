// The .xls reader runs FreeXL in a child process: whatever the child does (dies, sends garbage
// or too much), the program gets a WorkbookError and goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "support/workbook_builder.h"
#include "workbook/workbook_connection.h"
#include "workbook/xls_workbook.h"

namespace {

std::string sourceFile(const std::string& relative) {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/" + relative;
}

// Builds an answer as the child writes it.
class Reply {
  public:
    Reply() { text("KXLS"); }
    Reply& byte(std::uint8_t value) {
        bytes_ += static_cast<char>(value);
        return *this;
    }
    Reply& u32(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            byte(static_cast<std::uint8_t>(value >> (8 * i)));
        }
        return *this;
    }
    Reply& text(const std::string& value) {
        u32(static_cast<std::uint32_t>(value.size()));
        bytes_ += value;
        return *this;
    }
    Reply& sheet(const std::string& name) { return byte('S').text(name).byte(1); }
    Reply& cell(std::uint32_t row, std::uint8_t column, const std::string& value) {
        return byte('C').u32(row).byte(column).byte(0).byte('t').text(value);
    }
    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

std::string decodeError(const std::string& reply) {
    try {
        decodeXlsReply(reply, "knyga.xls");
    } catch (const WorkbookError& error) {
        return error.what();
    }
    return "(no error)";
}

const std::string kDamaged = "the .xls reader sent a damaged answer for knyga.xls";

}  // namespace

TEST(RobustXls, AWholeAnswerDecodes) {
    Reply reply;
    reply.byte(0).sheet("Gau21").cell(4, 0, "2023-01-15").cell(4, 22, "x").cell(9, 1, "");
    reply.sheet("Tuščias").byte('E');
    const auto sheets = decodeXlsReply(reply.bytes(), "knyga.xls");
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, "Gau21");
    ASSERT_EQ(sheets[0].cells.size(), 3u);
    EXPECT_EQ(sheets[0].texts.substr(sheets[0].cells[1].offset, sheets[0].cells[1].length), "x");
    EXPECT_EQ(sheets[1].name, "Tuščias");
    EXPECT_TRUE(sheets[1].cells.empty());
}

TEST(RobustXls, AnswersThatAreNotWholeAreRefused) {
    Reply start;
    start.byte(0).sheet("Gau21").cell(4, 0, "a");
    // Cut anywhere before the end marker: a child that died while sending.
    for (size_t cut = 0; cut < start.bytes().size(); ++cut) {
        EXPECT_EQ(decodeError(start.bytes().substr(0, cut)), kDamaged) << cut;
    }
    EXPECT_EQ(decodeError(start.bytes()), kDamaged);
    EXPECT_EQ(decodeError(Reply(start).byte('E').byte('E').bytes()), kDamaged);
    EXPECT_EQ(decodeError("KXLX" + start.bytes().substr(4)), kDamaged);
    EXPECT_EQ(decodeError(Reply().byte(7).byte('E').bytes()), kDamaged);

    // Cells out of order, repeated, beyond the columns read or the grid, or before any sheet.
    EXPECT_EQ(decodeError(Reply(start).cell(3, 5, "b").byte('E').bytes()), kDamaged);
    EXPECT_EQ(decodeError(Reply(start).cell(4, 0, "b").byte('E').bytes()), kDamaged);
    EXPECT_EQ(decodeError(Reply(start).cell(5, 23, "b").byte('E').bytes()), kDamaged);
    EXPECT_EQ(decodeError(Reply(start).cell(1048576, 0, "b").byte('E').bytes()), kDamaged);
    EXPECT_EQ(decodeError(Reply().byte(0).cell(4, 0, "a").byte('E').bytes()), kDamaged);
    // A cell of a sheet FreeXL could not read.
    EXPECT_EQ(decodeError(Reply().byte(0).byte('S').text("A").byte(0).cell(1, 0, "a").bytes()),
              kDamaged);
    // A length that runs past the answer, and one far past any cell.
    EXPECT_EQ(decodeError(Reply()
                              .byte(0)
                              .sheet("A")
                              .byte('C')
                              .u32(1)
                              .byte(0)
                              .byte(0)
                              .byte('t')
                              .u32(0xFFFFFFFF)
                              .bytes()),
              kDamaged);
    // A cell of no kind the reader sends.
    EXPECT_EQ(decodeError(Reply()
                              .byte(0)
                              .sheet("A")
                              .byte('C')
                              .u32(1)
                              .byte(0)
                              .byte(0)
                              .byte('x')
                              .text("1")
                              .byte('E')
                              .bytes()),
              kDamaged);
    EXPECT_EQ(decodeError(
                  Reply().byte(0).byte('S').text(std::string(5000, 'n')).byte(1).byte('E').bytes()),
              kDamaged);
    EXPECT_EQ(decodeError(Reply()
                              .byte(0)
                              .sheet("A")
                              .cell(1, 0, std::string((1 << 20) + 1, 'x'))
                              .byte('E')
                              .bytes()),
              "a cell of knyga.xls holds a text too long for any cell");
}

TEST(RobustXls, RefusalsKeepTheirMessages) {
    EXPECT_EQ(decodeError(Reply().byte(2).u32(0).bytes()), "knyga.xls is protected by a password");
    EXPECT_EQ(decodeError(Reply().byte(1).u32(static_cast<std::uint32_t>(-6)).bytes()),
              "cannot open knyga.xls as an .xls workbook (FreeXL error -6)");
}

TEST(RobustXls, AFreeXlCrashIsContainedInTheChild) {
    // An input that makes FreeXL 1.0.6 write below a stack buffer inside freexl_open.
    const std::string crash =
        sourceFile("fuzz/freexl-findings/crash-c4a16ceff4c1976cd6059521dc0e7ef628facde8");
    ASSERT_TRUE(std::filesystem::exists(crash));
    for (int i = 0; i < 3; ++i) {
        EXPECT_THROW(openWorkbook(crash), WorkbookError);
    }
    // The program is whole afterwards: the next .xls opens and reads.
    auto book = openWorkbook(sourceFile("tests/data/workbooks/basic.xls"));
    book->selectSheet("Gau21");
    EXPECT_EQ(book->cellText(5, 2), "SF-001");
}

TEST(RobustXls, TheKindIsToldByTheContentNotTheName) {
    TempDir dir;
    // An .xls saved under an .xlsx name reads as an .xls, and the reverse.
    std::filesystem::copy_file(sourceFile("tests/data/workbooks/basic.xls"),
                               dir.file("renamed.xlsx"));
    auto xls = openWorkbook(dir.file("renamed.xlsx"));
    xls->selectSheet("Gau21");
    EXPECT_EQ(xls->cellText(5, 6), "UAB „Šviesa“");
    {
        WorkbookBuilder builder(dir.file("renamed.xls"));
        builder.sheet("Gau21").text(5, 2, "SF-7");
        builder.save();
    }
    auto xlsx = openWorkbook(dir.file("renamed.xls"));
    xlsx->selectSheet("Gau21");
    EXPECT_EQ(xlsx->cellText(5, 2), "SF-7");
}
