#include "isaf/master_files.h"

#include <string>

#include "invoices/conversions.h"

namespace {

// Customers and Suppliers differ only in the element names.
void exportCounterparts(IsafDocument& document, const CounterpartTable& counterparts,
                        const std::string& element) {
    constexpr Lead outer{6, 0};
    constexpr Lead inner{8, 0};
    const std::string open = "<" + element + ">";
    const std::string close = "</" + element + ">";
    const std::string id = element + "ID";
    size_t index = 0;
    counterparts.forEachListed([&](const Counterpart& counterpart) {
        document.stepRecord(index++);
        document.line(outer, open);
        document.element(inner, id, counterpart.id);
        document.element(inner, "VATRegistrationNumber", orPlaceholder(counterpart.vatCode));
        document.element(inner, "RegistrationNumber", orPlaceholder(counterpart.companyCode));
        document.nillableElement(inner, "Country", counterpart.country);
        document.element(inner, "Name", orPlaceholder(counterpart.name));
        document.line(outer, close);
    });
}

}  // namespace

void ExportCustomers(IsafDocument& document, const CounterpartTable& customers) {
    exportCounterparts(document, customers, "Customer");
}

void ExportSuppliers(IsafDocument& document, const CounterpartTable& suppliers) {
    exportCounterparts(document, suppliers, "Supplier");
}
