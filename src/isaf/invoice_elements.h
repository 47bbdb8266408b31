#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "isaf/isaf_document.h"

// One purchase Invoice element per record, in list order: the single-rate records of the
// purchase invoice list, and the records of up to five tax lines of the multi-rate list.
void ExportPurchaseInvoices(IsafDocument& document, const std::vector<std::string>& records);
void ExportPurchaseMultiRateInvoices(IsafDocument& document,
                                     const std::vector<std::string>& records);

// The same for the sales lists: CustomerInfo instead of SupplierInfo, no registration date,
// and every DocumentTotal closed by a VATPointDate2 holding the invoice date.
void ExportSalesInvoices(IsafDocument& document, const std::vector<std::string>& records);
void ExportSalesMultiRateInvoices(IsafDocument& document, const std::vector<std::string>& records);

// The DocumentTotal of one tax line of a multi-rate invoice; nothing when the tax code is
// empty. The VATPointDate2 line is written only when that date is given.
void ExportDocumentTotal(IsafDocument& document, std::string_view taxableValue,
                         std::string_view vatAmount, std::string_view taxCode,
                         std::string_view vatPointDate2);

// The VAT rate ("21", "9", "5", "0") that the number of a tax code stands for, or the empty
// text for the codes that carry no rate. Text that is not a whole number counts as 0.
std::string TaxPercentageForCode(std::string_view number);

// The same for the numbers the table lists; nothing for a number outside it, which the writer
// gives 21 all the same.
std::optional<std::string> listedTaxPercentage(std::string_view number);
