#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

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

// One tax line of an invoice as the totals count it.
struct TaxLineTotals {
    std::string_view taxCode;
    long long taxableCents = 0;
    long long vatCents = 0;
};

// Adds one invoice's tax lines to the totals of its side; the invoice counts once for each tax
// code it holds. A sum stops at the limit of its type instead of overflowing.
void addInvoiceTotals(TotalsByTaxCode& side, const std::vector<TaxLineTotals>& lines);

// An amount in cents as the table writes it: "-12.34".
std::string centsText(long long cents);

// A table for the terminal: one line per side and tax code, amounts with a decimal point.
std::string formatSummary(const IsafSummary& summary);
