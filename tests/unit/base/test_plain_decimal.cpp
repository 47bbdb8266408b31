#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>

#include "invoices/conversions.h"
#include "workbook/cell_value.h"

// Number cells and amounts written as plain decimals skip the trips through doubles. Whatever
// they hold, the short way must give exactly what the long way gives.

namespace {

const RegionalSettings kLithuanian = lithuanianSettings();

// The long way: the written number read into a double, rounded to 15 significant digits
// (to_chars rounds correctly) and shown as a cell shows it.
std::string cellTextTheLongWay(const std::string& written) {
    double value = 0;
    std::from_chars(written.data(), written.data() + written.size(), value);
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
    const std::string sci(buffer, end);  // -d.ddddddddddddddde+XX
    const size_t e = sci.find('e');
    std::string digits;
    for (const char c : sci.substr(0, e)) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    const int exponent = std::stoi(sci.substr(e + 1));
    std::string text(value < 0 ? "-" : "");
    if (exponent >= 15 || exponent < -5) {
        text.append(digits, 0, 1);
        if (digits.size() > 1) {
            text.append(",").append(digits, 1);
        }
        return text.append("E").append(std::to_string(exponent));
    }
    if (exponent < 0) {
        return text.append("0,").append(static_cast<size_t>(-exponent - 1), '0').append(digits);
    }
    const auto whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole) {
        return text.append(digits).append(whole - digits.size(), '0');
    }
    return text.append(digits, 0, whole).append(",").append(digits, whole);
}

std::string numberCellText(const std::string& written) {
    CellValue cell;
    cell.kind = CellValue::Kind::number;
    cell.text = written;
    return cellText(cell);
}

// The long way of rounding: the text read into a double, MyRoundTo, the cents of the result.
std::optional<Money> roundedTheLongWay(const std::optional<double>& value) {
    if (!value) {
        return std::nullopt;
    }
    const double cents = MyRoundTo(*value, 2) * 100;
    constexpr double kSaturation = 9e18;  // far beyond any file, cents saturate
    if (std::fabs(cents) >= kSaturation) {
        return Money{static_cast<std::int64_t>(cents < 0 ? -kSaturation : kSaturation)};
    }
    return Money{std::llround(cents)};
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
                                 "-1.5E-7"};
    for (const char* written : fixed) {
        ASSERT_TRUE(isWrittenNumber(written)) << written;
        EXPECT_EQ(numberCellText(written), cellTextTheLongWay(written)) << written;
    }
    for (const char* notNumber : {"+1x", "1..2", "", "-", "1e999", "abc"}) {
        EXPECT_FALSE(isWrittenNumber(notNumber)) << notNumber;
    }
    EXPECT_EQ(numberCellText("1234.5"), "1234,5");
    EXPECT_EQ(numberCellText("100000000000000000000"), "1E20");
    EXPECT_EQ(numberCellText("0.30000000000000004"), "0,3");

    std::mt19937_64 random(20261209);
    int plain = 0;
    for (int n = 0; n < 200000; ++n) {
        const std::string written = randomDecimal(random);
        plain += parsePlainDecimal(written, ".") ? 1 : 0;
        ASSERT_EQ(numberCellText(written), cellTextTheLongWay(written)) << written;
        // A number cell's amount is the amount of its cell text, whatever took the short way.
        ASSERT_EQ(roundedAmount(cellDecimal(written)),
                  roundedTheLongWay(readAmount(numberCellText(written), kLithuanian)))
            << written;
    }
    EXPECT_GT(plain, 100000);
}

TEST(PlainDecimal, AmountsRoundAsTheyWouldThroughADouble) {
    const auto same = [&](const std::string& text) {
        return readRoundedAmount(text, kLithuanian) ==
               roundedTheLongWay(readAmount(text, kLithuanian));
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
    EXPECT_EQ(readRoundedAmount("2,675", kLithuanian)->text(), "2.68");
    EXPECT_EQ(readRoundedAmount("-0,004", kLithuanian)->text(), "0.00");
    EXPECT_EQ(readRoundedAmount("99,995", kLithuanian)->text(), "100.00");
    EXPECT_EQ(readRoundedAmount("-1234,5", kLithuanian)->text(), "-1234.50");

    std::mt19937_64 random(9122026);
    for (int n = 0; n < 200000; ++n) {
        std::string text = randomDecimal(random);
        std::replace(text.begin(), text.end(), '.', ',');
        ASSERT_TRUE(same(text)) << text;
    }
}
