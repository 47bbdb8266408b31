#pragma once

#include <string>
#include <string_view>

#include "base/regional_settings.h"

// How cell values become the texts the sheet readers parse: the way the spreadsheet
// application hands a cell's value to a program, under the user's regional settings.

// Where a workbook counts its date serials from.
enum class DateSystem {
    from1900,  // serial 1 is 1900-01-01, with the fictitious 1900-02-29 as serial 60
    from1904,  // serial 0 is 1904-01-01
};

// A number as a cell gives it: decimal, the regional decimal separator, no grouping, at most
// 15 significant digits; scientific ("1,5E20", "1E-7") for 10^15 and more or below 10^-5.
std::string formatCellNumber(double value, const RegionalSettings& regional);

// The same for a number as the workbook file writes it ("1234.5"), into `out`, without a trip
// through a double; false, leaving `out` alone, for any form but a plain decimal of at most
// 15 significant digits, which formatCellNumber then takes.
bool formatWrittenCellNumber(std::string_view written, const RegionalSettings& regional,
                             std::string& out);

// A date-formatted number: the regional short date, then " HH:mm:ss" when the time of day is
// not midnight; only the time when the serial lies within day zero. Serials outside the
// calendar the spreadsheet application knows (negative, after 9999-12-31) give the number.
std::string formatCellDate(double serial, DateSystem system, const RegionalSettings& regional);

// A number cell's text: the date (formatCellDate) when its format shows a date or time, else
// the number (formatCellNumber).
std::string formatNumberCell(double value, bool dateStyle, DateSystem system,
                             const RegionalSettings& regional);

// A boolean cell's text.
std::string_view booleanCellText(bool value);

// A cell's name as the spreadsheet application shows it: column letters and row ("I5").
std::string cellReference(int row, int column);

// A calendar day and time of day under the regional short date form, as above.
std::string formatDateTime(int year, int month, int day, int secondsOfDay,
                           const RegionalSettings& regional);

// Whether a built-in number format id is one of the date and time formats.
bool isBuiltinDateFormat(int formatId);

// Whether a number format code shows a date or time: a day, month, year, hour or second code
// outside quoted text, escaped characters and bracketed parts ([Red], [$-409]).
bool isDateFormatCode(std::string_view code);
