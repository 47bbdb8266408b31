#include <gtest/gtest.h>

#include "base/collation.h"
#include "base/date.h"
#include "base/text.h"
#include "base/text_codec.h"

namespace {

TEST(Dates, PreviousMonthIsTheProposedPeriod) {
    auto check = [](Date today, Date from, Date to) {
        const Period period = previousMonth(today);
        EXPECT_EQ(period.from, from) << today.text();
        EXPECT_EQ(period.to, to) << today.text();
    };
    check({2024, 3, 15}, {2024, 2, 1}, {2024, 2, 29});
    check({2023, 3, 31}, {2023, 2, 1}, {2023, 2, 28});
    check({2025, 1, 10}, {2024, 12, 1}, {2024, 12, 31});
    check({2100, 3, 1}, {2100, 2, 1}, {2100, 2, 28});
}

TEST(Dates, SerialNumbersFollowTheSpreadsheetEpoch) {
    EXPECT_EQ((Date{1899, 12, 30}.serial()), 0);
    EXPECT_EQ((Date{1905, 2, 16}.serial()), 1874);
    EXPECT_EQ((Date{1980, 1, 1}.serial()), 29221);
    for (long serial : {-700000L, -1L, 0L, 60L, 1874L, 45000L, 2958465L}) {
        EXPECT_EQ(Date::fromSerial(serial).serial(), serial);
    }
    EXPECT_EQ(Date::fromSerial(2958465).text(), "9999-12-31");
    EXPECT_FALSE(Date::make(2023, 2, 29));
    EXPECT_TRUE(Date::make(2024, 2, 29));
    EXPECT_FALSE(Date::make(2024, 13, 1));
}

TEST(TextCodec, Windows1257RoundTripAndRefusal) {
    const std::string lithuanian = "ĄČĘĖĮŠŲŪŽ ąčęėįšųūž „Kabutės“ – €";
    const auto encoded = utf8ToCp1257(lithuanian);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(encoded->size(), 33u);  // one byte a character
    EXPECT_EQ(cp1257ToUtf8(*encoded), lithuanian);
    EXPECT_FALSE(utf8ToCp1257("Привет"));
    EXPECT_FALSE(fitsCp1257("emoji 😀"));
    EXPECT_FALSE(fitsCp1257("\xC0\x80"));  // not UTF-8 at all
    // Our own files: valid UTF-8 with non-ASCII letters is UTF-8, anything else Windows-1257.
    EXPECT_EQ(decodeOwnTextFile("Šiauliai"), "Šiauliai");
    EXPECT_EQ(decodeOwnTextFile("\xD0iauliai"), "Šiauliai");
    EXPECT_EQ(decodeOwnTextFile("\xEF\xBB\xBFŠ"), "Š");
}

TEST(Text, TrimCaseAndCharacters) {
    EXPECT_EQ(trimmed(" \t\r\n x y \x01"), "x y");
    EXPECT_EQ(trimmed("\xC2\xA0x"), "\xC2\xA0x");  // a no-break space is text
    EXPECT_TRUE(equalsIgnoringCase("Gau21", "gAU21"));
    EXPECT_TRUE(equalsIgnoringCase("išrašai", "IŠRAŠAI"));  // beyond ASCII too
    EXPECT_FALSE(equalsIgnoringCase("Gau2", "Gau21"));
    EXPECT_FALSE(equalsIgnoringCase("Isr-", "Isr0"));
    EXPECT_EQ(characterCount("ąčę"), 3u);
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(firstCharacters("ąčęx", 2), "ąč");
    EXPECT_EQ(firstCharacters("ab", 5), "ab");
}

TEST(Collation, LithuanianOrderIgnoringCase) {
    EXPECT_LT(compareIgnoringCase("cukrus", "Čiobreliai"), 0);
    EXPECT_LT(compareIgnoringCase("Čiobreliai", "dantys"), 0);
    EXPECT_LT(compareIgnoringCase("Yda", "Jonas"), 0);  // y is sorted with i, before j
    EXPECT_EQ(compareIgnoringCase("Medis", "MEDIS"), 0);
    EXPECT_LT(compareIgnoringCase("alfa", "Beta"), 0);
    EXPECT_EQ(collationKey("UAB Medis"), collationKey("uab medis"));
    EXPECT_LT(collationKey("Beta"), collationKey("gama"));
}

}  // namespace
