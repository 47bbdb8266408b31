#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/date.h"
#include "invoices/invoice_book.h"
#include "invoices/warnings.h"
#include "isaf/check_findings.h"

// The invoices of a checked i.SAF file, typed: what the warnings need to know of them.

// A counterpart as the file names it (SupplierInfo or CustomerInfo, or a master file entry).
struct CheckedCounterpart {
    std::string id;  // SupplierID or CustomerID; empty when absent
    std::string vatCode;
    std::string registrationNumber;
    std::string name;
    std::string country;  // empty when nil
};

struct CheckedInvoice {
    InvoiceSide side = InvoiceSide::Purchase;
    std::string number;
    long line = 0;             // the line of its <Invoice>
    uint32_t counterpart = 0;  // its index in CheckedInvoices::counterparts
    std::optional<Date> invoiceDate;
    std::string type;                      // SF, DS, KS, ...
    std::optional<Date> registrationDate;  // purchases only; none when nil
    // One per DocumentTotal: an Amount that is nil gives no VAT amount, a nil TaxCode an empty
    // code.
    std::vector<TaxLine> taxLines;
};

// The invoices in file order. A counterpart is stored once however many invoices name it, and
// the invoices grow in blocks rather than by copying, so that a file of half a million invoices
// stays small in memory.
struct CheckedInvoices {
    std::vector<CheckedCounterpart> counterparts;
    std::deque<CheckedInvoice> invoices;

    const CheckedCounterpart& counterpartOf(const CheckedInvoice& invoice) const {
        return counterparts[invoice.counterpart];
    }
};

// The header's company code of the payer (RegistrationNumber) and its line.
struct CheckedPayerCode {
    std::string code;
    long line = 0;
};

// Adds the warnings catalogue's findings about a checked file (warnings.h), of kind Warning,
// naming each invoice by side, number and line, and the payer's code by its line. The file
// check calls it once, after the whole file; `today` is the day no date may lie after.
void addInvoiceWarnings(const CheckedInvoices& invoices,
                        const std::optional<CheckedPayerCode>& payerCode, Date today,
                        CheckFindings& findings);
