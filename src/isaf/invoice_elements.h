#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "invoices/invoice_book.h"
#include "invoices/tax_rates.h"
#include "isaf/isaf_document.h"

// One Invoice element per invoice of the ledger: first its single-rate invoices, then its
// multi-rate ones, each in the order they were read, the progress count restarting for each.
// Purchases: SupplierInfo and a registration date.
void writePurchaseInvoices(IsafDocument& document, const Ledger& purchases);

// Sales: CustomerInfo instead of SupplierInfo, no registration date, and every DocumentTotal
// closed by a VATPointDate2 holding the invoice date.
void writeSalesInvoices(IsafDocument& document, const Ledger& sales);

// The DocumentTotal of one tax line of a multi-rate invoice, with the percentage its code
// stands for; nothing when the code is empty. The VATPointDate2 line is written only when that
// date is given.
void writeDocumentTotal(IsafDocument& document, const TaxLine& line,
                        std::optional<Date> vatPointDate2);

// The VAT rate ("21", "9", "5", "0") that the number of a tax code stands for, or the empty
// text for the codes that carry no rate (listedTaxPercentage); 21 for a number outside the
// table.
std::string taxPercentageForCode(std::string_view number);
