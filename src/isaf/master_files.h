#pragma once

#include "invoices/invoice_book.h"
#include "isaf/isaf_document.h"

// One Customer element per counterpart the customer table lists, in its order.
void ExportCustomers(IsafDocument& document, const CounterpartTable& customers);

// One Supplier element per counterpart the supplier table lists, in its order.
void ExportSuppliers(IsafDocument& document, const CounterpartTable& suppliers);
