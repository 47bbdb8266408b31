#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Counterpart records (suppliers or customers), kept in ascending case-insensitive order of
// the whole record text (Lithuanian collation); a record equal to one held is not added, and
// the first spelling stays.
class CounterpartList {
  public:
    // False when an equal record was already held.
    bool add(std::string_view record);
    size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }

    // In order.
    std::vector<std::string> records() const;

    template <typename F>
    void forEach(F&& visit) const {
        for (const auto& [key, record] : records_) {
            visit(record);
        }
    }

  private:
    void growSlots();

    std::map<std::string, std::string> records_;  // collation key -> record text
    // Every text ever added, back to back (seenEnds_[i] is where text i ends), and an
    // open-addressed table of their hashes. Most rows repeat a counterpart already held, and a
    // text seen before has its key in records_ already, so the collation key is not worked
    // out again. A node-based set missed the cache three times on every row.
    struct Slot {
        std::size_t hash = 0;
        std::size_t text = 0;  // 1 + the index of the text; 0 for an empty slot
    };
    std::vector<Slot> slots_;
    std::string seenText_;
    std::vector<std::size_t> seenEnds_;
};

// The accepted rows of one generation run, carried from the sheet readers to the i.SAF writer.
// Each entry is one row record: text fields joined by "|||".
struct InvoiceRowStore {
    static constexpr const char* kFieldSeparator = "|||";

    CounterpartList suppliers;
    std::vector<std::string> purchaseInvoices;
    std::vector<std::string> purchaseMultiRateInvoices;
    CounterpartList customers;
    std::vector<std::string> salesInvoices;
    std::vector<std::string> salesMultiRateInvoices;

    // No row of the period was stored.
    bool empty() const { return suppliers.empty() && customers.empty(); }
};

// Joins fields into a row record.
std::string joinRecord(const std::vector<std::string>& fields);
