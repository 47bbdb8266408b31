#include "invoices/sheet_readers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "invoices/conversions.h"
#include "invoices/sheet_table.h"

namespace {

constexpr std::string_view kCheckingStatus = "Patikriname įrašus: ";
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

// What an i.SAF file can hold.
constexpr double kAmountLimit = 1e12;
constexpr std::size_t kMaxInvoiceNumber = 70;
constexpr std::size_t kMaxCode = 35;  // company code and VAT code
constexpr std::size_t kMaxName = 256;

constexpr int kColumnA = 1;
constexpr int kColumnB = 2;
constexpr int kColumnC = 3;
constexpr int kColumnD = 4;
constexpr int kTaxLines = 5;

// Where the sheets of one side keep their columns, and where their rows go. A sales sheet has
// no registration date, so its columns after C lie one place to the left.
struct SheetLayout {
    bool hasRegistrationDate;
    int vatCodeColumn;  // followed by the name, company code, country and taxable value
    CounterpartList InvoiceRowStore::*counterparts;
    std::vector<std::string> InvoiceRowStore::*invoices;
    std::vector<std::string> InvoiceRowStore::*multiRateInvoices;

    int nameColumn() const { return vatCodeColumn + 1; }
    int companyCodeColumn() const { return vatCodeColumn + 2; }
    int countryColumn() const { return vatCodeColumn + 3; }
    int valueColumn() const { return vatCodeColumn + 4; }
};

const SheetLayout kPurchaseLayout{true, 5, &InvoiceRowStore::suppliers,
                                  &InvoiceRowStore::purchaseInvoices,
                                  &InvoiceRowStore::purchaseMultiRateInvoices};
const SheetLayout kSalesLayout{false, 4, &InvoiceRowStore::customers,
                               &InvoiceRowStore::salesInvoices,
                               &InvoiceRowStore::salesMultiRateInvoices};

// The six sheets of a side, in sheet number order: ...21, ...9, ...5, ...0, ...-, ...Kom.
struct SheetKind {
    std::string_view taxRate;
    std::string_view defaultTaxCode;
    bool hasVatAmount;
    bool multiRate;
};

constexpr std::array<SheetKind, 6> kSheetKinds = {{{"21", "PVM1", true, false},
                                                   {"9", "PVM2", true, false},
                                                   {"5", "PVM3", true, false},
                                                   {"0", "", false, false},
                                                   {"", "", false, false},
                                                   {"", "", false, true}}};

struct TaxLine {
    std::string value;
    std::string vatAmount;
    std::string taxCode;
};

struct Row {
    std::string rawA;
    Date invoiceDate;
    Date registrationDate;  // purchase sheets only
    bool unreadableRegistrationDate = false;
    std::string invoiceNumber;
    std::string type;
    std::string vatCode;
    std::string name;
    std::string companyCode;
    std::string country;
    std::string rawValue;        // the single taxable value cell as read
    double singleValue = 0;      // the single taxable value as rounded
    std::vector<TaxLine> lines;  // one, or five on the multi-rate sheets
};

// Whether trimmed() would leave nothing of the text.
bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
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
          kind_(kSheetKinds.at((sheetNumber - 1) % 6)),
          sheet_(sheetName(sheetNumber)) {}

    // The rows from the first data row until the third consecutive row with an empty A cell,
    // which is still read and checked like any other.
    void readSheet() {
        reading_.workbook.selectSheet(sheet_);
        int emptyCount = 0;
        std::string status(kCheckingStatus);  // one text for all rows: no allocation per row
        for (row_ = kFirstDataRow; emptyCount < 3; ++row_) {
            char number[16];
            const auto written = std::to_chars(number, number + sizeof number, row_ - 4);
            status.resize(kCheckingStatus.size());
            status.append(number, written.ptr);
            reading_.progress.setStatus(status);
            reading_.progress.keepResponsive();
            const std::string_view rawA = cell(kColumnA);
            emptyCount = rawA.empty() ? emptyCount + 1 : 0;
            readRow(rawA);
        }
    }

  private:
    struct Amount {
        std::string text;
        double value = 0;
    };

    // Valid until the next cell is read.
    std::string_view cell(int column) { return reading_.workbook.cellView(row_, column); }

    void report(int column, std::string_view tail) {
        const char letter = static_cast<char>('A' + column - 1);
        reading_.errors.add(sheet_, std::string_view(&letter, 1), row_, tail);
    }

    const RegionalSettings& regional() const { return reading_.regional; }

    void readRow(std::string_view rawA) {
        Row row;
        row.rawA = rawA;  // kept: the next cell read ends the view
        row.invoiceDate = readCellDate(row.rawA, regional()).value_or(kFallbackDate);
        if (layout_.hasRegistrationDate) {
            readRegistrationDate(row);
        }
        row.invoiceNumber = cleanInvoiceNumber(cell(kColumnB));
        row.type = cleanCode(cell(kColumnC));
        if (row.type.empty()) {
            row.type = "SF";
        }
        row.vatCode = cleanCode(cell(layout_.vatCodeColumn));
        row.name = cleanName(cell(layout_.nameColumn()));
        row.companyCode = cleanCode(cell(layout_.companyCodeColumn()));
        row.country = deriveCountry(cleanCode(cell(layout_.countryColumn())), row.vatCode);
        row.lines.reserve(kind_.multiRate ? kTaxLines : 1);
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
        const std::string_view rawD = cell(kColumnD);
        if (rawD.empty() && kDateLimit < row.invoiceDate) {
            row.registrationDate = std::max(row.invoiceDate, reading_.period.from);
            return;
        }
        const auto date = readCellDate(rawD, regional());
        row.unreadableRegistrationDate = !rawD.empty() && !date;
        row.registrationDate = date.value_or(kFallbackDate);
    }

    // An amount cell that holds something other than a number, or more than the file can
    // hold, is reported rather than taken as zero or cut.
    Amount readAmountCell(std::string_view text, int column, std::string_view badTail) {
        auto amount = readRoundedAmount(text, regional());
        if (!isBlank(text) && (!amount || std::fabs(amount->value) >= kAmountLimit)) {
            report(column, badTail);
        }
        if (!amount) {
            return {amountText(0, regional()), 0};
        }
        return {std::move(amount->text), amount->value};
    }

    // A VAT amount stays empty when its cell is.
    std::string readVatAmountCell(int column) {
        const std::string_view text = cell(column);
        return isBlank(text) ? std::string() : readAmountCell(text, column, kBadVatAmount).text;
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
        row.rawValue = cell(valueColumn);
        const Amount value = readAmountCell(row.rawValue, valueColumn, kBadValue);
        line.value = value.text;
        row.singleValue = value.value;
        int taxCodeColumn = valueColumn + 1;
        if (kind_.hasVatAmount) {
            line.vatAmount = readVatAmountCell(valueColumn + 1);
            taxCodeColumn = valueColumn + 2;
            line.taxCode = cleanCode(cell(taxCodeColumn));
            if (line.taxCode.empty()) {
                line.taxCode = kind_.defaultTaxCode;
            }
        } else {
            line.taxCode = cleanCode(cell(taxCodeColumn));
            if (value.value > 0 && line.taxCode.empty()) {
                report(taxCodeColumn, kBadVatCode);
            }
        }
        normaliseAndCheckTaxCode(line.taxCode, taxCodeColumn);
        row.lines.push_back(std::move(line));
    }

    void readTaxLines(Row& row) {
        const int firstColumn = layout_.valueColumn();
        std::array<std::string, kTaxLines> rawValues;
        for (int i = 0; i < kTaxLines; ++i) {
            rawValues[i] = cell(firstColumn + 3 * i);
        }
        bool reported = false;  // by the empty-values check or a tax code check
        if (!row.rawA.empty() && std::all_of(rawValues.begin(), rawValues.end(),
                                             [](const std::string& v) { return v.empty(); })) {
            report(firstColumn, kBadValue);
            reported = true;
        }
        bool anyTaxCode = false;
        for (int i = 0; i < kTaxLines; ++i) {
            const int valueColumn = firstColumn + 3 * i;
            TaxLine line;
            const Amount value = readAmountCell(rawValues[i], valueColumn, kBadValue);
            line.value = value.text;
            line.vatAmount = readVatAmountCell(valueColumn + 1);
            line.taxCode = cleanCode(cell(valueColumn + 2));
            if (value.value > 0 && line.taxCode.empty()) {
                report(valueColumn + 2, kBadVatCode);
                reported = true;
            }
            reported = normaliseAndCheckTaxCode(line.taxCode, valueColumn + 2) || reported;
            anyTaxCode = anyTaxCode || !line.taxCode.empty();
            row.lines.push_back(std::move(line));
        }
        // Without a coded line the invoice would have no document total, which the file
        // cannot hold.
        if (!row.rawA.empty() && !anyTaxCode && !reported) {
            report(firstColumn + 2, kBadVatCode);
        }
    }

    // The checks of the file's limits on dates concern only the rows that go into it.
    void check(const Row& row, bool stored) {
        const bool filled =
            !row.invoiceNumber.empty() || !row.vatCode.empty() || row.singleValue > 0;
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
        // A "|" would split the record's field.
        if (!row.country.empty() &&
            (characterCount(row.country) != 2 || row.country.find('|') != std::string::npos)) {
            report(layout_.countryColumn(), kBadCountry);
        }
    }

    // Stops at the first check that fails.
    void checkChain(const Row& row) {
        if ((!row.rawA.empty() && row.invoiceNumber.empty()) ||
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
            // A "|" would split the record's field.
            report(layout_.vatCodeColumn, kBadVatCode);
        } else if (!kind_.multiRate && !row.rawA.empty() && row.rawValue.empty()) {
            report(layout_.valueColumn(), kBadValue);
        }
    }

    void store(const Row& row) {
        std::string id = counterpartIdCandidate(row.companyCode, row.vatCode);
        // A row without a date is reported anyway; it gets no number from the counter.
        if (wholeNumber64(id).value_or(0) < 1 && !row.rawA.empty()) {
            id = reading_.counterpartNumbers.issue();
        }
        // The counterpart text is kept from row to row: most rows repeat one already held,
        // and the list copies only a new one.
        std::string& counterpart = counterpart_;
        counterpart.assign(placeholderFor(row.name));
        appendField(counterpart, placeholderFor(row.companyCode));
        appendField(counterpart, placeholderFor(row.vatCode));
        appendField(counterpart, id);
        appendField(counterpart, row.country);

        // The invoice record carries the counterpart's fields in the same order; its size is
        // known, so it is made once at that size.
        const size_t separator = std::string_view(InvoiceRowStore::kFieldSeparator).size();
        size_t size = kDateLength + 2 * separator + row.invoiceNumber.size() + row.type.size() +
                      separator + counterpart.size();
        if (layout_.hasRegistrationDate) {
            size += separator + kDateLength;
        }
        for (const TaxLine& line : row.lines) {
            size += 3 * separator + line.value.size() + line.vatAmount.size() + line.taxCode.size();
        }
        if (!kind_.multiRate) {
            size += separator + kind_.taxRate.size();
        }
        std::string invoice;
        invoice.reserve(size);
        appendDate(invoice, row.invoiceDate);
        appendField(invoice, row.invoiceNumber);
        appendField(invoice, row.type);
        if (layout_.hasRegistrationDate) {
            invoice.append(InvoiceRowStore::kFieldSeparator);
            appendDate(invoice, row.registrationDate);
        }
        appendField(invoice, counterpart);
        for (const TaxLine& line : row.lines) {
            appendField(invoice, line.value);
            appendField(invoice, line.vatAmount);
            appendField(invoice, line.taxCode);
        }
        (reading_.store.*layout_.counterparts).add(counterpart);
        if (kind_.multiRate) {
            (reading_.store.*layout_.multiRateInvoices).push_back(std::move(invoice));
        } else {
            appendField(invoice, kind_.taxRate);
            (reading_.store.*layout_.invoices).push_back(std::move(invoice));
        }
    }

    // orPlaceholder() without a new text.
    static std::string_view placeholderFor(std::string_view text) {
        return text.empty() ? std::string_view("ND") : text;
    }

    static constexpr size_t kDateLength = 10;  // "yyyy-mm-dd"

    // Date::text() without its formatted print, which costs more than the rest of a row.
    static void appendDate(std::string& record, const Date& date) {
        char text[10] = {'0', '0', '0', '0', '-', '0', '0', '-', '0', '0'};
        const auto put = [&text](int value, int end) {
            for (int at = end; value > 0 && at >= 0; --at, value /= 10) {
                text[at] = static_cast<char>('0' + value % 10);
            }
        };
        put(date.year, 3);
        put(date.month, 6);
        put(date.day, 9);
        record.append(text, sizeof text);
    }

    // A field after the first one of a row record, as joinRecord joins them.
    static void appendField(std::string& record, std::string_view field) {
        record.append(InvoiceRowStore::kFieldSeparator).append(field);
    }

    SheetReading& reading_;
    const SheetLayout& layout_;
    const SheetKind& kind_;
    std::string_view sheet_;
    int row_ = kFirstDataRow;
    std::string counterpart_;
};

}  // namespace

void readPurchaseSheet(SheetReading& reading, int sheetNumber) {
    SheetReader(reading, kPurchaseLayout, sheetNumber).readSheet();
}

void readSalesSheet(SheetReading& reading, int sheetNumber) {
    SheetReader(reading, kSalesLayout, sheetNumber).readSheet();
}
