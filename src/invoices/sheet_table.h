#pragma once

#include <array>
#include <optional>
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
