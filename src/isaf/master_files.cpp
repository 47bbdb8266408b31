#include "isaf/master_files.h"

#include <string>

namespace {

// Customers and Suppliers differ only in the element names.
void exportCounterparts(IsafDocument& document, const CounterpartList& counterparts,
                        const std::string& element) {
    constexpr Lead outer{6, 0};
    constexpr Lead inner{8, 0};
    const std::string open = "<" + element + ">";
    const std::string close = "</" + element + ">";
    const std::string id = element + "ID";
    size_t index = 0;
    counterparts.forEach([&](const std::string& text) {
        document.stepRecord(index++);
        const RowRecord record(text);
        document.line(outer, open);
        document.element(inner, id, record.field(3));
        document.element(inner, "VATRegistrationNumber", record.field(2));
        document.element(inner, "RegistrationNumber", record.field(1));
        document.nillableElement(inner, "Country", record.field(4, ""));
        document.element(inner, "Name", record.field(0));
        document.line(outer, close);
    });
}

}  // namespace

void ExportCustomers(IsafDocument& document, const CounterpartList& customers) {
    exportCounterparts(document, customers, "Customer");
}

void ExportSuppliers(IsafDocument& document, const CounterpartList& suppliers) {
    exportCounterparts(document, suppliers, "Supplier");
}
