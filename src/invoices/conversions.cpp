#include "invoices/conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/plain_decimal.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// trimmed() in place: the readers clean every cell, and a new text per step costs more than
// the cleaning itself.
void trimInPlace(std::string& text) {
    const std::string_view kept = trimmed(text);
    text.erase(static_cast<std::size_t>(kept.data() + kept.size() - text.data()));
    text.erase(0, static_cast<std::size_t>(kept.data() - text.data()));
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, isDigit);
}

// Decimal digits only, no sign: the pieces of a date.
std::optional<int> digitsValue(std::string_view text) {
    int value = 0;
    if (!allDigits(text) || text.size() > 4) {
        return std::nullopt;
    }
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return value;
}

template <typename Int>
std::optional<Int> wholeNumber(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (!allDigits(digits)) {
        return std::nullopt;
    }
    // Parsed with its minus sign, so the most negative value fits as well.
    const std::string_view number = text.front() == '-' ? text : digits;
    Int value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value);
    if (ec != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return value;
}

// Byte length of the first `count` characters of UTF-8 text.
std::size_t prefixBytes(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t seen = 0; i < text.size() && seen < count; ++seen) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
            ++i;
        }
    }
    return i;
}

std::string withoutBars(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (c != '|') {
            result += c;
        }
    }
    return result;
}

// Whether the cleaning would leave a trimmed text as it is: no control character, no U+FFFE or
// U+FFFF (all begin with 0xEF), and no "|" where that goes. So it is for nearly every cell.
bool needsNoCleaning(std::string_view trimmedText, bool dropBars) {
    for (const char c : trimmedText) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0xEF || (dropBars && c == '|')) {
            return false;
        }
    }
    return true;
}

// The free texts have always lost their "|", and the files made so far show it.
std::string cleanFreeText(std::string_view cellText) {
    const std::string_view kept = trimmed(cellText);
    if (needsNoCleaning(kept, true)) {
        return std::string(kept);
    }
    std::string text = singleLineXmlText(withoutBars(cellText));
    trimInPlace(text);
    return text;
}

// " H:mm" or " H:mm:ss" after a regional date.
bool isTimeOfDay(std::string_view text) {
    if (text.empty() || text.front() != ' ') {
        return false;
    }
    text.remove_prefix(1);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 1 || colon > 2) {
        return false;
    }
    const auto hour = digitsValue(text.substr(0, colon));
    text.remove_prefix(colon + 1);
    auto twoDigits = [](std::string_view piece, int limit) {
        const auto value = digitsValue(piece);
        return piece.size() == 2 && value && *value <= limit;
    };
    if (!hour || *hour > 23 || text.size() < 2 || !twoDigits(text.substr(0, 2), 59)) {
        return false;
    }
    text.remove_prefix(2);
    if (text.empty()) {
        return true;
    }
    return text.size() == 3 && text.front() == ':' && twoDigits(text.substr(1), 59);
}

}  // namespace

std::optional<std::int64_t> wholeNumber64(std::string_view text) {
    return wholeNumber<std::int64_t>(text);
}

std::optional<std::int32_t> wholeNumber32(std::string_view text) {
    return wholeNumber<std::int32_t>(text);
}

std::optional<Date> DateFromPattern(std::string_view pattern, std::string_view text) {
    // A piece runs short when the text ends early, as a substring would.
    auto piece = [&](std::string_view name) -> std::optional<int> {
        const std::size_t at = pattern.find(name);
        if (at == std::string_view::npos || at >= text.size()) {
            return std::nullopt;
        }
        return digitsValue(text.substr(at, name.size()));
    };
    const auto day = piece("dd");
    const auto month = piece("mm");
    const auto year = piece("yyyy");
    if (!day || !month || !year) {
        return std::nullopt;
    }
    return Date::make(*year, *month, *day);
}

std::optional<Date> readRegionalDate(std::string_view text, const RegionalSettings& regional) {
    std::string order;  // the fields as the short date format has them, e.g. "yMd"
    for (const char c : regional.shortDateFormat) {
        if ((c == 'd' || c == 'M' || c == 'y') && order.find(c) == std::string::npos) {
            order += c;
        }
    }
    const std::string& separator = regional.dateSeparator;
    if (order.size() != 3 || separator.empty()) {
        return std::nullopt;
    }
    std::string_view rest = trimmed(text);
    int year = 0;
    int month = 0;
    int day = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0) {
            if (!rest.starts_with(separator)) {
                return std::nullopt;
            }
            rest.remove_prefix(separator.size());
        }
        std::size_t length = 0;
        while (length < rest.size() && isDigit(rest[length])) {
            ++length;
        }
        const bool isYear = order[i] == 'y';
        if (isYear ? length != 4 : (length < 1 || length > 2)) {
            return std::nullopt;
        }
        const int value = *digitsValue(rest.substr(0, length));
        rest.remove_prefix(length);
        (isYear ? year : order[i] == 'M' ? month : day) = value;
    }
    if (!rest.empty() && !isTimeOfDay(rest)) {
        return std::nullopt;
    }
    return Date::make(year, month, day);
}

std::optional<Date> readCellDate(std::string_view cellText, const RegionalSettings& regional) {
    // A text in the user's own short date form means what it means there ("11/12/2024" is
    // in November under a month-first form); the two fixed patterns catch texts typed as
    // 2023-01-15 or 15.01.2023, with or without a time after them. Under Lithuanian
    // settings the order of the two readings makes no difference.
    if (const auto date = readRegionalDate(cellText, regional)) {
        return date;
    }
    return readPatternDate(cellText);
}

std::optional<Date> readPatternDate(std::string_view text) {
    const bool yearFirst = allDigits(text.substr(0, 4)) && text.size() >= 4;
    if (allDigits(text.substr(0, 2)) && text.size() >= 2) {
        return DateFromPattern(yearFirst ? "yyyy-mm-dd" : "dd-mm-yyyy", text);
    }
    return std::nullopt;
}

std::string cellDateText(std::string_view cellText, const RegionalSettings& regional) {
    return readCellDate(cellText, regional).value_or(kFallbackDate).text();
}

std::optional<double> readAmount(std::string_view text, const RegionalSettings& regional) {
    const std::string_view whole = trimmed(text);
    const std::string& separator = regional.decimalSeparator;
    std::string plain;  // the same number in the form from_chars reads
    std::size_t i = 0;
    if (i < whole.size() && (whole[i] == '+' || whole[i] == '-')) {
        if (whole[i] == '-') {
            plain += '-';
        }
        ++i;
    }
    bool anyDigit = false;
    bool anySeparator = false;
    while (i < whole.size()) {
        if (isDigit(whole[i])) {
            plain += whole[i++];
            anyDigit = true;
        } else if (!anySeparator && !separator.empty() &&
                   whole.compare(i, separator.size(), separator) == 0) {
            plain += '.';
            i += separator.size();
            anySeparator = true;
        } else {
            break;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    if (i < whole.size() && (whole[i] == 'e' || whole[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < whole.size() && (whole[i] == '+' || whole[i] == '-')) {
            plain += whole[i++];
        }
        const std::size_t exponentStart = i;
        while (i < whole.size() && isDigit(whole[i])) {
            plain += whole[i++];
        }
        if (i == exponentStart) {
            return std::nullopt;
        }
    }
    if (i != whole.size()) {
        return std::nullopt;
    }
    double value = 0;
    const char* end = plain.data() + plain.size();
    const auto [ptr, ec] = std::from_chars(plain.data(), end, value);
    if (ec != std::errc{} || ptr != end) {
        return std::nullopt;
    }
    return value;
}

double MyRoundTo(double AValue, int ADigit) {
    if (!std::isfinite(AValue) || AValue == 0) {
        return AValue;
    }
    // The shortest fixed-point form that reads back to the same double: the decimal number
    // behind it, free of binary noise. 512 characters hold every finite double.
    char buffer[512];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(AValue), std::chars_format::fixed);
    const std::string_view form(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const std::size_t point = form.find('.');
    std::string digits(form.substr(0, point));
    const long integerDigits = static_cast<long>(digits.size());
    if (point != std::string_view::npos) {
        digits += form.substr(point + 1);
    }
    const long keep = integerDigits + ADigit;
    if (keep >= static_cast<long>(digits.size())) {
        return AValue;
    }
    std::string kept = keep > 0 ? digits.substr(0, static_cast<std::size_t>(keep)) : "0";
    if (keep >= 0 && digits[static_cast<std::size_t>(keep)] >= '5') {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') {
            kept[--i] = '0';
        }
        if (i == 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[i - 1];
        }
    }
    // kept is the magnitude in units of 10^-ADigit.
    std::string text = (AValue < 0 ? "-" : "") + kept + "e" + std::to_string(-ADigit);
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

namespace {

// Far beyond what a file holds (the readers refuse 10^12 euros and more), cents saturate.
constexpr double kSaturation = 9e18;

Money centsOfRounded(double rounded) {
    const double cents = rounded * 100.0;
    if (!(std::fabs(cents) < kSaturation)) {
        return Money{cents < 0 ? -static_cast<std::int64_t>(kSaturation)
                               : static_cast<std::int64_t>(kSaturation)};
    }
    return Money{std::llround(cents)};
}

// The rounding to cents of a decimal of at most 15 significant digits; the long way, through
// MyRoundTo, when its cents would need more digits than that.
Money roundedCents(const PlainDecimal& number) {
    // Cents kept: the digits down to the hundredths, as MyRoundTo counts them.
    const int keep = number.exponent + 3;
    if (keep > PlainDecimal::kMaxDigits) {
        std::string text = number.negative ? "-" : "";
        text.append(number.significant())
            .append("e")
            .append(std::to_string(number.exponent - number.count + 1));
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return centsOfRounded(MyRoundTo(value, 2));
    }
    std::int64_t cents = 0;
    for (int n = 0; n < keep; ++n) {
        cents = cents * 10 + (n < number.count ? number.digits[n] - '0' : 0);
    }
    if (keep >= 0 && keep < number.count && number.digits[keep] >= '5') {
        ++cents;  // half away from zero
    }
    return Money{number.negative ? -cents : cents};
}

}  // namespace

std::optional<Money> readRoundedAmount(std::string_view cellText,
                                       const RegionalSettings& regional) {
    if (const auto number = parsePlainDecimal(trimmed(cellText), regional.decimalSeparator)) {
        return roundedCents(*number);
    }
    const auto value = readAmount(cellText, regional);
    if (!value) {
        return std::nullopt;
    }
    return centsOfRounded(MyRoundTo(*value, 2));
}

Money roundedAmount(const PlainDecimal& number) {
    return number.count == 0 ? Money{} : roundedCents(number);
}

std::string upperCased(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string singleLineXmlText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n' || c == '\r') {
            result += ' ';
        } else if (c < 0x20 && c != '\t') {
            continue;
        } else if (c == 0xEF && text.substr(i + 1, 1) == "\xBF" && i + 2 < text.size() &&
                   (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
            i += 2;  // U+FFFE, U+FFFF
        } else {
            result += static_cast<char>(c);
        }
    }
    return result;
}

std::string cleanName(std::string_view cellText) {
    return cleanFreeText(cellText);
}

std::string cleanInvoiceNumber(std::string_view cellText) {
    return cleanFreeText(cellText);
}

std::string cleanCode(std::string_view cellText) {
    const std::string_view kept = trimmed(cellText);
    std::string text;
    if (needsNoCleaning(kept, false)) {
        text = kept;
    } else {
        text = singleLineXmlText(cellText);
        trimInPlace(text);
    }
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::string normaliseTaxCode(std::string_view code) {
    const auto number = wholeNumber32(code);
    if (number && *number > 0) {
        return "PVM" + std::to_string(*number);
    }
    return std::string(code);
}

bool isValidTaxCode(std::string_view code) {
    if (!code.starts_with("PVM")) {
        return false;
    }
    const std::string_view digits = code.substr(3);
    return digits.size() <= 3 && allDigits(digits);
}

std::string deriveCountry(std::string_view country, std::string_view vatCode) {
    if (!country.empty()) {
        return std::string(country);
    }
    if (vatCode.empty()) {
        return {};
    }
    const auto number = wholeNumber32(vatCode);
    if (number && *number >= 1) {
        return {};
    }
    const std::string_view prefix = vatCode.substr(0, prefixBytes(vatCode, 2));
    if (prefix == "NE" || prefix == "ND") {
        return {};
    }
    return std::string(prefix);
}

std::string counterpartIdCandidate(std::string_view companyCode, std::string_view vatCode) {
    if (!companyCode.empty() && companyCode != "ND") {
        return std::string(companyCode);
    }
    if (!vatCode.empty()) {
        if (vatCode == "ND") {
            return "0";
        }
        return std::string(vatCode.substr(prefixBytes(vatCode, 2)));
    }
    return "0";
}

std::string_view orPlaceholder(std::string_view text) {
    return text.empty() ? std::string_view("ND") : text;
}
