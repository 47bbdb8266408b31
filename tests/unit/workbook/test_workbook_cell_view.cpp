#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/workbook_builder.h"
#include "workbook/workbook_connection.h"

namespace {

// The readers take cells as views; every other caller takes copies. Both must read alike.
TEST(WorkbookCellView, ViewsReadLikeCopies) {
    TempDir dir;
    const std::string path = dir.file("book.xlsx");
    {
        WorkbookBuilder book(path);
        book.sheet("Gau21")
            .text(5, 2, "SF-1")
            .text(5, 6, "UAB „Ąžuolas“ & Ko")
            .text(6, 2, "SF-1")  // the same shared string again
            .number(5, 9, 1234.5)
            .number(6, 9, 0.1 + 0.2, "0.00")
            .date(5, 1, 2024, 1, 15)
            .date(6, 4, 1904, 2, 29, "d.m.yyyy");
        book.sheet("Isr21").text(7, 23, "paskutinis");
        book.save();
    }
    const auto workbook = openWorkbook(path, lithuanianSettings());
    for (const char* sheet : {"Gau21", "Isr21"}) {
        workbook->selectSheet(sheet);
        for (int row = 5; row <= 8; ++row) {
            for (int column = 1; column <= 23; ++column) {
                const std::string copy = workbook->cellText(row, column);
                EXPECT_EQ(std::string(workbook->cellView(row, column)), copy)
                    << sheet << " " << row << "," << column;
            }
        }
    }
    workbook->selectSheet("Gau21");
    EXPECT_EQ(workbook->cellView(5, 6), "UAB „Ąžuolas“ & Ko");
    EXPECT_EQ(workbook->cellView(5, 9), "1234,5");
    EXPECT_EQ(workbook->cellView(5, 1), "2024-01-15");
}

}  // namespace
