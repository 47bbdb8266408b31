#pragma once

#include <array>
#include <string_view>

// The twelve sheets of the workbook by sheet number: 1-6 purchases, 7-12 sales.
constexpr std::array<std::string_view, 12> kSheetNames = {"Gau21", "Gau9",   "Gau5",  "Gau0",
                                                          "Gau-",  "GauKom", "Isr21", "Isr9",
                                                          "Isr5",  "Isr0",   "Isr-",  "IsrKom"};

constexpr std::string_view sheetName(int sheetNumber) {
    return kSheetNames.at(sheetNumber - 1);
}

constexpr int kFirstDataRow = 5;
