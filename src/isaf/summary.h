#pragma once

#include <map>
#include <string>

#include "invoices/invoice_book.h"

// What the i.SAF file holds, per side and tax code: the figures an accountant holds against the
// VAT return before uploading the file.
struct TaxCodeTotals {
    long invoices = 0;
    long long taxableCents = 0;
    long long vatCents = 0;
};

// Tax codes in the order people read them: PVM2 before PVM12.
struct TaxCodeOrder {
    bool operator()(const std::string& a, const std::string& b) const;
};

using TotalsByTaxCode = std::map<std::string, TaxCodeTotals, TaxCodeOrder>;

struct IsafSummary {
    TotalsByTaxCode purchases;
    TotalsByTaxCode sales;
};

IsafSummary summarize(const InvoiceBook& book);

// A table for the terminal: one line per side and tax code, amounts with a decimal point.
std::string formatSummary(const IsafSummary& summary);
