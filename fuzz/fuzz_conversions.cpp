// libFuzzer entry point for the cell conversions: any bytes as a typed cell's text under one of
// three regional settings (Lithuanian, US, German), through every conversion the sheet
// readers make, and as a number or date serial through the cell values a workbook gives.
// Besides crashes and sanitizer reports it checks what the readers and the writer rely on.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "invoices/conversions.h"
#include "workbook/cell_value.h"

namespace {

RegionalSettings settingsFor(std::uint8_t choice) {
    RegionalSettings regional = lithuanianSettings();
    if (choice % 3 == 1) {
        regional = {".", ",", "M/d/yyyy", "/"};
    } else if (choice % 3 == 2) {
        regional = {",", ".", "dd.MM.yyyy", "."};
    }
    return regional;
}

int number(const std::string& text, size_t pos, size_t count) {
    int value = -1;
    std::from_chars(text.data() + pos, text.data() + pos + count, value);
    return value;
}

// "yyyy-mm-dd" of a real calendar day.
bool isDateText(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    const auto date = Date::make(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2));
    return date && date->text() == text;
}

// One line without the control characters XML 1.0 forbids.
bool fitsXml(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t') {
            return false;
        }
    }
    return true;
}

void numberCell(const std::uint8_t* data, std::size_t size, const RegionalSettings& regional) {
    double value = 0;
    if (size < sizeof value) {
        return;
    }
    std::memcpy(&value, data, sizeof value);
    if (!std::isfinite(value)) {
        return;
    }
    char written[64];
    const auto end = std::to_chars(written, written + sizeof written, value).ptr;
    CellValue cell;
    cell.kind = CellValue::Kind::number;
    cell.text = std::string_view(written, static_cast<std::size_t>(end - written));
    FUZZ_CHECK(isWrittenNumber(cell.text));
    const std::string text = cellText(cell);
    // The cell text reads back to the same value to 15 digits, for every number a spreadsheet
    // cell can hold (its largest is 9.99999999999999E+307), and its amount is the amount of
    // that text.
    const auto back = readAmount(text, lithuanianSettings());
    if (std::isnormal(value) && std::fabs(value) < 1e308) {
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(std::fabs(*back - value) <= std::fabs(value) * 1e-14);
        FUZZ_CHECK(roundedAmount(cellDecimal(cell.text)) ==
                   readRoundedAmount(text, lithuanianSettings()));
    }
    for (const DateSystem system : {DateSystem::from1900, DateSystem::from1904}) {
        if (const auto date = cellDateTime(value, system)) {
            CellValue dateCell;
            dateCell.kind = CellValue::Kind::date;
            dateCell.date = *date;
            FUZZ_CHECK(!cellText(dateCell).empty());
            FUZZ_CHECK(isDateText(cellDateText(cellText(dateCell), regional)));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const RegionalSettings regional = settingsFor(data[0]);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    FUZZ_CHECK(isDateText(cellDateText(text, regional)));
    if (const auto date = readCellDate(text, regional)) {
        FUZZ_CHECK(Date::isValid(date->year, date->month, date->day));
    }
    DateFromPattern("yyyy-mm-dd", text);
    DateFromPattern("dd-mm-yyyy", text);
    readRegionalDate(text, regional);

    if (const auto amount = readAmount(text, regional)) {
        const double rounded = MyRoundTo(*amount, 2);
        FUZZ_CHECK(std::isnan(*amount) == std::isnan(rounded));
        FUZZ_CHECK(readRoundedAmount(text, regional).has_value());
    }
    if (const auto amount = readRoundedAmount(text, regional)) {
        const std::string written = amount->text();
        FUZZ_CHECK(!written.empty() && fitsXml(written));
    }
    readPatternDate(text);

    // The free texts have never kept a "|".
    const std::string name = cleanName(text);
    FUZZ_CHECK(fitsXml(name) && name.find('|') == std::string::npos);
    const std::string invoice = cleanInvoiceNumber(text);
    FUZZ_CHECK(fitsXml(invoice) && invoice.find('|') == std::string::npos);
    const std::string code = cleanCode(text);
    FUZZ_CHECK(fitsXml(code) && upperCased(code) == code && trimmed(code) == code);
    const std::string taxCode = normaliseTaxCode(code);
    if (isValidTaxCode(taxCode)) {
        FUZZ_CHECK(taxCode.starts_with("PVM"));
    }
    const std::string other = cleanCode(text.substr(text.size() / 2));
    deriveCountry(code, other);
    deriveCountry("", code);
    counterpartIdCandidate(code, other);
    counterpartIdCandidate("", code);
    FUZZ_CHECK(orPlaceholder(code) == (code.empty() ? "ND" : code));
    wholeNumber64(text);
    wholeNumber32(text);
    FUZZ_CHECK(characterCount(text) <= text.size());

    numberCell(data + 1, size - 1, regional);
    return 0;
}
