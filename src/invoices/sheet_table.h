#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The twelve sheets of the workbook by sheet number: 1-6 purchases, 7-12 sales. The readers,
// the template tool and the tests all take them from here.
constexpr std::array<std::string_view, 12> kSheetNames = {"Gau21", "Gau9",   "Gau5",  "Gau0",
                                                          "Gau-",  "GauKom", "Isr21", "Isr9",
                                                          "Isr5",  "Isr0",   "Isr-",  "IsrKom"};

constexpr std::string_view sheetName(int sheetNumber) {
    return kSheetNames.at(sheetNumber - 1);
}

constexpr bool isPurchaseSheet(int sheetNumber) {
    return sheetNumber <= 6;
}

// What sets the six sheets of a side apart.
struct SheetKind {
    std::optional<int> rate;          // the VAT rate of its invoices; none on "-" and the Kom sheet
    std::string_view defaultTaxCode;  // in place of an empty tax code cell
    bool hasVatAmount;
    bool multiRate;  // five tax lines of value, VAT amount and tax code
};

// In sheet number order on each side: ...21, ...9, ...5, ...0, ...-, ...Kom.
constexpr std::array<SheetKind, 6> kSheetKinds = {{{21, "PVM1", true, false},
                                                   {9, "PVM2", true, false},
                                                   {5, "PVM3", true, false},
                                                   {0, "", false, false},
                                                   {std::nullopt, "", false, false},
                                                   {std::nullopt, "", true, true}}};

constexpr const SheetKind& sheetKind(int sheetNumber) {
    return kSheetKinds.at(static_cast<std::size_t>((sheetNumber - 1) % 6));
}

constexpr int kFirstDataRow = 5;

// Where the sheets keep an invoice's cells (1 = A): the readers read them there, and the error
// list and the warnings name them. A sales sheet has no registration date, so its columns after
// C lie one place to the left.
constexpr int kDateColumn = 1;
constexpr int kNumberColumn = 2;
constexpr int kTypeColumn = 3;
constexpr int kRegistrationDateColumn = 4;  // purchase sheets only
constexpr int kTaxLinesOfMultiRate = 5;

struct SheetColumns {
    int vatCode;  // followed by the name, company code, country and (first) taxable value

    constexpr int name() const { return vatCode + 1; }
    constexpr int companyCode() const { return vatCode + 2; }
    constexpr int country() const { return vatCode + 3; }
    // The taxable value, VAT amount and tax code of a tax line: a single-rate sheet has one
    // (without a VAT amount on the ...0 and ...- sheets, whose tax code follows the value), a
    // multi-rate sheet five, three columns each.
    constexpr int value(int line = 0) const { return vatCode + 4 + 3 * line; }
};

constexpr SheetColumns sheetColumns(int sheetNumber) {
    return {isPurchaseSheet(sheetNumber) ? 5 : 4};
}

// "B12": the column's letter and the row.
inline std::string cellName(int column, int row) {
    return static_cast<char>('A' + column - 1) + std::to_string(row);
}
