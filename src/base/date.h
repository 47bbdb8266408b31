#pragma once

#include <compare>
#include <optional>
#include <string>

// A calendar day without time of day. The serial number counts days from 1899-12-30
// (day 0), the spreadsheet convention that the workbook cells and the period use.
struct Date {
    int year = 1899;
    int month = 12;
    int day = 30;

    auto operator<=>(const Date&) const =
        default;  // NOLINT(modernize-use-nullptr): a false report on <=>

    static bool isValid(int year, int month, int day);
    static std::optional<Date> make(int year, int month, int day);
    static Date fromSerial(long serial);
    long serial() const;

    // "yyyy-mm-dd"
    std::string text() const;
    // The same ten characters into `out`, without a formatted print: the i.SAF writer puts
    // three dates into every invoice.
    void write(char* out) const;
};

int daysInMonth(int year, int month);

struct Period {
    Date from;
    Date to;
};

// The calendar month before the one that holds `today`: the period proposed at start-up.
Period previousMonth(Date today);

// Today's date on the local clock.
Date localToday();
