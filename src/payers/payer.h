#pragma once

#include <string>
#include <string_view>
#include <vector>

// The fields of one register line: name ; VAT code ; company code ; workplace name.
// Each ";" ends a field, and a single empty field after a final ";" is dropped, so
// "Medis;;123;" has three fields and "Medis;;123;SANDELIS1" four.
std::vector<std::string> splitPayerLine(std::string_view line);

// One payer of the register, as its line holds it. The line has no quoting or escaping: a ";"
// in a name would split it, which is why the payer dialog refuses one.
struct Payer {
    std::string name;         // as shown in the payer list
    std::string vatCode;      // empty for a payer entered through the dialog
    std::string companyCode;  // what a generation run needs
    std::string workplace;    // the workplace name bound to the payer; empty for none

    // The payer of a register line; a field the line does not reach is empty, fields after
    // the fourth are not read.
    static Payer parse(std::string_view line);

    // The line as the register stores it, always with four fields: "Medis;;123;" for a payer
    // without a workplace name, "Medis;LT1;123;SANDELIS1" with one.
    std::string line() const;

    bool operator==(const Payer&) const = default;
};
