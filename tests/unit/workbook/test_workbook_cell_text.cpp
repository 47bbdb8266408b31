#include <gtest/gtest.h>

#include "workbook/cell_text.h"

namespace {

RegionalSettings withDateFormat(const std::string& format, const std::string& decimal = ",") {
    RegionalSettings regional = lithuanianSettings();
    regional.shortDateFormat = format;
    regional.decimalSeparator = decimal;
    return regional;
}

}  // namespace

TEST(WorkbookCellText, NumbersKeepFifteenSignificantDigitsWithoutGrouping) {
    const RegionalSettings lt = lithuanianSettings();
    EXPECT_EQ(formatCellNumber(0.1 + 0.2, lt), "0,3");
    EXPECT_EQ(formatCellNumber(1234.5, lt), "1234,5");
    EXPECT_EQ(formatCellNumber(5, lt), "5");
    EXPECT_EQ(formatCellNumber(-0.5, lt), "-0,5");
    EXPECT_EQ(formatCellNumber(0.0, lt), "0");
    EXPECT_EQ(formatCellNumber(-0.0, lt), "0");
    EXPECT_EQ(formatCellNumber(1234567.89, lt), "1234567,89");
    EXPECT_EQ(formatCellNumber(100, lt), "100");
    EXPECT_EQ(formatCellNumber(123456789012345.0, lt), "123456789012345");
    EXPECT_EQ(formatCellNumber(1.005 * 1000, lt), "1005");
    EXPECT_EQ(formatCellNumber(2.675, lt), "2,675");
    EXPECT_EQ(formatCellNumber(0.00001, lt), "0,00001");
    // Beyond the fixed range the application switches to its scientific form.
    EXPECT_EQ(formatCellNumber(1e15, lt), "1E15");
    EXPECT_EQ(formatCellNumber(123456789012345678.0, lt), "1,23456789012346E17");
    EXPECT_EQ(formatCellNumber(-1.5e-7, lt), "-1,5E-7");
    EXPECT_EQ(formatCellNumber(1234.5, withDateFormat("M/d/yyyy", ".")), "1234.5");
}

TEST(WorkbookCellText, DateSerialsFollowTheWorkbookDateSystem) {
    const RegionalSettings lt = lithuanianSettings();
    EXPECT_EQ(formatCellDate(44941, DateSystem::from1900, lt), "2023-01-15");
    EXPECT_EQ(formatCellDate(29221, DateSystem::from1900, lt), "1980-01-01");
    EXPECT_EQ(formatCellDate(2958465, DateSystem::from1900, lt), "9999-12-31");
    // The 1900 system counts a 29 February 1900 that never was: days before it are one off.
    EXPECT_EQ(formatCellDate(1, DateSystem::from1900, lt), "1900-01-01");
    EXPECT_EQ(formatCellDate(59, DateSystem::from1900, lt), "1900-02-28");
    EXPECT_EQ(formatCellDate(60, DateSystem::from1900, lt), "1900-02-29");
    EXPECT_EQ(formatCellDate(61, DateSystem::from1900, lt), "1900-03-01");
    EXPECT_EQ(formatCellDate(0, DateSystem::from1904, lt), "1904-01-01");
    EXPECT_EQ(formatCellDate(43479, DateSystem::from1904, lt), "2023-01-15");
    // Outside the application's calendar a date format shows the number.
    EXPECT_EQ(formatCellDate(-1, DateSystem::from1900, lt), "-1");
    EXPECT_EQ(formatCellDate(2958466, DateSystem::from1900, lt), "2958466");
}

TEST(WorkbookCellText, TimeOfDayFollowsTheDateUnlessMidnight) {
    const RegionalSettings lt = lithuanianSettings();
    EXPECT_EQ(formatCellDate(44941.5, DateSystem::from1900, lt), "2023-01-15 12:00:00");
    // 13:00 as a binary fraction lies a hair below; it must not read as 12:59:59.
    EXPECT_EQ(formatCellDate(44941 + 13.0 / 24, DateSystem::from1900, lt), "2023-01-15 13:00:00");
    EXPECT_EQ(formatCellDate(44941 + (13 * 3600 + 5 * 60 + 7) / 86400.0, DateSystem::from1900, lt),
              "2023-01-15 13:05:07");
    EXPECT_EQ(formatCellDate(44941.9999999999, DateSystem::from1900, lt), "2023-01-16");
    EXPECT_EQ(formatCellDate(0.75, DateSystem::from1900, lt), "18:00:00");
}

TEST(WorkbookCellText, ShortDatePatternsOfOtherLocales) {
    EXPECT_EQ(formatDateTime(2023, 1, 5, 0, withDateFormat("d.M.yyyy")), "5.1.2023");
    EXPECT_EQ(formatDateTime(2023, 1, 5, 0, withDateFormat("dd.MM.yyyy")), "05.01.2023");
    EXPECT_EQ(formatDateTime(2023, 1, 5, 0, withDateFormat("M/d/yyyy")), "1/5/2023");
    EXPECT_EQ(formatDateTime(2023, 1, 5, 0, withDateFormat("yyyy. MM. dd.")), "2023. 01. 05.");
    EXPECT_EQ(formatDateTime(2023, 1, 5, 0, withDateFormat("dd/MM/yy")), "05/01/23");
    EXPECT_EQ(formatDateTime(2023, 1, 5, 0, withDateFormat("yyyy'm.' M 'mėn.' d 'd.'")),
              "2023m. 1 mėn. 5 d.");
    EXPECT_EQ(formatDateTime(812, 3, 4, 3723, withDateFormat("yyyy-MM-dd")), "0812-03-04 01:02:03");
}

TEST(WorkbookCellText, DateFormatsAreToldFromNumberFormats) {
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
