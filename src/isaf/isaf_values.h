#pragma once

#include <optional>
#include <string_view>

#include "base/date.h"

// Values of an i.SAF file's elements as XML Schema writes them, read exactly.

// An xs:decimal with at most two digits after the point, in hundredths: the cents of an amount,
// the hundredths of a percentage. Surrounding whitespace is allowed, as the schema collapses
// it; "-12.5", "+3", ".50" and "7." are decimals. Nothing for anything else, and for a value
// beyond what 64 bits of hundredths hold.
std::optional<long long> decimalHundredths(std::string_view text);

// The day of an xs:date, "2024-01-31", with or without a time zone after it.
std::optional<Date> xmlDate(std::string_view text);
