#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "invoices/conversions.h"
#include "workbook/cell_text.h"

// Number cells and amounts written as plain decimals skip the trips through doubles. Whatever
// they hold, the short way must give exactly what the long way gives.

namespace {

const RegionalSettings kLithuanian = lithuanianSettings();

// The long way: the written number read into a double, then formatted as a cell does.
std::string cellTextTheLongWay(const std::string& written) {
    double value = 0;
    std::from_chars(written.data(), written.data() + written.size(), value);
    return formatCellNumber(value, kLithuanian);
}

// A decimal whose digits favour what rounding and formatting turn on: 9s that carry, a 5 at
// the cut, zeros at both ends, lengths around 15 significant digits and 2 decimals.
std::string randomDecimal(std::mt19937_64& random) {
    const auto pick = [&random](int below) {
        return static_cast<int>(random() % static_cast<std::uint64_t>(below));
    };
    const auto digit = [&] {
        static constexpr char kDigits[] = "0123456789999995000";
        return kDigits[pick(sizeof kDigits - 1)];
    };
    std::string text = pick(3) == 0 ? "-" : "";
    const int integerDigits = 1 + pick(17);
    for (int n = 0; n < integerDigits; ++n) {
        text += n == 0 && pick(2) == 0 ? '0' : digit();
    }
    if (pick(4) != 0) {
        text += '.';
        const int fractionDigits = 1 + pick(18);
        for (int n = 0; n < fractionDigits; ++n) {
            text += digit();
        }
    }
    return text;
}

}  // namespace

TEST(PlainDecimal, CellNumbersReadAsTheyWouldThroughADouble) {
    const char* const fixed[] = {"0",
                                 "-0",
                                 "0.000",
                                 "1234.5",
                                 "007.50",
                                 "1E5",
                                 "0.1",
                                 "0.30000000000000004",
                                 "1e21",
                                 "100000000000000000000",
                                 "0.00001",
                                 "0.000001",
                                 "123456789012345",
                                 "1234567890123456",
                                 "-0.05",
                                 "+1",
                                 "1.",
                                 ".5",
                                 "1..2",
                                 "",
                                 "-"};
    std::string out = "untouched";
    for (const char* written : fixed) {
        out = "untouched";
        if (formatWrittenCellNumber(written, kLithuanian, out)) {
            EXPECT_EQ(out, cellTextTheLongWay(written)) << written;
        } else {
            EXPECT_EQ(out, "untouched") << written;
        }
    }
    EXPECT_TRUE(formatWrittenCellNumber("1234.5", kLithuanian, out));
    EXPECT_EQ(out, "1234,5");
    EXPECT_TRUE(formatWrittenCellNumber("100000000000000000000", kLithuanian, out));
    EXPECT_EQ(out, "1E20");
    EXPECT_FALSE(formatWrittenCellNumber("1E5", kLithuanian, out));
    EXPECT_FALSE(formatWrittenCellNumber("0.30000000000000004", kLithuanian, out));

    std::mt19937_64 random(20261209);
    int shortWays = 0;
    for (int n = 0; n < 200000; ++n) {
        const std::string written = randomDecimal(random);
        if (formatWrittenCellNumber(written, kLithuanian, out)) {
            ++shortWays;
            ASSERT_EQ(out, cellTextTheLongWay(written)) << written;
        }
    }
    EXPECT_GT(shortWays, 100000);
}

TEST(PlainDecimal, AmountsRoundAsTheyWouldThroughADouble) {
    const auto longWay = [](const std::string& text) -> std::optional<RoundedAmount> {
        const auto value = readAmount(text, kLithuanian);
        if (!value) {
            return std::nullopt;
        }
        const double rounded = MyRoundTo(*value, 2);
        return RoundedAmount{amountText(rounded, kLithuanian), rounded};
    };
    const auto same = [&](const std::string& text) {
        const auto fast = readRoundedAmount(text, kLithuanian);
        const auto slow = longWay(text);
        if (fast.has_value() != slow.has_value()) {
            return false;
        }
        return !fast || (fast->text == slow->text && fast->value == slow->value &&
                         std::signbit(fast->value) == std::signbit(slow->value));
    };
    for (const char* text : {"2,675",
                             "12,3449",
                             "99,995",
                             "-0,005",
                             "0,005",
                             "0,0049",
                             "-0",
                             " 007,50 ",
                             "999999999999,995",
                             "9999999999999,995",
                             "1e5",
                             "+1,005",
                             "1,",
                             ",5",
                             "1.5",
                             "",
                             "abc",
                             "0,00000000000000001",
                             "123456789012,34",
                             "1234567890123,4"}) {
        EXPECT_TRUE(same(text)) << text;
    }
    EXPECT_EQ(readRoundedAmount("2,675", kLithuanian)->text, "2,68");
    EXPECT_EQ(readRoundedAmount("-0,004", kLithuanian)->text, "0,00");
    EXPECT_EQ(readRoundedAmount("99,995", kLithuanian)->text, "100,00");

    std::mt19937_64 random(9122026);
    for (int n = 0; n < 200000; ++n) {
        std::string text = randomDecimal(random);
        std::replace(text.begin(), text.end(), '.', ',');
        ASSERT_TRUE(same(text)) << text;
    }
}
