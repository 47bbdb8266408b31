#pragma once

#include <string>
#include <string_view>

// Case-insensitive ordering of payers and counterparts by Lithuanian collation rules
// (C before Č, I and Y together, letter case ignored), not by byte order.

// A byte string whose plain byte order is that collation order; equal keys mean equal texts
// for the purpose of ordering and de-duplication.
std::string collationKey(std::string_view utf8);

// Negative, zero or positive, as a comes before, together with or after b.
int compareIgnoringCase(std::string_view a, std::string_view b);
