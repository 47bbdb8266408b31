#include "invoices/code_checks.h"

#include <algorithm>
#include <array>

namespace {

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The weights cycle through 1..9; the first pass starts at 1, the second at 3.
int weightedRemainder(std::string_view digits, int firstWeight) {
    int sum = 0;
    int weight = firstWeight;
    for (const char digit : digits) {
        sum += (digit - '0') * weight;
        weight = weight == 9 ? 1 : weight + 1;
    }
    return sum % 11;
}

constexpr std::array<std::string_view, 28> kEuVatPrefixes = {
    "AT", "BE", "BG", "CY", "CZ", "DE", "DK", "EE", "EL", "ES", "FI", "FR", "HR", "HU",
    "IE", "IT", "LT", "LU", "LV", "MT", "NL", "PL", "PT", "RO", "SE", "SI", "SK", "XI"};

}  // namespace

int lithuanianCheckDigit(std::string_view digits) {
    int remainder = weightedRemainder(digits, 1);
    if (remainder == 10) {
        remainder = weightedRemainder(digits, 3);
    }
    return remainder == 10 ? 0 : remainder;
}

bool hasLithuanianCodeForm(std::string_view code) {
    return (code.size() == 9 || code.size() == 11) && allDigits(code);
}

bool hasRightCheckDigit(std::string_view code) {
    return !code.empty() && allDigits(code) &&
           lithuanianCheckDigit(code.substr(0, code.size() - 1)) == code.back() - '0';
}

LtVatCodeFault ltVatCodeFault(std::string_view digits) {
    if ((digits.size() != 9 && digits.size() != 12) || !allDigits(digits)) {
        return LtVatCodeFault::Form;
    }
    if (digits[digits.size() - 2] != '1') {
        return LtVatCodeFault::Marker;
    }
    return hasRightCheckDigit(digits) ? LtVatCodeFault::None : LtVatCodeFault::CheckDigit;
}

bool isEuVatPrefix(std::string_view prefix) {
    return std::find(kEuVatPrefixes.begin(), kEuVatPrefixes.end(), prefix) != kEuVatPrefixes.end();
}

bool countryMatchesVatPrefix(std::string_view country, std::string_view prefix) {
    return country == prefix || (prefix == "EL" && country == "GR") ||
           (prefix == "XI" && country == "GB");
}
