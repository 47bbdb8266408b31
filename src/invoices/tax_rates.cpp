#include "invoices/tax_rates.h"

#include <algorithm>
#include <charconv>
#include <iterator>

std::optional<std::string> listedTaxPercentage(std::string_view number) {
    if (!number.empty() && number.front() == '+') {
        number.remove_prefix(1);
    }
    int code = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), code);
    if (error != std::errc() || end != number.data() + number.size()) {
        code = 0;
    }
    constexpr int kTwentyOne[] = {1, 6, 9, 16, 20, 21, 25, 32, 43};
    constexpr int kNine[] = {2, 7, 17, 26, 30, 44};
    constexpr int kFive[] = {3, 8, 18, 27, 31, 37, 40, 45};
    constexpr int kZero[] = {12, 13, 14, 28, 33, 35, 38, 41, 46};
    constexpr int kNone[] = {5, 15, 19, 29, 34, 36, 39, 42, 47, 48, 100};
    const auto holds = [code](const auto& codes) {
        return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
    };
    if (holds(kTwentyOne)) {
        return "21";
    }
    if (holds(kNine)) {
        return "9";
    }
    if (holds(kFive)) {
        return "5";
    }
    if (holds(kZero)) {
        return "0";
    }
    if (holds(kNone)) {
        return "";
    }
    return std::nullopt;
}

std::optional<int> taxCodeRate(std::string_view code) {
    if (code.size() < 4 || code.size() > 6 || !code.starts_with("PVM") ||
        !std::all_of(code.begin() + 3, code.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const auto listed = listedTaxPercentage(code.substr(3));
    if (!listed || listed->empty()) {
        return std::nullopt;
    }
    int rate = 0;
    std::from_chars(listed->data(), listed->data() + listed->size(), rate);
    return rate;
}
