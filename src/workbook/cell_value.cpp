#include "workbook/cell_value.h"

#include <charconv>
#include <cmath>

#include "base/date.h"

namespace {

// Excel's largest date, 9999-12-31, as a 1900-system serial.
constexpr double kLastSerial1900 = 2958465.0;
// 1904-01-01 in the 1900 system: the offset between the two date systems.
constexpr long kDays1904 = 1462;
constexpr long kMillisecondsPerDay = 86400000;

void appendPadded(std::string& out, int value, int width) {
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    const auto length = static_cast<int>(written.ptr - digits);
    if (length < width) {
        out.append(static_cast<size_t>(width - length), '0');
    }
    out.append(digits, written.ptr);
}

void appendTime(std::string& out, int secondsOfDay) {
    appendPadded(out, secondsOfDay / 3600, 2);
    out += ':';
    appendPadded(out, secondsOfDay / 60 % 60, 2);
    out += ':';
    appendPadded(out, secondsOfDay % 60, 2);
}

// The number of these significant digits (no trailing zeros) and this power of ten of the
// first, as a cell shows it.
void appendSignificant(std::string& out, const PlainDecimal& number) {
    constexpr char kComma = ',';
    const std::string_view digits = number.significant();
    const int exponent = number.exponent;
    if (number.negative) {
        out += '-';
    }
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += kComma;
            out.append(digits.substr(1));
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += kComma;
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto intDigits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits.substr(0, intDigits));
            out += kComma;
            out.append(digits.substr(intDigits));
        }
    }
}

bool readsAsDouble(std::string_view written, double& value) {
    const char* end = written.data() + written.size();
    const auto result = std::from_chars(written.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

}  // namespace

std::optional<CellDateTime> cellDateTime(double serial, DateSystem system) {
    const double last =
        system == DateSystem::from1900 ? kLastSerial1900 : kLastSerial1900 - kDays1904;
    if (!(serial >= 0.0 && serial < last + 1.0)) {
        return std::nullopt;
    }
    // Milliseconds first, as the application does, so that 0.99999999 of a second of noise in
    // the serial does not turn 13:00:00 into 12:59:59; then the seconds are cut.
    auto ms =
        static_cast<long long>(std::llround(serial * static_cast<double>(kMillisecondsPerDay)));
    auto days = static_cast<long>(ms / kMillisecondsPerDay);
    const int seconds = static_cast<int>(ms % kMillisecondsPerDay / 1000);
    if (system == DateSystem::from1904) {
        days += kDays1904;
    } else if (days == 0) {
        return seconds == 0 ? CellDateTime{1899, 12, 30, 0} : CellDateTime{0, 0, 0, seconds};
    } else if (days == 60) {
        return CellDateTime{1900, 2, 29, seconds};  // the day Lotus thought existed
    } else if (days < 60) {
        days += 1;
    }
    const Date date = Date::fromSerial(days);
    return CellDateTime{date.year, date.month, date.day, seconds};
}

bool isWrittenNumber(std::string_view written) {
    // Digits with at most one point and a leading minus always read to a finite double when they
    // are not absurdly long: the form nearly every number cell has, checked without parsing.
    constexpr std::size_t kSurelyFinite = 300;
    std::size_t i = !written.empty() && written.front() == '-' ? 1 : 0;
    bool digit = false;
    bool point = false;
    for (; i < written.size(); ++i) {
        const char c = written[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (i == written.size() && digit && written.size() <= kSurelyFinite) {
        return true;
    }
    double value = 0;
    return readsAsDouble(written, value);
}

double writtenNumberValue(std::string_view written) {
    double value = 0;
    return readsAsDouble(written, value) ? value : 0.0;
}

PlainDecimal cellDecimal(std::string_view written) {
    if (const auto plain = parsePlainDecimal(written, ".")) {
        return *plain;
    }
    PlainDecimal number;
    const double value = writtenNumberValue(written);
    if (value == 0.0) {
        return number;
    }
    // to_chars does not depend on the C locale, which a front end may have set to the user's.
    // The shortest form that reads back to the value is the number rounded to 15 significant
    // digits whenever it has no more than 15 of them: the value then lies far closer to it
    // than half a step of the 15th digit. Only longer forms need the rounding itself.
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string_view sci(buf, static_cast<size_t>(result.ptr - buf));  // -d.dddde+XX
    if (sci.find('e') - (sci.front() == '-' ? 1 : 0) - (sci.find('.') != sci.npos ? 1 : 0) >
        static_cast<size_t>(PlainDecimal::kMaxDigits)) {
        result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                               PlainDecimal::kMaxDigits - 1);
        sci = std::string_view(buf, static_cast<size_t>(result.ptr - buf));
    }
    const size_t ePos = sci.find('e');
    number.negative = sci.front() == '-';
    for (const char c : sci.substr(0, ePos)) {
        if (c >= '0' && c <= '9' && number.count < PlainDecimal::kMaxDigits) {
            number.digits[number.count++] = c;
        }
    }
    while (number.count > 1 && number.digits[number.count - 1] == '0') {
        --number.count;
    }
    std::string_view exponentText = sci.substr(ePos + 1);
    if (exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(),
                    number.exponent);
    return number;
}

void appendCellText(std::string& out, const CellValue& value) {
    switch (value.kind) {
        case CellValue::Kind::empty:
            return;
        case CellValue::Kind::text:
            out.append(value.text);
            return;
        case CellValue::Kind::number: {
            const PlainDecimal number = cellDecimal(value.text);
            if (number.count == 0) {
                out += '0';
            } else {
                appendSignificant(out, number);
            }
            return;
        }
        case CellValue::Kind::date:
            if (value.date.isTimeOnly()) {
                appendTime(out, value.date.secondsOfDay);
                return;
            }
            appendPadded(out, value.date.year, 4);
            out += '-';
            appendPadded(out, value.date.month, 2);
            out += '-';
            appendPadded(out, value.date.day, 2);
            if (value.date.secondsOfDay != 0) {
                out += ' ';
                appendTime(out, value.date.secondsOfDay);
            }
            return;
        case CellValue::Kind::boolean:
            out += value.boolean ? "TRUE" : "FALSE";
            return;
    }
}

std::string cellText(const CellValue& value) {
    std::string out;
    appendCellText(out, value);
    return out;
}

bool isBuiltinDateFormat(int formatId) {
    return (formatId >= 14 && formatId <= 22) || (formatId >= 27 && formatId <= 36) ||
           (formatId >= 45 && formatId <= 47) || (formatId >= 50 && formatId <= 58);
}

bool isDateFormatCode(std::string_view code) {
    for (size_t i = 0; i < code.size(); ++i) {
        switch (code[i]) {
            case '"': {
                const size_t end = code.find('"', i + 1);
                if (end == std::string_view::npos) {
                    return false;
                }
                i = end;
                break;
            }
            case '\\':  // escaped literal character
            case '_':   // space as wide as the next character
            case '*':   // the next character repeated to fill the cell
                ++i;
                break;
            case '[': {
                const size_t end = code.find(']', i + 1);
                if (end == std::string_view::npos) {
                    return false;
                }
                // [h], [mm], [ss]: elapsed time, still a time format; [Red], [$-409] are not.
                const std::string_view inside = code.substr(i + 1, end - i - 1);
                if (!inside.empty() &&
                    inside.find_first_not_of("hHmMsS") == std::string_view::npos) {
                    return true;
                }
                i = end;
                break;
            }
            case 'd':
            case 'D':
            case 'm':
            case 'M':
            case 'y':
            case 'Y':
            case 'h':
            case 'H':
            case 's':
            case 'S':
                return true;
            default:
                break;
        }
    }
    return false;
}

std::string cellReference(int row, int column) {
    std::string letters;
    for (; column > 0; column = (column - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    }
    return letters + std::to_string(row);
}
