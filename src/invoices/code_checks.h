#pragma once

#include <string_view>

// The rules for the codes an invoice names: the check digit of Lithuanian company, personal
// and VAT codes, and the VAT prefixes of the European Union's member states.

// The check digit that the digits (all '0'-'9') call for: the sum of each digit times its
// weight 1, 2, ... 9, 1, 2 ..., modulo 11; when that gives 10, the same with the weights
// 3, 4, ... 9, 1, 2, 3 ...; when that gives 10 again, 0.
int lithuanianCheckDigit(std::string_view digits);

// A Lithuanian company code (9 digits) or personal code (11 digits): the codes whose check
// digit is judged.
bool hasLithuanianCodeForm(std::string_view code);

// Whether the last digit of a code of that form is its check digit.
bool hasRightCheckDigit(std::string_view code);

// What may be wrong with what follows "LT" in a Lithuanian VAT code.
enum class LtVatCodeFault {
    None,
    Form,        // not 9 or 12 digits
    Marker,      // the digit before the check digit is not 1
    CheckDigit,  // the last digit is not the check digit of the ones before it
};
LtVatCodeFault ltVatCodeFault(std::string_view digitsAfterLt);

// Whether these two letters begin the VAT codes of a member state: the 27 states' prefixes
// (Greece's is EL) and XI, Northern Ireland's.
bool isEuVatPrefix(std::string_view prefix);

// Whether a country column's code names the state of that VAT prefix. The column holds ISO
// codes: Greece is GR there, though its VAT prefix is EL, and Northern Ireland is part of GB;
// the prefix itself is taken as well.
bool countryMatchesVatPrefix(std::string_view country, std::string_view prefix);
