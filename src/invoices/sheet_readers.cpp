#include "invoices/sheet_readers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

#include "invoices/conversions.h"
#include "invoices/sheet_table.h"

namespace {

constexpr std::string_view kCheckingStatus = "Patikriname įrašus: ";
constexpr std::string_view kSheetStatusSeparator = " lapas. ";
// Each sheet's part of the progress bar while the sheets are read.
constexpr int kSheetProgressSteps = kSheetReadingSteps / 12;
constexpr std::string_view kBadDate = "  vietoje datos klaida";
constexpr std::string_view kBadInvoiceNumber = "  vietoje serijos numerio klaida";
constexpr std::string_view kBadType = "  vietoje tipo klaida";
constexpr std::string_view kBadCompanyCode = "  vietoje įmonės (asmens) kodo klaida";
constexpr std::string_view kBadVatCode = "  vietoje PVM kodo klaida";  // VAT code and tax code
constexpr std::string_view kBadValue = "  vietoje apmok. vertės klaida";
constexpr std::string_view kBadVatAmount = "  vietoje PVM sumos klaida";
constexpr std::string_view kBadName = "  vietoje pavadinimo klaida";
constexpr std::string_view kBadCountry = "  vietoje šalies kodo klaida";

constexpr std::array<std::string_view, 7> kInvoiceTypes = {"SF", "DS", "KS", "VS",
                                                           "VD", "VK", "AN"};

// What an i.SAF file can hold: amounts below 10^12 euros.
constexpr std::int64_t kCentsLimit = 100'000'000'000'000;
constexpr std::size_t kMaxInvoiceNumber = 70;
constexpr std::size_t kMaxCode = 35;  // company code and VAT code
constexpr std::size_t kMaxName = 256;

constexpr int kColumnA = kDateColumn;
constexpr int kColumnB = kNumberColumn;
constexpr int kColumnC = kTypeColumn;
constexpr int kColumnD = kRegistrationDateColumn;
constexpr int kTaxLines = kTaxLinesOfMultiRate;

// Where the sheets of one side keep their columns (sheet_table.h), and where their rows go.
struct SheetLayout {
    bool hasRegistrationDate;
    int vatCodeColumn;
    Ledger InvoiceBook::*ledger;

    int nameColumn() const { return SheetColumns{vatCodeColumn}.name(); }
    int companyCodeColumn() const { return SheetColumns{vatCodeColumn}.companyCode(); }
    int countryColumn() const { return SheetColumns{vatCodeColumn}.country(); }
    int valueColumn() const { return SheetColumns{vatCodeColumn}.value(); }
};

const SheetLayout kPurchaseLayout{true, sheetColumns(1).vatCode, &InvoiceBook::purchases};
const SheetLayout kSalesLayout{false, sheetColumns(7).vatCode, &InvoiceBook::sales};

struct Row {
    bool aFilled = false;  // the A cell holds something
    Date invoiceDate;
    Date registrationDate;  // purchase sheets only
    bool registrationFromEmptyCell = false;
    bool unreadableRegistrationDate = false;
    std::string invoiceNumber;
    std::string type;
    std::string vatCode;
    std::string name;
    std::string companyCode;
    std::string country;
    bool valueCellEmpty = false;  // the single taxable value cell
    Money singleValue;            // the single taxable value as rounded
    std::vector<TaxLine> lines;   // the single one, or the coded ones of a multi-rate sheet
    std::uint8_t lineGroups = 0;  // multi-rate: which of the five groups of columns they are
};

bool isBlankCell(const CellValue& value) {
    return value.kind == CellValue::Kind::empty ||
           (value.kind == CellValue::Kind::text && trimmed(value.text).empty());
}

bool inPeriod(const Date& date, const Period& period) {
    return !(date < period.from) && !(period.to < date);
}

bool inFileRange(const Date& date) {
    return !(date < kFirstFileDate) && !(kLastFileDate < date);
}

class SheetReader {
  public:
    SheetReader(SheetReading& reading, const SheetLayout& layout, int sheetNumber)
        : reading_(reading),
          layout_(layout),
          kind_(sheetKind(sheetNumber)),
          sheetNumber_(sheetNumber),
          sheet_(sheetName(sheetNumber)) {}

    // The rows from the first data row until the third consecutive row with an empty A cell,
    // which is still read and checked like any other.
    //
    // The status names the sheet and the row; the bar moves by sheet (twelve equal parts) and,
    // within a sheet, by row as far as the workbook states the sheet's last row. The first row
    // of a sheet is shown at once, so the new sheet's name never waits for the time budget.
    void readSheet() {
        reading_.workbook.selectSheet(sheet_);
        const int lastRow = reading_.workbook.lastRowHint();
        const int sheetStart = (sheetNumber_ - 1) * kSheetProgressSteps;
        int emptyCount = 0;
        // One text for all rows: no allocation per row.
        std::string status(sheet_);
        status += kSheetStatusSeparator;
        status += kCheckingStatus;
        const size_t statusHead = status.size();
        for (row_ = kFirstDataRow; emptyCount < 3; ++row_) {
            char number[16];
            const auto written = std::to_chars(number, number + sizeof number, row_ - 4);
            status.resize(statusHead);
            status.append(number, written.ptr);
            reading_.progress.setStatus(status);
            reading_.progress.setProgress(sheetStart + rowProgress(lastRow), kSheetReadingSteps);
            if (row_ == kFirstDataRow) {
                reading_.progress.processEvents();
            } else {
                reading_.progress.keepResponsive();
            }
            const CellValue a = cell(kColumnA);
            emptyCount = a.isEmpty() ? emptyCount + 1 : 0;
            readRow(a);
        }
        // The sheet is done: its part of the bar is full.
        reading_.progress.setProgress(sheetStart + kSheetProgressSteps, kSheetReadingSteps);
    }

  private:
    // How far into the sheet the current row lies, in steps of the sheet's part of the bar;
    // nothing while the sheet's last row is unknown, and never the whole part.
    int rowProgress(int lastRow) const {
        if (lastRow < kFirstDataRow) {
            return 0;
        }
        if (row_ > lastRow) {
            return kSheetProgressSteps - 1;
        }
        const auto done = static_cast<std::int64_t>(row_ - kFirstDataRow) * kSheetProgressSteps;
        return static_cast<int>(done / (lastRow - kFirstDataRow + 1));
    }

    // Valid until the next cell is read.
    CellValue cell(int column) { return reading_.workbook.cell(row_, column); }

    // The cell taken as text: a text as typed, any other value in its fixed rendering. Valid
    // until the next cell is read.
    std::string_view text(int column) {
        const CellValue value = cell(column);
        if (value.kind == CellValue::Kind::text) {
            return value.text;
        }
        rendered_.clear();
        appendCellText(rendered_, value);
        return rendered_;
    }

    void report(int column, std::string_view tail) {
        const char letter = static_cast<char>('A' + column - 1);
        reading_.errors.add(sheet_, std::string_view(&letter, 1), row_, tail);
    }

    const RegionalSettings& regional() const { return reading_.regional; }

    // A date cell's day. Only a typed text is read under the regional settings; a number is
    // read from its cell text by the fixed patterns alone, whatever the settings.
    std::optional<Date> readDate(const CellValue& value) {
        switch (value.kind) {
            case CellValue::Kind::empty:
                return std::nullopt;
            case CellValue::Kind::text:
                return readCellDate(value.text, regional());
            case CellValue::Kind::date:
                if (value.date.isTimeOnly()) {
                    return std::nullopt;
                }
                return Date::make(value.date.year, value.date.month, value.date.day);
            case CellValue::Kind::number:
            case CellValue::Kind::boolean:
                break;
        }
        rendered_.clear();
        appendCellText(rendered_, value);
        return readPatternDate(rendered_);
    }

    // An amount cell's value rounded to cents; nothing when it holds no number.
    std::optional<Money> amountOf(const CellValue& value) const {
        switch (value.kind) {
            case CellValue::Kind::text:
                return readRoundedAmount(value.text, regional());
            case CellValue::Kind::number:
                return roundedAmount(cellDecimal(value.text));
            case CellValue::Kind::empty:
            case CellValue::Kind::date:
            case CellValue::Kind::boolean:
                break;
        }
        return std::nullopt;
    }

    void readRow(const CellValue& a) {
        Row& row = rowBuffer_;
        row.aFilled = !a.isEmpty();
        row.invoiceDate = readDate(a).value_or(kFallbackDate);
        row.registrationFromEmptyCell = false;
        row.unreadableRegistrationDate = false;
        if (layout_.hasRegistrationDate) {
            readRegistrationDate(row);
        }
        row.invoiceNumber = cleanInvoiceNumber(text(kColumnB));
        row.type = cleanCode(text(kColumnC));
        if (row.type.empty()) {
            row.type = "SF";
        }
        row.vatCode = cleanCode(text(layout_.vatCodeColumn));
        row.name = cleanName(text(layout_.nameColumn()));
        row.companyCode = cleanCode(text(layout_.companyCodeColumn()));
        row.country = deriveCountry(cleanCode(text(layout_.countryColumn())), row.vatCode);
        row.valueCellEmpty = false;
        row.singleValue = Money{};
        row.lines.clear();
        row.lines.reserve(kind_.multiRate ? kTaxLines : 1);
        row.lineGroups = 0;
        if (kind_.multiRate) {
            readTaxLines(row);
        } else {
            readSingleTaxLine(row);
        }
        const Period& period = reading_.period;
        const bool stored = inPeriod(row.invoiceDate, period) ||
                            (layout_.hasRegistrationDate && inPeriod(row.registrationDate, period));
        check(row, stored);
        if (stored) {
            store(row);
        }
    }

    // An empty D cell of an invoice dated after the date limit means the invoice was
    // registered when it arrived, and at the earliest when the period starts.
    void readRegistrationDate(Row& row) {
        const CellValue d = cell(kColumnD);
        if (d.isEmpty() && kDateLimit < row.invoiceDate) {
            row.registrationDate = std::max(row.invoiceDate, reading_.period.from);
            row.registrationFromEmptyCell = true;
            return;
        }
        const auto date = readDate(d);
        row.unreadableRegistrationDate = !d.isEmpty() && !date;
        row.registrationDate = date.value_or(kFallbackDate);
    }

    // An amount cell that holds something other than a number, or more than the file can
    // hold, is reported rather than taken as zero or cut; a blank one is zero.
    Money readAmountCell(const CellValue& value, int column, std::string_view badTail) {
        const auto amount = amountOf(value);
        if (!isBlankCell(value) &&
            (!amount || amount->cents >= kCentsLimit || amount->cents <= -kCentsLimit)) {
            report(column, badTail);
        }
        return amount.value_or(Money{});
    }

    // A VAT amount stays empty when its cell is.
    std::optional<Money> readVatAmountCell(int column) {
        const CellValue value = cell(column);
        if (isBlankCell(value)) {
            return std::nullopt;
        }
        return readAmountCell(value, column, kBadVatAmount);
    }

    // The normalised tax code; one the file cannot hold is reported. True when reported.
    bool normaliseAndCheckTaxCode(std::string& code, int column) {
        code = normaliseTaxCode(code);
        if (!code.empty() && !isValidTaxCode(code)) {
            report(column, kBadVatCode);
            return true;
        }
        return false;
    }

    void readSingleTaxLine(Row& row) {
        const int valueColumn = layout_.valueColumn();
        TaxLine line;
        const CellValue value = cell(valueColumn);
        row.valueCellEmpty = value.isEmpty();
        line.value = readAmountCell(value, valueColumn, kBadValue);
        row.singleValue = line.value;
        int taxCodeColumn = valueColumn + 1;
        if (kind_.hasVatAmount) {
            line.vatAmount = readVatAmountCell(valueColumn + 1);
            taxCodeColumn = valueColumn + 2;
            line.code = cleanCode(text(taxCodeColumn));
            if (line.code.empty()) {
                line.code = kind_.defaultTaxCode;
            }
        } else {
            line.code = cleanCode(text(taxCodeColumn));
            if (line.value.cents > 0 && line.code.empty()) {
                report(taxCodeColumn, kBadVatCode);
            }
        }
        normaliseAndCheckTaxCode(line.code, taxCodeColumn);
        row.lines.push_back(std::move(line));
    }

    void readTaxLines(Row& row) {
        const int firstColumn = layout_.valueColumn();
        bool allValuesEmpty = true;
        for (int i = 0; i < kTaxLines; ++i) {
            allValuesEmpty = allValuesEmpty && cell(firstColumn + 3 * i).isEmpty();
        }
        bool reported = false;  // by the empty-values check or a tax code check
        if (row.aFilled && allValuesEmpty) {
            report(firstColumn, kBadValue);
            reported = true;
        }
        bool anyTaxCode = false;
        for (int i = 0; i < kTaxLines; ++i) {
            const int valueColumn = firstColumn + 3 * i;
            TaxLine line;
            line.value = readAmountCell(cell(valueColumn), valueColumn, kBadValue);
            line.vatAmount = readVatAmountCell(valueColumn + 1);
            line.code = cleanCode(text(valueColumn + 2));
            if (line.value.cents > 0 && line.code.empty()) {
                report(valueColumn + 2, kBadVatCode);
                reported = true;
            }
            reported = normaliseAndCheckTaxCode(line.code, valueColumn + 2) || reported;
            // A line without a code has no document total in the file.
            if (!line.code.empty()) {
                anyTaxCode = true;
                row.lines.push_back(std::move(line));
                row.lineGroups = static_cast<std::uint8_t>(row.lineGroups | (1u << i));
            }
        }
        // Without a coded line the invoice would have no document total, which the file
        // cannot hold.
        if (row.aFilled && !anyTaxCode && !reported) {
            report(firstColumn + 2, kBadVatCode);
        }
    }

    // The checks of the file's limits on dates concern only the rows that go into it.
    void check(const Row& row, bool stored) {
        const bool filled =
            !row.invoiceNumber.empty() || !row.vatCode.empty() || row.singleValue.cents > 0;
        const bool badDate = filled && row.invoiceDate < kDateLimit;
        if (badDate) {
            report(kColumnA, kBadDate);
        } else {
            checkChain(row);
        }
        if (stored && !badDate && !inFileRange(row.invoiceDate)) {
            report(kColumnA, kBadDate);
        }
        if (layout_.hasRegistrationDate &&
            (row.unreadableRegistrationDate || (stored && !inFileRange(row.registrationDate)))) {
            report(kColumnD, kBadDate);
        }
        if (characterCount(row.name) > kMaxName) {
            report(layout_.nameColumn(), kBadName);
        }
        // A country code is two letters; the file has never taken a "|" in one.
        if (!row.country.empty() &&
            (characterCount(row.country) != 2 || row.country.find('|') != std::string::npos)) {
            report(layout_.countryColumn(), kBadCountry);
        }
    }

    // Stops at the first check that fails.
    void checkChain(const Row& row) {
        if ((row.aFilled && row.invoiceNumber.empty()) ||
            characterCount(row.invoiceNumber) > kMaxInvoiceNumber) {
            report(kColumnB, kBadInvoiceNumber);
        } else if (std::find(kInvoiceTypes.begin(), kInvoiceTypes.end(), row.type) ==
                   kInvoiceTypes.end()) {
            report(kColumnC, kBadType);
        } else if (!row.companyCode.empty() && (wholeNumber64(row.companyCode).value_or(0) <= 0 ||
                                                characterCount(row.companyCode) > kMaxCode)) {
            report(layout_.companyCodeColumn(), kBadCompanyCode);
        } else if (row.vatCode.find_first_of("\"|") != std::string::npos ||
                   characterCount(row.vatCode) > kMaxCode) {
            // Nor has it ever taken a "|" in a VAT code.
            report(layout_.vatCodeColumn, kBadVatCode);
        } else if (!kind_.multiRate && row.aFilled && row.valueCellEmpty) {
            report(layout_.valueColumn(), kBadValue);
        }
    }

    void store(Row& row) {
        Counterpart& counterpart = counterpart_;  // kept from row to row: no allocation per row
        counterpart.id = counterpartIdCandidate(row.companyCode, row.vatCode);
        // A row without a date is reported anyway; it gets no number from the counter.
        if (wholeNumber64(counterpart.id).value_or(0) < 1 && row.aFilled) {
            counterpart.id = reading_.counterpartNumbers.issue();
        }
        counterpart.name = row.name;
        counterpart.companyCode = row.companyCode;
        counterpart.vatCode = row.vatCode;
        counterpart.country = row.country;
        Ledger& ledger = reading_.book.*layout_.ledger;

        const std::uint32_t counterpartIndex = ledger.counterparts.add(counterpart);
        Invoice& invoice = ledger.invoices.emplace_back();
        invoice.counterpart = counterpartIndex;
        invoice.date = row.invoiceDate;
        invoice.number = row.invoiceNumber;
        invoice.type = row.type;
        if (layout_.hasRegistrationDate) {
            invoice.registrationDate = row.registrationDate;
            invoice.registrationFromEmptyCell = row.registrationFromEmptyCell;
        }
        invoice.multiRate = kind_.multiRate;
        if (!kind_.multiRate && kind_.rate) {
            invoice.sheetRate = static_cast<std::int8_t>(*kind_.rate);
        }
        invoice.lines = std::move(row.lines);
        invoice.lineGroups = row.lineGroups;
        invoice.sheet = static_cast<std::uint8_t>(sheetNumber_);
        invoice.row = row_;
    }

    SheetReading& reading_;
    const SheetLayout& layout_;
    const SheetKind& kind_;
    int sheetNumber_;
    std::string_view sheet_;
    int row_ = kFirstDataRow;
    Row rowBuffer_;
    Counterpart counterpart_;
    std::string rendered_;  // the text of the last non-text cell taken as text
};

}  // namespace

void readPurchaseSheet(SheetReading& reading, int sheetNumber) {
    SheetReader(reading, kPurchaseLayout, sheetNumber).readSheet();
}

void readSalesSheet(SheetReading& reading, int sheetNumber) {
    SheetReader(reading, kSalesLayout, sheetNumber).readSheet();
}
