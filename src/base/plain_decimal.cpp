#include "base/plain_decimal.h"

namespace {

constexpr int kMaxMagnitude = 300;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<PlainDecimal> parsePlainDecimal(std::string_view text, std::string_view separator) {
    PlainDecimal number;
    size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        number.negative = true;
        ++i;
    }
    const size_t integerStart = i;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    const size_t integerEnd = i;
    size_t fractionStart = i;
    size_t fractionEnd = i;
    if (i < text.size()) {
        if (separator.empty() || text.substr(i, separator.size()) != separator) {
            return std::nullopt;
        }
        fractionStart = i + separator.size();
        fractionEnd = fractionStart;
        while (fractionEnd < text.size() && isDigit(text[fractionEnd])) {
            ++fractionEnd;
        }
        if (fractionEnd != text.size() || fractionEnd == fractionStart) {
            return std::nullopt;
        }
    }
    if (integerEnd == integerStart) {
        return std::nullopt;
    }
    // Walk the digits as one sequence, the integer part's followed by the fraction's.
    const auto digitAt = [&](size_t n) {
        const size_t integerDigits = integerEnd - integerStart;
        return n < integerDigits ? text[integerStart + n] : text[fractionStart + n - integerDigits];
    };
    const size_t total = (integerEnd - integerStart) + (fractionEnd - fractionStart);
    size_t first = 0;
    while (first < total && digitAt(first) == '0') {
        ++first;
    }
    if (first == total) {
        return number;  // zero
    }
    size_t last = total;
    while (digitAt(last - 1) == '0') {
        --last;
    }
    if (last - first > static_cast<size_t>(PlainDecimal::kMaxDigits)) {
        return std::nullopt;
    }
    const long exponent =
        static_cast<long>(integerEnd - integerStart) - 1 - static_cast<long>(first);
    if (exponent > kMaxMagnitude || exponent < -kMaxMagnitude) {
        return std::nullopt;
    }
    for (size_t n = first; n < last; ++n) {
        number.digits[number.count++] = digitAt(n);
    }
    number.exponent = static_cast<int>(exponent);
    return number;
}
