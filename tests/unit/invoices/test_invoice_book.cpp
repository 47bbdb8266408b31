#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "invoices/invoice_book.h"

namespace {

Counterpart counterpart(const std::string& name, const std::string& company, const std::string& vat,
                        const std::string& id) {
    return Counterpart{name, company, vat, id, ""};
}

// The listed counterparts as "name|company code|VAT code|ID".
std::vector<std::string> listed(const CounterpartTable& table) {
    std::vector<std::string> result;
    table.forEachListed([&](const Counterpart& c) {
        result.push_back(c.name + "|" + c.companyCode + "|" + c.vatCode + "|" + c.id);
    });
    return result;
}

TEST(InvoiceBook, CounterpartsListedSortedAndOnceIgnoringCase) {
    CounterpartTable table;
    EXPECT_EQ(table.add(counterpart("Žalias", "1", "", "1")), 0u);
    EXPECT_EQ(table.add(counterpart("Beta", "2", "", "2")), 1u);
    EXPECT_EQ(table.add(counterpart("Čia", "3", "", "3")), 2u);
    EXPECT_EQ(table.add(counterpart("cukrus", "4", "", "4")), 3u);
    // The same spelling again: the same entry.
    EXPECT_EQ(table.add(counterpart("Beta", "2", "", "2")), 1u);
    // Equal but for letter case, or "ND" typed where the code is empty: an entry of its own,
    // so that its invoices show it as typed, but listed once, in the first spelling.
    EXPECT_EQ(table.add(counterpart("BETA", "2", "nd", "2")), 4u);
    EXPECT_EQ(table[4].name, "BETA");
    // Differing in the automatic ID: a second counterpart.
    EXPECT_EQ(table.add(counterpart("Beta", "2", "", "5")), 5u);
    EXPECT_EQ(table.size(), 6u);
    EXPECT_EQ(table.listedCount(), 5u);
    EXPECT_EQ(listed(table), (std::vector<std::string>{"Beta|2||2", "Beta|2||5", "cukrus|4||4",
                                                       "Čia|3||3", "Žalias|1||1"}));
}

TEST(InvoiceBook, MoneyAndEmptiness) {
    EXPECT_EQ(Money{123450}.text(), "1234.50");
    EXPECT_EQ(Money{-5}.text(), "-0.05");
    EXPECT_EQ(Money{0}.text(), "0.00");
    EXPECT_EQ(Money{INT64_MIN}.text(), "-92233720368547758.08");
    InvoiceBook book;
    EXPECT_TRUE(book.empty());
    book.sales.invoices.emplace_back();
    EXPECT_FALSE(book.empty());
}

}  // namespace
