#include "isaf/isaf_values.h"

namespace {

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view collapsed(std::string_view text) {
    while (!text.empty() && isXmlSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isXmlSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number of `count` digits at `text`, or -1.
int digitsValue(std::string_view text, size_t count) {
    if (text.size() < count) {
        return -1;
    }
    int value = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!isDigit(text[i])) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<long long> decimalHundredths(std::string_view text) {
    text = collapsed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    // Zeros at the end of the fraction do not change the value.
    while (fraction.size() > 2 && fraction.back() == '0') {
        fraction.remove_suffix(1);
    }
    if ((whole.empty() && fraction.empty()) || fraction.size() > 2) {
        return std::nullopt;
    }
    long long value = 0;
    for (const char c : whole) {
        if (!isDigit(c) || __builtin_mul_overflow(value, 10LL, &value) ||
            __builtin_add_overflow(value, c - '0', &value)) {
            return std::nullopt;
        }
    }
    for (size_t i = 0; i < 2; ++i) {
        const int digit = i < fraction.size() ? fraction[i] - '0' : 0;
        if ((i < fraction.size() && !isDigit(fraction[i])) ||
            __builtin_mul_overflow(value, 10LL, &value) ||
            __builtin_add_overflow(value, digit, &value)) {
            return std::nullopt;
        }
    }
    return negative ? -value : value;
}

std::optional<Date> xmlDate(std::string_view text) {
    text = collapsed(text);
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    const std::string_view zone = text.substr(10);
    const bool zoneValid =
        zone.empty() || zone == "Z" ||
        (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':' &&
         digitsValue(zone.substr(1), 2) >= 0 && digitsValue(zone.substr(4), 2) >= 0);
    if (!zoneValid) {
        return std::nullopt;
    }
    const int year = digitsValue(text, 4);
    const int month = digitsValue(text.substr(5), 2);
    const int day = digitsValue(text.substr(8), 2);
    if (year < 0 || month < 0 || day < 0) {
        return std::nullopt;
    }
    return Date::make(year, month, day);
}
