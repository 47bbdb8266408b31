#pragma once

#include <optional>
#include <string_view>

// A number written as a plain decimal ("1234.5", "-0.05", "007"), the way spreadsheet files
// store nearly every amount. With at most 15 significant digits it needs no trip through a
// double: such a decimal is exactly the shortest form of the double nearest to it (doubles
// tell apart any two decimals of 15 significant digits), so formatting and rounding can work
// on its digits and still give what the trip through the double gives.
struct PlainDecimal {
    static constexpr int kMaxDigits = 15;

    bool negative = false;
    // The significant digits, from the first non-zero one to the last non-zero one; empty for
    // zero.
    char digits[kMaxDigits] = {};
    int count = 0;
    // The power of ten of the first significant digit: 3 for 1234.5, -2 for 0.05.
    int exponent = 0;

    std::string_view significant() const { return {digits, static_cast<size_t>(count)}; }
};

// `text` as a plain decimal: an optional "-", digits, and optionally `separator` followed by
// digits. Nothing else is allowed (no "+", no exponent, no blanks), nor more than 15
// significant digits or a magnitude outside 10^-300..10^300: callers take those the long way.
std::optional<PlainDecimal> parsePlainDecimal(std::string_view text, std::string_view separator);
