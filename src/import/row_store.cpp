#include "import/row_store.h"

#include "shell/collation.h"

bool CounterpartList::add(std::string record) {
    if (seen_.contains(record)) {
        return false;
    }
    std::string key = collationKey(record);
    seen_.insert(record);
    return records_.try_emplace(std::move(key), std::move(record)).second;
}

std::vector<std::string> CounterpartList::records() const {
    std::vector<std::string> result;
    result.reserve(records_.size());
    forEach([&](const std::string& record) { result.push_back(record); });
    return result;
}

std::string joinRecord(const std::vector<std::string>& fields) {
    std::string record;
    size_t size = 0;
    for (const auto& field : fields) {
        size += field.size() + 3;
    }
    record.reserve(size);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            record += InvoiceRowStore::kFieldSeparator;
        }
        record += fields[i];
    }
    return record;
}
