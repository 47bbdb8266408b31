#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "workbook/workbook_connection.h"

namespace {

std::string dataFile(const std::string& name) {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/tests/data/workbooks/" + name;
}

}  // namespace

TEST(WorkbookXls, ReadsABiff8Workbook) {
    auto book = openWorkbook(dataFile("basic.xls"));
    book->selectSheet("GAU21");
    EXPECT_EQ(book->cellText(5, 1), "2023-01-15");
    EXPECT_EQ(book->cellText(5, 2), "SF-001");
    EXPECT_EQ(book->cellText(5, 3), "");
    EXPECT_EQ(book->cellText(5, 6), "UAB „Šviesa“");
    EXPECT_EQ(book->cellText(5, 9), "1234,5");
    EXPECT_EQ(book->cellText(5, 10), "0,3");
    EXPECT_EQ(book->cellText(5, 11), "5");
    EXPECT_EQ(book->cellText(5, 12), "2023-01-15 13:05:07");
    EXPECT_EQ(book->cellText(6, 1), "");
    EXPECT_EQ(book->cellText(7, 1), "after a gap");
    EXPECT_EQ(book->cellText(5, 1), "2023-01-15");
    EXPECT_EQ(book->cellText(500, 23), "");  // beyond the sheet's extent

    book->selectSheet("išrašai");
    EXPECT_EQ(book->cellText(5, 1), "lower");
    EXPECT_THROW(book->selectSheet("Isr21"), WorkbookError);
    book->quit();
    EXPECT_THROW(book->cellText(5, 1), WorkbookError);
}

TEST(WorkbookXls, CellsComeTyped) {
    auto book = openWorkbook(dataFile("basic.xls"));
    book->selectSheet("Gau21");
    const CellValue date = book->cell(5, 1);
    EXPECT_EQ(date.kind, CellValue::Kind::date);
    EXPECT_EQ(date.date.year * 10000 + date.date.month * 100 + date.date.day, 20230115);
    const CellValue number = book->cell(5, 9);
    EXPECT_EQ(number.kind, CellValue::Kind::number);
    EXPECT_EQ(number.text, "1234.5");
    EXPECT_EQ(book->cell(5, 2).kind, CellValue::Kind::text);
    EXPECT_EQ(book->cell(5, 3).kind, CellValue::Kind::empty);
}
