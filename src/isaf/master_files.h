#pragma once

#include "invoices/row_store.h"
#include "isaf/isaf_document.h"

// One Customer element per record of the customer list, in the list's order.
void ExportCustomers(IsafDocument& document, const CounterpartList& customers);

// One Supplier element per record of the supplier list, in the list's order.
void ExportSuppliers(IsafDocument& document, const CounterpartList& suppliers);
