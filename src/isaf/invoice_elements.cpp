#include "isaf/invoice_elements.h"

#include "base/text.h"
#include "invoices/conversions.h"

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
    bool registrationDate;
    // The schema requires VATPointDate2 in every sales DocumentTotal and forbids it in a
    // purchase one.
    bool vatPointDate2;
};

constexpr InvoiceSide kPurchase{"<SupplierInfo>", "</SupplierInfo>", "SupplierID", true, false};
constexpr InvoiceSide kSales{"<CustomerInfo>", "</CustomerInfo>", "CustomerID", false, true};

// "<Invoice>" down to and including "<DocumentTotals>". The counterpart is written as the
// invoice's own row gave it.
void invoiceHead(IsafDocument& document, const InvoiceSide& side, const Invoice& invoice,
                 const Counterpart& counterpart) {
    document.line(kInvoice, "<Invoice>");
    document.element(kInvoiceField, "InvoiceNo", invoice.number);
    document.line(kInvoiceField, side.openInfo);
    document.element(kInfoField, side.id, counterpart.id);
    document.element(kInfoField, "VATRegistrationNumber", orPlaceholder(counterpart.vatCode));
    document.element(kInfoField, "RegistrationNumber", orPlaceholder(counterpart.companyCode));
    document.nillableElement(kInfoField, "Country", counterpart.country);
    document.element(kInfoField, "Name", orPlaceholder(counterpart.name));
    document.line(kInvoiceField, side.closeInfo);
    document.dateElement(kInvoiceField, "InvoiceDate", invoice.date);
    document.element(kInvoiceField, "InvoiceType", invoice.type);
    document.line(kInvoiceField, "<SpecialTaxation/>");
    document.line(kInvoiceField, "<References/>");
    document.dateElement(kInvoiceField, "VATPointDate", invoice.date);
    if (side.registrationDate) {
        document.dateElement(kInvoiceField, "RegistrationAccountDate", invoice.registrationDate);
    }
    document.line(kInvoiceField, "<DocumentTotals>");
}

void invoiceTail(IsafDocument& document) {
    document.line(kInvoiceField, "</DocumentTotals>");
    document.line(kInvoice, "</Invoice>");
}

// The empty tax code and percentage and a missing amount take the nil form: the schema allows
// no empty value there.
void documentTotal(IsafDocument& document, const TaxLine& line, std::string_view code,
                   std::string_view percentage, std::optional<Date> vatPointDate2) {
    document.line(kTotal, "<DocumentTotal>");
    document.moneyElement(kTotalField, "TaxableValue", line.value);
    document.nillableElement(kTotalField, "TaxCode", code);
    document.nillableElement(kTotalField, "TaxPercentage", percentage);
    document.nillableMoneyElement(kTotalField, "Amount", line.vatAmount);
    if (vatPointDate2) {
        document.dateElement(kTotalField, "VATPointDate2", *vatPointDate2);
    }
    document.line(kTotal, "</DocumentTotal>");
}

// The percentage of a single-rate invoice is the rate of the sheet it came from, not one
// derived from its tax code.
void exportSingleRate(IsafDocument& document, const InvoiceSide& side, const Invoice& invoice,
                      const Counterpart& counterpart) {
    invoiceHead(document, side, invoice, counterpart);
    const std::string percentage = invoice.sheetRate ? std::to_string(*invoice.sheetRate) : "";
    const TaxLine none;
    const TaxLine& line = invoice.lines.empty() ? none : invoice.lines.front();
    documentTotal(document, line, line.code, percentage,
                  side.vatPointDate2 ? std::optional<Date>(invoice.date) : std::nullopt);
    invoiceTail(document);
}

void exportMultiRate(IsafDocument& document, const InvoiceSide& side, const Invoice& invoice,
                     const Counterpart& counterpart) {
    invoiceHead(document, side, invoice, counterpart);
    for (const TaxLine& line : invoice.lines) {
        writeDocumentTotal(document, line,
                           side.vatPointDate2 ? std::optional<Date>(invoice.date) : std::nullopt);
    }
    invoiceTail(document);
}

void exportInvoices(IsafDocument& document, const InvoiceSide& side, const Ledger& ledger) {
    for (const bool multiRate : {false, true}) {
        size_t index = 0;
        for (const Invoice& invoice : ledger.invoices) {
            if (invoice.multiRate != multiRate) {
                continue;
            }
            document.stepRecord(index++);
            const Counterpart& counterpart = ledger.counterparts[invoice.counterpart];
            if (multiRate) {
                exportMultiRate(document, side, invoice, counterpart);
            } else {
                exportSingleRate(document, side, invoice, counterpart);
            }
        }
    }
}

}  // namespace

void writePurchaseInvoices(IsafDocument& document, const Ledger& purchases) {
    exportInvoices(document, kPurchase, purchases);
}

void writeSalesInvoices(IsafDocument& document, const Ledger& sales) {
    exportInvoices(document, kSales, sales);
}

void writeDocumentTotal(IsafDocument& document, const TaxLine& line,
                        std::optional<Date> vatPointDate2) {
    const std::string_view code = trimmed(line.code);
    if (code.empty()) {
        return;
    }
    // The number follows the "PVM" prefix.
    const std::string percentage =
        taxPercentageForCode(code.size() > 3 ? code.substr(3) : std::string_view());
    documentTotal(document, line, code, percentage, vatPointDate2);
}

std::string taxPercentageForCode(std::string_view number) {
    return listedTaxPercentage(number).value_or("21");
}
