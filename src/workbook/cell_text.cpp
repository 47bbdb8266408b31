#include "workbook/cell_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "base/plain_decimal.h"

namespace {

// Excel's largest date, 9999-12-31, as a 1900-system serial.
constexpr double kLastSerial1900 = 2958465.0;
// 1904-01-01 in the 1900 system: the offset between the two date systems.
constexpr long kDays1904 = 1462;
constexpr long kMillisecondsPerDay = 86400000;

struct CivilDate {
    int year;
    int month;
    int day;
};

// Days counted from 1899-12-30 to a proleptic Gregorian calendar day (H. Hinnant's method).
CivilDate civilFromSerial(long serial) {
    long z = serial - 25569 + 719468;  // shift the epoch from 1899-12-30 to 0000-03-01
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long day = doy - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

void appendPadded(std::string& out, int value, int width) {
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    const auto length = static_cast<int>(written.ptr - digits);
    if (length < width) {
        out.append(static_cast<size_t>(width - length), '0');
    }
    out.append(digits, written.ptr);
}

}  // namespace

namespace {

// The number with these significant digits (no trailing zeros) and the power of ten of the
// first, as a cell gives it.
void appendSignificant(std::string& out, bool negative, std::string_view digits, int exponent,
                       const RegionalSettings& regional) {
    if (negative) {
        out += '-';
    }
    if (exponent >= 15 || exponent < -5) {
        out += digits[0];
        if (digits.size() > 1) {
            out += regional.decimalSeparator;
            out.append(digits.substr(1));
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += regional.decimalSeparator;
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto intDigits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits.substr(0, intDigits));
            out += regional.decimalSeparator;
            out.append(digits.substr(intDigits));
        }
    }
}

}  // namespace

std::string formatCellNumber(double value, const RegionalSettings& regional) {
    if (value == 0.0 || !std::isfinite(value)) {
        return "0";
    }
    // to_chars does not depend on the C locale, which a front end may have set to the user's.
    // The shortest form that reads back to the value is the number rounded to 15 significant
    // digits whenever it has no more than 15 of them: the value then lies far closer to it
    // than half a step of the 15th digit. Only longer forms need the rounding itself.
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string_view sci(buf, static_cast<size_t>(result.ptr - buf));  // -d.dddde+XX
    if (sci.find('e') - (sci.front() == '-' ? 1 : 0) - (sci.find('.') != sci.npos ? 1 : 0) > 15) {
        result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
        sci = std::string_view(buf, static_cast<size_t>(result.ptr - buf));
    }
    const size_t ePos = sci.find('e');
    const bool negative = sci.front() == '-';
    char digitBuffer[32];
    size_t count = 0;
    for (char c : sci.substr(0, ePos)) {
        if (c >= '0' && c <= '9') {
            digitBuffer[count++] = c;
        }
    }
    while (count > 1 && digitBuffer[count - 1] == '0') {
        --count;
    }
    int exponent = 0;
    std::string_view exponentText = sci.substr(ePos + 1);
    if (exponentText.front() == '+') {
        exponentText.remove_prefix(1);
    }
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    std::string out;
    appendSignificant(out, negative, std::string_view(digitBuffer, count), exponent, regional);
    return out;
}

bool formatWrittenCellNumber(std::string_view written, const RegionalSettings& regional,
                             std::string& out) {
    const auto number = parsePlainDecimal(written, ".");
    if (!number) {
        return false;
    }
    out.clear();
    if (number->count == 0) {
        out += '0';
    } else {
        appendSignificant(out, number->negative, number->significant(), number->exponent, regional);
    }
    return true;
}

std::string formatDateTime(int year, int month, int day, int secondsOfDay,
                           const RegionalSettings& regional) {
    const std::string& pattern = regional.shortDateFormat;
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {  // quoted literal text; '' stands for one quote
            size_t end = pattern.find('\'', i + 1);
            if (end == i + 1) {
                out += '\'';
            } else {
                out.append(pattern, i + 1,
                           (end == std::string::npos ? pattern.size() : end) - i - 1);
            }
            i = end == std::string::npos ? pattern.size() : end + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        if (c == 'y') {
            if (run >= 3) {
                appendPadded(out, year, 4);
            } else {
                appendPadded(out, year % 100, 2);
            }
        } else if (c == 'M') {
            appendPadded(out, month, run >= 2 ? 2 : 1);
        } else if (c == 'd') {
            appendPadded(out, day, run >= 2 ? 2 : 1);
        } else {
            out.append(run, c);
        }
        i += run;
    }
    if (secondsOfDay != 0) {
        out += ' ';
        appendPadded(out, secondsOfDay / 3600, 2);
        out += ':';
        appendPadded(out, secondsOfDay / 60 % 60, 2);
        out += ':';
        appendPadded(out, secondsOfDay % 60, 2);
    }
    return out;
}

std::string formatCellDate(double serial, DateSystem system, const RegionalSettings& regional) {
    const double last =
        system == DateSystem::from1900 ? kLastSerial1900 : kLastSerial1900 - kDays1904;
    if (!(serial >= 0.0 && serial < last + 1.0)) {
        return formatCellNumber(serial, regional);
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
        std::string time = formatDateTime(1899, 12, 30, seconds, regional);
        return seconds == 0 ? time : time.substr(time.rfind(' ') + 1);
    } else if (days == 60) {
        return formatDateTime(1900, 2, 29, seconds, regional);  // the day Lotus thought existed
    } else if (days < 60) {
        days += 1;
    }
    const CivilDate date = civilFromSerial(days);
    return formatDateTime(date.year, date.month, date.day, seconds, regional);
}

std::string formatNumberCell(double value, bool dateStyle, DateSystem system,
                             const RegionalSettings& regional) {
    return dateStyle ? formatCellDate(value, system, regional) : formatCellNumber(value, regional);
}

std::string_view booleanCellText(bool value) {
    return value ? "TRUE" : "FALSE";
}

std::string cellReference(int row, int column) {
    std::string letters;
    for (; column > 0; column = (column - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    }
    return letters + std::to_string(row);
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
