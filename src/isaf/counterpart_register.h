#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "isaf/check_findings.h"
#include "isaf/checked_invoice.h"

// The counterparts one side of an i.SAF file names (the master file's and the invoices'), each
// stored once, and whether their IDs agree. Two counterparts are the same when their VAT codes
// are equal; where one of them has none, when their registration numbers are; where one has
// neither, when their names are equal without regard to case ("ND" counts as no code, and a
// counterpart without a name is told apart by its codes only).
// An ID given to two different counterparts is a logical error, and so is a counterpart with a
// VAT code or registration number under two IDs. A counterpart without either code may carry
// a new ID on every invoice: the program itself numbers such rows one by one.
class CounterpartRegister {
  public:
    CounterpartRegister(InvoiceSide side, std::vector<CheckedCounterpart>& table);

    // The counterpart's index in the table. A counterpart not seen before is added there, and
    // its ID checked against those seen before; `line` is where the file names it.
    uint32_t add(CheckedCounterpart counterpart, long line, CheckFindings& findings);

  private:
    struct Seen {
        uint32_t index = 0;
        long line = 0;
    };

    void checkId(const Seen& seen, CheckFindings& findings);
    bool checkCode(const std::string& key, const Seen& seen, CheckFindings& findings);
    std::string describe(const CheckedCounterpart& counterpart, long line) const;

    InvoiceSide side_;
    std::vector<CheckedCounterpart>& table_;
    std::unordered_map<std::string, uint32_t> indexOf_;    // by all five fields
    std::unordered_map<std::string, Seen> firstWithId_;    // by ID
    std::unordered_map<std::string, Seen> firstWithCode_;  // by VAT code or registration number
};
