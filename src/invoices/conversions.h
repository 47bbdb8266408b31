#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/date.h"
#include "base/plain_decimal.h"
#include "base/text.h"
#include "invoices/invoice_book.h"
#include "invoices/regional_settings.h"

// The conversions that turn cell values into what the invoice book holds: dates, amounts in
// cents, cleaned names and codes. Only the texts a user typed are read under the regional
// settings. Pure functions; none of them reports an error, the sheet readers judge the results.

// Any date text that cannot be read becomes this day.
inline constexpr Date kFallbackDate{1905, 2, 16};
// A filled row dated before this day has a bad date; the fallback date lies before it.
inline constexpr Date kDateLimit{1980, 1, 1};
// The days an i.SAF file can hold as invoice and registration dates.
inline constexpr Date kFirstFileDate{2016, 7, 1};
inline constexpr Date kLastFileDate{2100, 1, 1};

// Reads a date by a pattern of "dd", "mm" and "yyyy" pieces ("yyyy-mm-dd" or "dd-mm-yyyy").
// Only the pieces are looked at, so 2023.01.15 and 2023/01/15 read like 2023-01-15, and a
// time of day after the last piece is ignored.
std::optional<Date> DateFromPattern(std::string_view pattern, std::string_view text);

// Reads a date in the regional short date form: its field order, a four-digit year, a one- or
// two-digit day and month between the regional date separators, optionally followed by one
// blank and a time of day (H:mm or H:mm:ss). The text is trimmed first.
std::optional<Date> readRegionalDate(std::string_view text, const RegionalSettings& regional);

// The date of a text typed into a date cell (as read, not trimmed): in the regional short date
// form, else by one of the two patterns (readPatternDate); nothing when none reads it.
std::optional<Date> readCellDate(std::string_view cellText, const RegionalSettings& regional);

// A text read by the two fixed patterns alone: "yyyy-mm-dd" when it starts with four digits,
// else "dd-mm-yyyy" when it starts with two. Also what a number in a date column gives, read
// from its cell text.
std::optional<Date> readPatternDate(std::string_view text);

// The date text of a typed date; the fallback date when it cannot be read.
std::string cellDateText(std::string_view cellText, const RegionalSettings& regional);

// The trimmed text read as a decimal number under the regional settings: optional sign,
// digits with at most one decimal separator, optional exponent. Nothing when it is not a
// number (empty text and digit grouping included).
std::optional<double> readAmount(std::string_view text, const RegionalSettings& regional);

// Rounds half away from zero to `ADigit` decimals. The rounding works on the shortest decimal
// form that reads back to `AValue` (the number the user typed), so binary noise cannot move a
// cent: 2.675 gives 2.68 and 12.3449 gives 12.34.
double MyRoundTo(double AValue, int ADigit);

// A typed amount read and rounded to whole cents: exactly MyRoundTo of readAmount, taking the
// plain decimals nearly every cell holds without the trips through doubles. Nothing when the
// text is not a number.
std::optional<Money> readRoundedAmount(std::string_view cellText, const RegionalSettings& regional);

// A number cell's amount: the number as the cell shows it (cellDecimal) rounded to cents, as
// readRoundedAmount rounds a typed one. Far beyond what any file holds the cents saturate.
Money roundedAmount(const PlainDecimal& number);

// ASCII letters upper-cased; every other character, Lithuanian letters included, unchanged.
std::string upperCased(std::string_view text);

// Removes the characters XML 1.0 forbids (controls other than tab, LF and CR; U+FFFE, U+FFFF)
// and turns CR and LF into a blank, so a stored text can neither break the file nor its layout
// of one element a line.
std::string singleLineXmlText(std::string_view text);

// Counterpart name: without "|" (as always before), on one line, trimmed. Not escaped: the
// i.SAF writer escapes every value once.
std::string cleanName(std::string_view cellText);

// Invoice number: without "|", on one line, trimmed; letter case kept.
std::string cleanInvoiceNumber(std::string_view cellText);

// Invoice type, VAT code, company code, country code, tax code: on one line, trimmed,
// upper-cased.
std::string cleanCode(std::string_view cellText);

// A positive whole number n becomes "PVM" + n ("01" gives "PVM1"); any other text stays.
std::string normaliseTaxCode(std::string_view code);

// "PVM" followed by one to three digits, as the i.SAF file requires.
bool isValidTaxCode(std::string_view code);

// The country code from the country cell and the VAT code (both cleaned): the cell when
// filled, else the VAT code's prefix unless the VAT code is a number, "NE..." or "ND...".
std::string deriveCountry(std::string_view country, std::string_view vatCode);

// The counterpart ID before any automatic number: the company code, else the VAT code
// without its country prefix, else "0".
std::string counterpartIdCandidate(std::string_view companyCode, std::string_view vatCode);

// "ND" in place of an empty company code, VAT code or name, as the file writes them.
std::string_view orPlaceholder(std::string_view text);

// The text read as a whole number (optional sign, decimal digits) that fits the type.
std::optional<std::int64_t> wholeNumber64(std::string_view text);
std::optional<std::int32_t> wholeNumber32(std::string_view text);
