#include <gtest/gtest.h>

#include "workbook/cell_value.h"

namespace {

std::string number(const std::string& written) {
    CellValue cell;
    cell.kind = CellValue::Kind::number;
    cell.text = written;
    return cellText(cell);
}

// A date serial's cell text, or "number" when it lies outside the calendar.
std::string serial(double value, DateSystem system = DateSystem::from1900) {
    const auto date = cellDateTime(value, system);
    if (!date) {
        return "number";
    }
    CellValue cell;
    cell.kind = CellValue::Kind::date;
    cell.date = *date;
    return cellText(cell);
}

}  // namespace

// The one rendering of a non-text cell, whatever the user's settings: what Lithuanian settings
// have always shown.
TEST(WorkbookCellValue, NumbersKeepFifteenSignificantDigitsWithoutGrouping) {
    EXPECT_EQ(number("0.30000000000000004"), "0,3");
    EXPECT_EQ(number("1234.5"), "1234,5");
    EXPECT_EQ(number("5"), "5");
    EXPECT_EQ(number("-0.5"), "-0,5");
    EXPECT_EQ(number("0"), "0");
    EXPECT_EQ(number("-0"), "0");
    EXPECT_EQ(number("1234567.89"), "1234567,89");
    EXPECT_EQ(number("123456789012345"), "123456789012345");
    EXPECT_EQ(number("1004.9999999999999"), "1005");
    EXPECT_EQ(number("2.675"), "2,675");
    EXPECT_EQ(number("0.00001"), "0,00001");
    // Beyond the fixed range the application switches to its scientific form.
    EXPECT_EQ(number("1E15"), "1E15");
    EXPECT_EQ(number("1.2345678901234568E17"), "1,23456789012346E17");
    EXPECT_EQ(number("-1.5E-7"), "-1,5E-7");
    CellValue boolean;
    boolean.kind = CellValue::Kind::boolean;
    EXPECT_EQ(cellText(boolean), "FALSE");
    boolean.boolean = true;
    EXPECT_EQ(cellText(boolean), "TRUE");
    EXPECT_EQ(cellText(CellValue{}), "");
}

TEST(WorkbookCellValue, DateSerialsFollowTheWorkbookDateSystem) {
    EXPECT_EQ(serial(44941), "2023-01-15");
    EXPECT_EQ(serial(29221), "1980-01-01");
    EXPECT_EQ(serial(2958465), "9999-12-31");
    // The 1900 system counts a 29 February 1900 that never was: days before it are one off.
    EXPECT_EQ(serial(1), "1900-01-01");
    EXPECT_EQ(serial(59), "1900-02-28");
    EXPECT_EQ(serial(60), "1900-02-29");
    EXPECT_EQ(serial(61), "1900-03-01");
    EXPECT_EQ(serial(0, DateSystem::from1904), "1904-01-01");
    EXPECT_EQ(serial(43479, DateSystem::from1904), "2023-01-15");
    // Outside the application's calendar a date format shows the number.
    EXPECT_EQ(serial(-1), "number");
    EXPECT_EQ(serial(2958466), "number");
}

TEST(WorkbookCellValue, TimeOfDayFollowsTheDateUnlessMidnight) {
    EXPECT_EQ(serial(44941.5), "2023-01-15 12:00:00");
    // 13:00 as a binary fraction lies a hair below; it must not read as 12:59:59.
    EXPECT_EQ(serial(44941 + 13.0 / 24), "2023-01-15 13:00:00");
    EXPECT_EQ(serial(44941 + (13 * 3600 + 5 * 60 + 7) / 86400.0), "2023-01-15 13:05:07");
    EXPECT_EQ(serial(44941.9999999999), "2023-01-16");
    EXPECT_EQ(serial(0.75), "18:00:00");
    EXPECT_TRUE(cellDateTime(0.75, DateSystem::from1900)->isTimeOnly());
    EXPECT_EQ(serial(0), "1899-12-30");
    CellValue early;
    early.kind = CellValue::Kind::date;
    early.date = {812, 3, 4, 3723};
    EXPECT_EQ(cellText(early), "0812-03-04 01:02:03");
}

TEST(WorkbookCellValue, DateFormatsAreToldFromNumberFormats) {
    for (int id : {14, 15, 16, 17, 18, 19, 20, 21, 22, 27, 36, 45, 46, 47, 50, 58}) {
        EXPECT_TRUE(isBuiltinDateFormat(id)) << id;
    }
    for (int id : {0, 1, 2, 4, 9, 10, 11, 12, 13, 23, 26, 37, 44, 48, 49, 59, 164}) {
        EXPECT_FALSE(isBuiltinDateFormat(id)) << id;
    }
    for (const char* code :
         {"yyyy\\-mm\\-dd", "dd/mm/yyyy;@", "[$-409]d/m/yyyy h:mm AM/PM", "YYYY-MM-DD", "[h]:mm:ss",
          "[Red]d.m.yy", "mmm yy", "\"Data: \"dd", "hh:mm", "[ss]"}) {
        EXPECT_TRUE(isDateFormatCode(code)) << code;
    }
    for (const char* code :
         {"General", "0.00", "#,##0.00\\ [$EUR]", "#,##0.00 \"d.m.\"", "0.00E+00", "@",
          "[Red]-0.00", "_-* #,##0.00\\ _d_-", "0\\d", "#,##0.00 [$€-427]", "\"unclosed"}) {
        EXPECT_FALSE(isDateFormatCode(code)) << code;
    }
}
