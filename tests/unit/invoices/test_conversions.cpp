#include <gtest/gtest.h>

#include <cstdint>

#include "invoices/conversions.h"

namespace {

const RegionalSettings kLithuanian = lithuanianSettings();

RegionalSettings monthFirstSettings() {
    return RegionalSettings{".", ",", "M/d/yyyy", "/"};
}

std::string dateText(std::string_view cell, const RegionalSettings& regional = kLithuanian) {
    return cellDateText(cell, regional);
}

// A typed amount in cents, as the file writes it; zero when it is not a number.
std::string amount(std::string_view cell, const RegionalSettings& regional = kLithuanian) {
    return readRoundedAmount(cell, regional).value_or(Money{}).text();
}

}  // namespace

TEST(Conversions, DateFromPatternLooksOnlyAtThePieces) {
    EXPECT_EQ(DateFromPattern("yyyy-mm-dd", "2023-01-15"), (Date{2023, 1, 15}));
    EXPECT_EQ(DateFromPattern("yyyy-mm-dd", "2023.01.15"), (Date{2023, 1, 15}));
    EXPECT_EQ(DateFromPattern("yyyy-mm-dd", "2023/01/15 13:45:00"), (Date{2023, 1, 15}));
    EXPECT_EQ(DateFromPattern("dd-mm-yyyy", "15.01.2023"), (Date{2023, 1, 15}));
    EXPECT_EQ(DateFromPattern("dd-mm-yyyy", "15-01-2023 7:05"), (Date{2023, 1, 15}));
    EXPECT_EQ(DateFromPattern("yyyy-mm-dd", "2024-02-29"), (Date{2024, 2, 29}));
    EXPECT_FALSE(DateFromPattern("yyyy-mm-dd", "2023-02-29"));
    EXPECT_FALSE(DateFromPattern("yyyy-mm-dd", "2023-13-01"));
    EXPECT_FALSE(DateFromPattern("yyyy-mm-dd", "2023-1x-01"));
    EXPECT_FALSE(DateFromPattern("yyyy-mm-dd", "0000-01-01"));
    EXPECT_FALSE(DateFromPattern("yyyy-mm-dd", "2023-01"));
}

TEST(Conversions, CellDateConversion) {
    // Both fixed patterns, with and without a time of day.
    EXPECT_EQ(dateText("2023-01-15"), "2023-01-15");
    EXPECT_EQ(dateText("2023-01-15 00:00:00"), "2023-01-15");
    EXPECT_EQ(dateText("2023.01.15 13:45"), "2023-01-15");
    EXPECT_EQ(dateText("15.01.2023"), "2023-01-15");
    EXPECT_EQ(dateText("15/01/2023 08:30:15"), "2023-01-15");
    // The regional reading: one- or two-digit day and month, the whole text.
    EXPECT_EQ(dateText("2024-1-5"), "2024-01-05");
    EXPECT_EQ(dateText(" 2024-01-05 "), "2024-01-05");
    EXPECT_EQ(dateText("2024-1-5 9:07"), "2024-01-05");
    EXPECT_EQ(dateText("2024-1-5 23:59:59"), "2024-01-05");
    // Unreadable: the fallback date.
    EXPECT_EQ(dateText(""), "1905-02-16");
    EXPECT_EQ(dateText("2023-02-30"), "1905-02-16");
    EXPECT_EQ(dateText("rytoj"), "1905-02-16");
    EXPECT_EQ(dateText("5.1.2023"), "1905-02-16");
    EXPECT_EQ(dateText("2024-1-5 24:00"), "1905-02-16");
    EXPECT_EQ(dateText("2024-1-5  9:07"), "1905-02-16");
    EXPECT_EQ(dateText("24-1-5"), "1905-02-16");
    EXPECT_FALSE(readCellDate("2024-1-5x", kLithuanian));
    EXPECT_FALSE(readCellDate("", kLithuanian));
}

TEST(Conversions, RegionalDateUnderAMonthFirstForm) {
    const RegionalSettings us = monthFirstSettings();
    EXPECT_EQ(dateText("1/5/2024", us), "2024-01-05");
    EXPECT_EQ(dateText("11/12/2024", us), "2024-11-12");
    EXPECT_EQ(dateText("12/31/2024 13:45:10", us), "2024-12-31");
    // The fixed patterns still read what the user typed in them.
    EXPECT_EQ(dateText("2024-01-05", us), "2024-01-05");
    EXPECT_EQ(dateText("15.01.2023", us), "2023-01-15");
    EXPECT_EQ(dateText("1/5/24", us), "1905-02-16");
    EXPECT_EQ(dateText("13/5/2024", us), "1905-02-16");
}

TEST(Conversions, AmountsUnderLithuanianSettings) {
    EXPECT_EQ(amount("12,345"), "12.35");
    EXPECT_EQ(amount("abc"), "0.00");
    EXPECT_EQ(amount(""), "0.00");
    EXPECT_EQ(amount("1 234,50"), "0.00");
    EXPECT_EQ(amount("-3"), "-3.00");
    EXPECT_EQ(amount(" 100 "), "100.00");
    EXPECT_EQ(amount("+1,5E3"), "1500.00");
    EXPECT_EQ(amount("2,5e-1"), "0.25");
    EXPECT_EQ(amount("-0,001"), "0.00");
    EXPECT_EQ(amount("999999999999,99"), "999999999999.99");

    EXPECT_EQ(readAmount("12,5", kLithuanian), 12.5);
    EXPECT_EQ(readAmount(",5", kLithuanian), 0.5);
    for (const char* text :
         {"", "  ", "12.50", "1 234,50", "1,2,3", "abc", "12,5 EUR", "1e", "e5", "-", ",",
          "1\xC2\xA0"
          "234",
          "1e999"}) {
        EXPECT_FALSE(readAmount(text, kLithuanian)) << text;
    }
    EXPECT_EQ(readAmount("12.50", monthFirstSettings()), 12.5);
    EXPECT_EQ(amount("1234.5", monthFirstSettings()), "1234.50");
    EXPECT_EQ(amount("1234,5", monthFirstSettings()), "0.00");
}

TEST(Conversions, MyRoundToRoundsTheTypedDecimalHalfAwayFromZero) {
    const std::pair<double, double> table[] = {{0.0149, 0.01},
                                               {0.0148, 0.01},
                                               {1.0049, 1.00},
                                               {1.00489, 1.00},
                                               {1.005, 1.01},
                                               {2.675, 2.68},
                                               {-2.675, -2.68},
                                               {12.344, 12.34},
                                               {0.125, 0.13},
                                               {12.3449, 12.34},
                                               {0.995, 1.00},
                                               {-0.005, -0.01},
                                               {99.995, 100.0},
                                               {5.0, 5.0},
                                               {0.0, 0.0},
                                               {1e-300, 0.0},
                                               {123456789012.345, 123456789012.35}};
    for (const auto& [value, rounded] : table) {
        EXPECT_EQ(MyRoundTo(value, 2), rounded) << value;
    }
    EXPECT_EQ(MyRoundTo(2.5, 0), 3.0);
    EXPECT_EQ(MyRoundTo(-2.5, 0), -3.0);
    EXPECT_EQ(MyRoundTo(1250.0, -2), 1300.0);
    EXPECT_EQ(MyRoundTo(1e20, 2), 1e20);
}

TEST(Conversions, TrimmingAndUpperCasing) {
    EXPECT_EQ(trimmed(" \t\r\n x y \x01"), "x y");
    EXPECT_EQ(trimmed("\xC2\xA0x"), "\xC2\xA0x");  // a no-break space is text
    EXPECT_EQ(upperCased("lt12ąčx"), "LT12ąčX");
}

TEST(Conversions, NamesNumbersAndCodesStayOnOneLineOfXmlText) {
    // Not escaped: the writer escapes every value once.
    EXPECT_EQ(cleanName("A|B & C"), "AB & C");
    EXPECT_EQ(cleanName("A &amp; B"), "A &amp; B");
    EXPECT_EQ(cleanName(" UAB \"Ąžuolas\" <x> "), "UAB \"Ąžuolas\" <x>");
    EXPECT_EQ(cleanName("Pirma\neilutė"), "Pirma eilutė");
    EXPECT_EQ(cleanName("A\r\nB\n"), "A  B");
    EXPECT_EQ(cleanName("A\x01"
                        "B\x1F\tC\x7F"),
              "AB\tC\x7F");
    EXPECT_EQ(cleanName("A\xEF\xBF\xBE"
                        "B\xEF\xBF\xBF"
                        "C\xEF\xBF\xBD"),
              "ABC\xEF\xBF\xBD");

    EXPECT_EQ(cleanInvoiceNumber("  ab|12\n3 "), "ab12 3");
    EXPECT_EQ(cleanCode(" lt\n12\x02 "), "LT 12");
    EXPECT_EQ(cleanCode("x|y"), "X|Y");  // kept: the reader reports a bar in a code
}

TEST(Conversions, TaxCodes) {
    EXPECT_EQ(normaliseTaxCode("01"), "PVM1");
    EXPECT_EQ(normaliseTaxCode("1"), "PVM1");
    EXPECT_EQ(normaliseTaxCode("12"), "PVM12");
    EXPECT_EQ(normaliseTaxCode("PVM2"), "PVM2");
    EXPECT_EQ(normaliseTaxCode("0"), "0");
    EXPECT_EQ(normaliseTaxCode("-1"), "-1");
    EXPECT_EQ(normaliseTaxCode(""), "");
    EXPECT_EQ(normaliseTaxCode("99999999999"), "99999999999");

    for (const char* code : {"PVM1", "PVM12", "PVM100", "PVM01"}) {
        EXPECT_TRUE(isValidTaxCode(code)) << code;
    }
    for (const char* code : {"", "PVM", "PVM1000", "PVMX", "0", "-1", "pvm1", " PVM1", "PVM1 "}) {
        EXPECT_FALSE(isValidTaxCode(code)) << code;
    }
}

TEST(Conversions, CountryIdCandidateAndPlaceholders) {
    EXPECT_EQ(deriveCountry("", "LT50123"), "LT");
    EXPECT_EQ(deriveCountry("DE", "LT50123"), "DE");
    EXPECT_EQ(deriveCountry("", "501234"), "");
    EXPECT_EQ(deriveCountry("", "ND"), "");
    EXPECT_EQ(deriveCountry("", "NE123"), "");
    EXPECT_EQ(deriveCountry("", ""), "");
    EXPECT_EQ(deriveCountry("", "0"), "0");
    EXPECT_EQ(deriveCountry("", "12345678901"), "12");  // too long for a 32-bit number
    EXPECT_EQ(deriveCountry("", "ĄB123"), "ĄB");        // characters, not bytes

    EXPECT_EQ(counterpartIdCandidate("", "LT50123"), "50123");
    EXPECT_EQ(counterpartIdCandidate("", "501234"), "1234");
    EXPECT_EQ(counterpartIdCandidate("", "ND"), "0");
    EXPECT_EQ(counterpartIdCandidate("", ""), "0");
    EXPECT_EQ(counterpartIdCandidate("123456789", "LT50123"), "123456789");
    EXPECT_EQ(counterpartIdCandidate("ND", "LT50123"), "50123");
    EXPECT_EQ(counterpartIdCandidate("ND", ""), "0");
    EXPECT_EQ(counterpartIdCandidate("", "ĄB77"), "77");

    EXPECT_EQ(orPlaceholder(""), "ND");
    EXPECT_EQ(orPlaceholder("UAB"), "UAB");
}

TEST(Conversions, WholeNumbersAndCharacterCounts) {
    EXPECT_EQ(wholeNumber64("12345678901"), 12345678901);
    EXPECT_EQ(wholeNumber64("+7"), 7);
    EXPECT_EQ(wholeNumber64("-9223372036854775808"), INT64_MIN);
    EXPECT_FALSE(wholeNumber64("9223372036854775808"));
    EXPECT_FALSE(wholeNumber64("ND"));
    EXPECT_FALSE(wholeNumber64("1 2"));
    EXPECT_FALSE(wholeNumber64(""));
    EXPECT_FALSE(wholeNumber32("2147483648"));

    EXPECT_EQ(characterCount("ąčę"), 3u);
    EXPECT_EQ(characterCount("abc"), 3u);
    EXPECT_EQ(characterCount(""), 0u);
}
