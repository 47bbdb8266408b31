#include "invoices/row_store.h"

#include <functional>

#include "base/collation.h"

bool CounterpartList::add(std::string_view record) {
    if (slots_.empty()) {
        slots_.resize(64);
    }
    const std::size_t hash = std::hash<std::string_view>{}(record);
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    for (; slots_[at].text != 0; at = (at + 1) & mask) {
        const std::size_t index = slots_[at].text - 1;
        const std::size_t begin = index == 0 ? 0 : seenEnds_[index - 1];
        if (slots_[at].hash == hash &&
            std::string_view(seenText_).substr(begin, seenEnds_[index] - begin) == record) {
            return false;
        }
    }
    std::string key = collationKey(record);
    seenText_.append(record);
    seenEnds_.push_back(seenText_.size());
    slots_[at] = {hash, seenEnds_.size()};
    if (seenEnds_.size() * 2 > slots_.size()) {
        growSlots();
    }
    return records_.try_emplace(std::move(key), record).second;
}

void CounterpartList::growSlots() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.text != 0) {
            std::size_t at = slot.hash & mask;
            while (slots_[at].text != 0) {
                at = (at + 1) & mask;
            }
            slots_[at] = slot;
        }
    }
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
