#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/date.h"

// The accepted rows of one generation run, typed, carried from the sheet readers to the i.SAF
// writer and the summary: money in whole cents, dates as dates, counterparts in a table of
// their own. Only the writer turns them into text.

// An amount in whole euro cents.
struct Money {
    std::int64_t cents = 0;

    auto operator<=>(const Money&) const = default;

    // With a decimal point and two decimals, as the i.SAF file writes amounts: "-1234.50".
    std::string text() const;
    // The same into `out`, which must hold kMaxTextLength characters; returns the length.
    std::size_t write(char* out) const;
    static constexpr std::size_t kMaxTextLength = 24;
};

// A supplier or customer as its row gave it: the cleaned cells, empty where the cell was.
struct Counterpart {
    std::string name;
    std::string companyCode;
    std::string vatCode;
    std::string id;       // the company code, else the VAT code without its prefix, else automatic
    std::string country;  // the country cell, else the VAT code's prefix (as the file has it)

    bool operator==(const Counterpart&) const = default;
};

// The counterparts of one side. Every spelling met is kept once, so that each invoice shows its
// counterpart as its own row gave it. The file lists them ordered by the Lithuanian collation
// (letter case ignored) of their record text "name|||company code|||VAT code|||ID|||country",
// with "ND" for an empty name or code; spellings whose texts are equal in that collation are
// listed once, as first read.
class CounterpartTable {
  public:
    // The index of this counterpart, added when it was not met before.
    std::uint32_t add(const Counterpart& counterpart);

    const Counterpart& operator[](std::uint32_t index) const { return entries_[index]; }
    // Spellings held.
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    // How many the file lists, and each of them in the file's order.
    std::size_t listedCount() const { return listed_.size(); }
    template <typename Visit>
    void forEachListed(Visit&& visit) const {
        for (const auto& [key, index] : listed_) {
            visit(entries_[index]);
        }
    }

  private:
    void growSlots();

    std::deque<Counterpart> entries_;
    std::map<std::string, std::uint32_t> listed_;  // collation key -> first spelling
    // An open-addressed table of the entries' hashes: most rows repeat a counterpart already
    // held, which is then found without a collation key or a node-based lookup.
    struct Slot {
        std::size_t hash = 0;
        std::uint32_t entry = 0;  // 1 + the index; 0 for an empty slot
    };
    std::vector<Slot> slots_;
};

// One tax line of an invoice.
struct TaxLine {
    Money value;
    std::optional<Money> vatAmount;  // none when its cell was empty or the sheet has no column
    std::string code;                // "PVM1"; empty when none was given
};

// Laid out in 128 bytes, so that the deque holding a month's invoices wastes nothing.
struct Invoice {
    Date date;
    // Purchases: when it was registered; from an empty D cell, the later of the invoice date
    // and the period's first day.
    Date registrationDate;
    std::string number;
    std::string type;  // "SF", "DS", "KS", "VS", "VD", "VK" or "AN"
    // A single-rate invoice has one tax line, written even without a code, and the rate of its
    // sheet as its percentage (none on the "-" sheets). A multi-rate invoice has the tax lines
    // that carry a code, each with the percentage its code stands for.
    std::vector<TaxLine> lines;
    std::uint32_t counterpart = 0;  // in its side's counterpart table
    // Where it came from, for messages that name its cells: the row and the sheet number (1-12).
    std::int32_t row = 0;
    std::uint8_t sheet = 0;
    bool registrationFromEmptyCell = false;
    bool multiRate = false;
    std::optional<std::int8_t> sheetRate;
    // Multi-rate: bit i is set when the sheet's group of columns i (0-4) gave one of the lines,
    // so that a line's cells can be named.
    std::uint8_t lineGroups = 0;
};

// The invoices and counterparts of one side, the invoices in the order they were read.
struct Ledger {
    CounterpartTable counterparts;
    std::deque<Invoice> invoices;
};

struct InvoiceBook {
    Ledger purchases;  // suppliers and purchase invoices
    Ledger sales;      // customers and sales invoices

    // No row of the period was stored.
    bool empty() const { return purchases.invoices.empty() && sales.invoices.empty(); }
};
