#pragma once

#include <optional>
#include <string>
#include <string_view>

// The program's table of tax codes and the VAT rates they stand for: the i.SAF writer gives a
// multi-rate invoice's lines their percentage from it, the file check judges a TaxPercentage by
// it, and the warnings compare a VAT amount with it.

// The rate ("21", "9", "5", "0") that the number of a tax code stands for, or the empty text
// for the codes that carry no rate; nothing for a number outside the table. Text that is not a
// whole number counts as 0, which the table does not list.
std::optional<std::string> listedTaxPercentage(std::string_view number);

// The rate in whole percent of a full tax code ("PVM1" gives 21, "PVM12" 0); nothing for a code
// that is not "PVM" and one to three digits, one the table does not list, or one without a rate.
std::optional<int> taxCodeRate(std::string_view code);
