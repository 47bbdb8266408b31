#include "invoices/invoice_book.h"

#include <charconv>
#include <functional>

#include "base/collation.h"
#include "invoices/conversions.h"

std::size_t Money::write(char* out) const {
    char* at = out;
    // Unsigned, so that the most negative value has a magnitude too.
    std::uint64_t magnitude = static_cast<std::uint64_t>(cents);
    if (cents < 0) {
        *at++ = '-';
        magnitude = ~magnitude + 1;
    }
    at = std::to_chars(at, out + kMaxTextLength, magnitude / 100).ptr;
    *at++ = '.';
    *at++ = static_cast<char>('0' + magnitude % 100 / 10);
    *at++ = static_cast<char>('0' + magnitude % 10);
    return static_cast<std::size_t>(at - out);
}

std::string Money::text() const {
    char buffer[kMaxTextLength];
    return std::string(buffer, write(buffer));
}

namespace {

std::size_t hashOf(const Counterpart& counterpart) {
    const std::hash<std::string_view> hash;
    std::size_t value = hash(counterpart.name);
    for (const std::string* field :
         {&counterpart.companyCode, &counterpart.vatCode, &counterpart.id, &counterpart.country}) {
        value = value * 1099511628211u ^ hash(*field);
    }
    return value;
}

// The record text whose collation orders the file's list.
std::string recordText(const Counterpart& counterpart) {
    std::string text;
    text.append(orPlaceholder(counterpart.name)).append("|||");
    text.append(orPlaceholder(counterpart.companyCode)).append("|||");
    text.append(orPlaceholder(counterpart.vatCode)).append("|||");
    text.append(counterpart.id).append("|||");
    text.append(counterpart.country);
    return text;
}

}  // namespace

std::uint32_t CounterpartTable::add(const Counterpart& counterpart) {
    if (slots_.empty()) {
        slots_.resize(64);
    }
    const std::size_t hash = hashOf(counterpart);
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    for (; slots_[at].entry != 0; at = (at + 1) & mask) {
        const std::uint32_t index = slots_[at].entry - 1;
        if (slots_[at].hash == hash && entries_[index] == counterpart) {
            return index;
        }
    }
    const auto index = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back(counterpart);
    listed_.try_emplace(collationKey(recordText(counterpart)), index);
    slots_[at] = {hash, index + 1};
    if (entries_.size() * 2 > slots_.size()) {
        growSlots();
    }
    return index;
}

void CounterpartTable::growSlots() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.entry != 0) {
            std::size_t at = slot.hash & mask;
            while (slots_[at].entry != 0) {
                at = (at + 1) & mask;
            }
            slots_[at] = slot;
        }
    }
}
