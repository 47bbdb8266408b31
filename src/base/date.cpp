#include "base/date.h"

#include <ctime>

namespace {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian calendar).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr long kSerialOf1970 = 25569;  // 1970-01-01 as a day count from 1899-12-30

}  // namespace

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year)) {
        return 29;
    }
    return kDays[month - 1];
}

bool Date::isValid(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

std::optional<Date> Date::make(int year, int month, int day) {
    if (!isValid(year, month, day)) {
        return std::nullopt;
    }
    return Date{year, month, day};
}

long Date::serial() const {
    return daysFromCivil(year, month, day) + kSerialOf1970;
}

Date Date::fromSerial(long serial) {
    const long z = serial - kSerialOf1970 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    return Date{y, m, d};
}

std::string Date::text() const {
    std::string out(10, '0');
    write(out.data());
    return out;
}

void Date::write(char* out) const {
    const auto put = [out](int value, int first, int width) {
        for (int at = first + width - 1; at >= first; --at, value /= 10) {
            out[at] = static_cast<char>('0' + value % 10);
        }
    };
    put(year, 0, 4);
    out[4] = '-';
    put(month, 5, 2);
    out[7] = '-';
    put(day, 8, 2);
}

Period previousMonth(Date today) {
    int year = today.year;
    int month = today.month - 1;
    if (month == 0) {
        month = 12;
        --year;
    }
    const Date from{year, month, 1};
    return {from, Date{year, month, daysInMonth(year, month)}};
}

Date localToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}
