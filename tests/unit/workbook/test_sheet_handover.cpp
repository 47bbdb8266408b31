#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "support/workbook_builder.h"
#include "support/xlsx_zip.h"
#include "workbook/workbook_connection.h"

// A worksheet is scanned on a thread of its own, a bounded number of rows ahead of the reader.
// Sheets far longer than that bound must read exactly as a single pass would: every row in
// order, going back, changing sheets or closing mid-sheet, and failures at their own row.

namespace {

constexpr int kFirst = 5;
constexpr int kLast = 4004;  // several times the rows the scanner may hold ahead

std::string textOf(int row) {
    return "SF-" + std::to_string(row);
}

}  // namespace

TEST(SheetHandOver, LongSheetsReadInOrderWhateverTheReaderDoes) {
    TempDir dir;
    const std::string path = dir.file("long.xlsx");
    {
        WorkbookBuilder book(path);
        for (const char* sheet : {"Gau21", "Isr21"}) {
            book.sheet(sheet);
            for (int row = kFirst; row <= kLast; ++row) {
                book.number(row, 1, row).text(row, 2, textOf(row) + sheet);
            }
        }
        book.save();
    }
    auto book = openWorkbook(path);
    book->selectSheet("Gau21");
    for (int row = kFirst; row <= kLast + 2; row += row % 7 == 0 ? 3 : 1) {  // with gaps
        const std::string expected = row <= kLast ? std::to_string(row) : "";
        ASSERT_EQ(book->cellText(row, 1), expected) << row;
        ASSERT_EQ(book->cellText(row, 2), row <= kLast ? textOf(row) + "Gau21" : "") << row;
    }
    // Back to the top after the end, then stop half way and change sheets while the scan of
    // the first one waits with its rows ready.
    EXPECT_EQ(book->cellText(100, 2), textOf(100) + "Gau21");
    EXPECT_EQ(book->cellText(2000, 1), "2000");
    book->selectSheet("Isr21");
    EXPECT_EQ(book->cellText(3999, 2), textOf(3999) + "Isr21");
    EXPECT_EQ(book->cellText(kFirst, 1), std::to_string(kFirst));
    book->selectSheet("Gau21");
    EXPECT_EQ(book->cellText(kLast, 2), textOf(kLast) + "Gau21");
    book->selectSheet("Isr21");
    EXPECT_EQ(book->cellText(10, 2), textOf(10) + "Isr21");
    book->quit();  // while the scan is mid-sheet
    EXPECT_THROW(book->cellText(11, 2), WorkbookError);
}

TEST(SheetHandOver, FailuresReachTheReaderAtTheirOwnRow) {
    std::string rows;
    for (int row = kFirst; row <= kLast; ++row) {
        const std::string r = std::to_string(row);
        const std::string b = row == 3000 ? "x1" : r;  // a bad number in B3000
        rows += "<row r=\"" + r + "\"><c r=\"A" + r + "\"><v>" + r + "</v></c><c r=\"B" + r +
                "\"><v>" + b + "</v></c></row>";
    }
    rows += "<row r=\"4005\"><c r=\"A4005\"><v>&bad;</v></c></row>";
    TempDir dir;
    const std::string path = dir.file("late.xlsx");
    writeZip(path, minimalXlsx(worksheetXml(rows)));

    auto book = openWorkbook(path);
    book->selectSheet("Gau21");
    for (int row = kFirst; row <= kLast; ++row) {
        ASSERT_EQ(book->cellText(row, 1), std::to_string(row)) << row;
        if (row == 3000) {
            try {
                book->cellText(row, 2);
                ADD_FAILURE() << "B3000 holds no number";
            } catch (const WorkbookError& error) {
                EXPECT_STREQ(error.what(), "sheet Gau21, cell B3000 holds a bad number");
            }
        } else {
            ASSERT_EQ(book->cellText(row, 2), std::to_string(row)) << row;
        }
    }
    try {
        book->cellText(kLast + 1, 1);
        ADD_FAILURE() << "the damaged row was read";
    } catch (const WorkbookError& error) {
        EXPECT_NE(std::string(error.what()).find("undefined entity"), std::string::npos)
            << error.what();
    }
    EXPECT_THROW(book->cellText(kFirst, 1), WorkbookError);  // the failure stays
}
