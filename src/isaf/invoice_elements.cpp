#include "isaf/invoice_elements.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr Lead kInvoice{2, 2};
constexpr Lead kInvoiceField{2, 3};
constexpr Lead kInfoField{2, 4};
constexpr Lead kTotal{2, 4};
constexpr Lead kTotalField{2, 5};

// What sets the purchase and the sales invoice elements apart.
struct InvoiceSide {
    std::string_view openInfo;
    std::string_view closeInfo;
    std::string_view id;
    // Purchase records carry the registration date as field 3, so their counterpart and tax
    // fields come one later than those of sales records.
    bool registrationDate;
    // The schema requires VATPointDate2 in every sales DocumentTotal and forbids it in a
    // purchase one.
    bool vatPointDate2;

    size_t counterpartField() const { return registrationDate ? 4 : 3; }
    size_t taxField() const { return counterpartField() + 5; }
};

constexpr InvoiceSide kPurchase{"<SupplierInfo>", "</SupplierInfo>", "SupplierID", true, false};
constexpr InvoiceSide kSales{"<CustomerInfo>", "</CustomerInfo>", "CustomerID", false, true};

// "<Invoice>" down to and including "<DocumentTotals>".
void invoiceHead(IsafDocument& document, const InvoiceSide& side, const RowRecord& record) {
    const size_t counterpart = side.counterpartField();
    document.line(kInvoice, "<Invoice>");
    document.element(kInvoiceField, "InvoiceNo", record.field(1));
    document.line(kInvoiceField, side.openInfo);
    document.element(kInfoField, side.id, record.field(counterpart + 3));
    document.element(kInfoField, "VATRegistrationNumber", record.field(counterpart + 2));
    document.element(kInfoField, "RegistrationNumber", record.field(counterpart + 1));
    document.nillableElement(kInfoField, "Country", record.field(counterpart + 4));
    document.element(kInfoField, "Name", record.field(counterpart));
    document.line(kInvoiceField, side.closeInfo);
    document.element(kInvoiceField, "InvoiceDate", record.field(0));
    document.element(kInvoiceField, "InvoiceType", record.field(2));
    document.line(kInvoiceField, "<SpecialTaxation/>");
    document.line(kInvoiceField, "<References/>");
    document.element(kInvoiceField, "VATPointDate", record.field(0));
    if (side.registrationDate) {
        document.element(kInvoiceField, "RegistrationAccountDate", record.field(3));
    }
    document.line(kInvoiceField, "<DocumentTotals>");
}

void invoiceTail(IsafDocument& document) {
    document.line(kInvoiceField, "</DocumentTotals>");
    document.line(kInvoice, "</Invoice>");
}

// The empty tax code, percentage and amount take the nil form: the schema allows no empty
// value there.
void documentTotal(IsafDocument& document, std::string_view taxableValue, std::string_view taxCode,
                   std::string_view percentage, std::string_view vatAmount,
                   std::string_view vatPointDate2) {
    document.line(kTotal, "<DocumentTotal>");
    document.amountElement(kTotalField, "TaxableValue", taxableValue);
    document.nillableElement(kTotalField, "TaxCode", taxCode);
    document.nillableElement(kTotalField, "TaxPercentage", percentage);
    document.nillableAmountElement(kTotalField, "Amount", vatAmount);
    if (!vatPointDate2.empty()) {
        document.element(kTotalField, "VATPointDate2", vatPointDate2);
    }
    document.line(kTotal, "</DocumentTotal>");
}

std::string_view vatPointDate2(const InvoiceSide& side, const RowRecord& record) {
    return side.vatPointDate2 ? record.field(0) : std::string_view();
}

// The percentage of a single-rate invoice is the rate of the sheet it came from, not one
// derived from its tax code.
void exportSingleRate(IsafDocument& document, const InvoiceSide& side,
                      const std::vector<std::string>& records) {
    const size_t tax = side.taxField();
    RowRecord record;
    for (size_t index = 0; index < records.size(); ++index) {
        document.stepRecord(index);
        record.assign(records[index]);
        invoiceHead(document, side, record);
        documentTotal(document, record.field(tax, ""), record.field(tax + 2, "PVM1"),
                      record.field(tax + 3, ""), record.field(tax + 1, ""),
                      vatPointDate2(side, record));
        invoiceTail(document);
    }
}

void exportMultiRate(IsafDocument& document, const InvoiceSide& side,
                     const std::vector<std::string>& records) {
    constexpr size_t kTaxLines = 5;
    const size_t tax = side.taxField();
    RowRecord record;
    for (size_t index = 0; index < records.size(); ++index) {
        document.stepRecord(index);
        record.assign(records[index]);
        invoiceHead(document, side, record);
        for (size_t line = 0; line < kTaxLines; ++line) {
            const size_t first = tax + 3 * line;
            // Only the record's very last field, the fifth line's tax code, may be missing.
            const std::string_view code =
                line + 1 < kTaxLines ? record.field(first + 2) : record.field(first + 2, "");
            ExportDocumentTotal(document, record.field(first), record.field(first + 1), code,
                                vatPointDate2(side, record));
        }
        invoiceTail(document);
    }
}

bool isSpaceOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpaceOrControl(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpaceOrControl(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

void ExportPurchaseInvoices(IsafDocument& document, const std::vector<std::string>& records) {
    exportSingleRate(document, kPurchase, records);
}

void ExportPurchaseMultiRateInvoices(IsafDocument& document,
                                     const std::vector<std::string>& records) {
    exportMultiRate(document, kPurchase, records);
}

void ExportSalesInvoices(IsafDocument& document, const std::vector<std::string>& records) {
    exportSingleRate(document, kSales, records);
}

void ExportSalesMultiRateInvoices(IsafDocument& document, const std::vector<std::string>& records) {
    exportMultiRate(document, kSales, records);
}

void ExportDocumentTotal(IsafDocument& document, std::string_view taxableValue,
                         std::string_view vatAmount, std::string_view taxCode,
                         std::string_view vatPointDate2) {
    const std::string_view code = trimmed(taxCode);
    if (code.empty()) {
        return;
    }
    // The number follows the "PVM" prefix.
    const std::string percentage =
        TaxPercentageForCode(code.size() > 3 ? code.substr(3) : std::string_view());
    documentTotal(document, taxableValue, code, percentage, vatAmount, vatPointDate2);
}

std::string TaxPercentageForCode(std::string_view number) {
    return listedTaxPercentage(number).value_or("21");
}

std::optional<std::string> listedTaxPercentage(std::string_view number) {
    if (!number.empty() && number.front() == '+') {
        number.remove_prefix(1);
    }
    int code = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), code);
    if (error != std::errc() || end != number.data() + number.size()) {
        code = 0;
    }
    constexpr int kTwentyOne[] = {1, 6, 9, 16, 20, 21, 25, 32, 43};
    constexpr int kNine[] = {2, 7, 17, 26, 30, 44};
    constexpr int kFive[] = {3, 8, 18, 27, 31, 37, 40, 45};
    constexpr int kZero[] = {12, 13, 14, 28, 33, 35, 38, 41, 46};
    constexpr int kNone[] = {5, 15, 19, 29, 34, 36, 39, 42, 47, 48, 100};
    const auto holds = [code](const auto& codes) {
        return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
    };
    if (holds(kTwentyOne)) {
        return "21";
    }
    if (holds(kNine)) {
        return "9";
    }
    if (holds(kFive)) {
        return "5";
    }
    if (holds(kZero)) {
        return "0";
    }
    if (holds(kNone)) {
        return "";
    }
    return std::nullopt;
}
