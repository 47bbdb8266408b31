#include <gtest/gtest.h>

#include "invoices/row_store.h"

namespace {

TEST(RowStore, CounterpartsSortedAndDeduplicatedIgnoringCase) {
    CounterpartList list;
    EXPECT_TRUE(list.add("Žalias|||1|||ND|||1|||"));
    EXPECT_TRUE(list.add("Beta|||2|||ND|||2|||"));
    EXPECT_TRUE(list.add("Čia|||3|||ND|||3|||"));
    EXPECT_TRUE(list.add("cukrus|||4|||ND|||4|||"));
    // Equal but for letter case: not added, the first spelling stays.
    EXPECT_FALSE(list.add("BETA|||2|||nd|||2|||"));
    // Differing in the automatic ID: a second record.
    EXPECT_TRUE(list.add("Beta|||2|||ND|||5|||"));
    EXPECT_EQ(list.records(), (std::vector<std::string>{
                                  "Beta|||2|||ND|||2|||",
                                  "Beta|||2|||ND|||5|||",
                                  "cukrus|||4|||ND|||4|||",
                                  "Čia|||3|||ND|||3|||",
                                  "Žalias|||1|||ND|||1|||",
                              }));
}

TEST(RowStore, RecordsJoinFieldsWithoutOuterSeparators) {
    EXPECT_EQ(joinRecord({"2024-01-05", "A1", "", ""}), "2024-01-05|||A1||||||");
    EXPECT_EQ(joinRecord({"x"}), "x");
    InvoiceRowStore store;
    EXPECT_TRUE(store.empty());
    store.customers.add("C|||1|||ND|||1|||LT");
    EXPECT_FALSE(store.empty());
}

}  // namespace
