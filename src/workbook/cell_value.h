#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/plain_decimal.h"

// A cell's value as the workbook holds it, not as some user's regional settings would show it.

// A date-formatted number within the spreadsheet application's calendar: a calendar day and a
// time of day. The day is not checked: the 1900 date system's 1900-02-29 and an ISO date cell's
// 2023-02-30 come as they are, for the readers to judge.
struct CellDateTime {
    int year = 0;  // 0, with month and day 0, for a time of day alone (a serial within day zero)
    int month = 0;
    int day = 0;
    int secondsOfDay = 0;

    bool isTimeOnly() const { return year == 0; }
};

struct CellValue {
    enum class Kind : std::uint8_t { empty, text, number, date, boolean };

    Kind kind = Kind::empty;
    bool boolean = false;
    CellDateTime date;
    // Text: the text as typed. Number: the number as the workbook file writes it, a decimal
    // that reads back to the cell's double ("1234.5", "-0.05", "1.5E-7"), so that the plain
    // decimals nearly every amount is never take a trip through a double.
    std::string_view text;

    // Empty, or a text of no characters: what ends a sheet.
    bool isEmpty() const { return kind == Kind::empty || (kind == Kind::text && text.empty()); }
};

// Where a workbook counts its date serials from.
enum class DateSystem {
    from1900,  // serial 1 is 1900-01-01, with the fictitious 1900-02-29 as serial 60
    from1904,  // serial 0 is 1904-01-01
};

// The date and time of a date-formatted serial; nothing for a serial outside the calendar the
// spreadsheet application knows (negative, after 9999-12-31), which stays a number.
std::optional<CellDateTime> cellDateTime(double serial, DateSystem system);

// Whether `written` is a number as a workbook file writes one: a plain decimal ("-12.5") or a
// form from_chars reads to a finite double ("1.5E-7").
bool isWrittenNumber(std::string_view written);

// The value of a written number.
double writtenNumberValue(std::string_view written);

// A written number as a cell shows it: at most 15 significant digits, the 15th rounded. A plain
// decimal of at most 15 of them is taken as it stands, with no trip through a double; the
// exponent of a double's digits may lie beyond PlainDecimal's parsing bounds.
PlainDecimal cellDecimal(std::string_view written);

// One fixed rendering of a cell's value as text, the same under every regional setting, for
// the readers that need a non-text cell as text (an invoice number typed as a number): a text
// unchanged; a number with a decimal comma, no grouping, at most 15 significant digits,
// scientific ("1,5E20", "1E-7") for 10^15 and more or below 10^-5; a date "yyyy-MM-dd", then
// " HH:mm:ss" when not midnight (only the time for a time of day alone); "TRUE" or "FALSE".
void appendCellText(std::string& out, const CellValue& value);
std::string cellText(const CellValue& value);

// A cell's name as the spreadsheet application shows it: column letters and row ("I5").
std::string cellReference(int row, int column);

// Whether a built-in number format id is one of the date and time formats.
bool isBuiltinDateFormat(int formatId);

// Whether a number format code shows a date or time: a day, month, year, hour or second code
// outside quoted text, escaped characters and bracketed parts ([Red], [$-409]).
bool isDateFormatCode(std::string_view code);
