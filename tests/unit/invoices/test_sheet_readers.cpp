#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "invoices/conversions.h"
#include "invoices/sheet_readers.h"
#include "invoices/sheet_table.h"
#include "run/counterpart_counter.h"
#include "support/fake_run_host.h"
#include "support/fake_workbook.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

namespace {

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;) {
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::vector<std::string> fields(const std::string& record) {
    return split(record, "|||");
}

// The invoice book written out as the tests read it: one text per invoice, its fields joined
// by "|||" in the order the columns have on the sheet (amounts with a decimal point, the VAT
// amount empty when there is none), the counterpart's fields as the file writes them; a
// multi-rate invoice carries its coded tax lines only, a single-rate one its sheet's rate.
struct RenderedCounterparts {
    std::vector<std::string> listed;
    std::vector<std::string> records() const { return listed; }
    std::size_t size() const { return listed.size(); }
    bool empty() const { return listed.empty(); }
};

struct RenderedBook {
    RenderedCounterparts suppliers;
    std::vector<std::string> purchaseInvoices;
    std::vector<std::string> purchaseMultiRateInvoices;
    RenderedCounterparts customers;
    std::vector<std::string> salesInvoices;
    std::vector<std::string> salesMultiRateInvoices;
    bool empty() const { return suppliers.empty() && customers.empty(); }
};

std::string counterpartText(const Counterpart& c) {
    return std::string(orPlaceholder(c.name)) + "|||" + std::string(orPlaceholder(c.companyCode)) +
           "|||" + std::string(orPlaceholder(c.vatCode)) + "|||" + c.id + "|||" + c.country;
}

std::string invoiceText(const Ledger& ledger, const Invoice& invoice, bool purchase) {
    std::string text = invoice.date.text() + "|||" + invoice.number + "|||" + invoice.type;
    if (purchase) {
        text += "|||" + invoice.registrationDate.text();
    }
    text += "|||" + counterpartText(ledger.counterparts[invoice.counterpart]);
    for (const TaxLine& line : invoice.lines) {
        text += "|||" + line.value.text() + "|||" +
                (line.vatAmount ? line.vatAmount->text() : std::string()) + "|||" + line.code;
    }
    if (!invoice.multiRate) {
        text += "|||" + (invoice.sheetRate ? std::to_string(*invoice.sheetRate) : std::string());
    }
    return text;
}

void renderLedger(const Ledger& ledger, bool purchase, RenderedCounterparts& counterparts,
                  std::vector<std::string>& single, std::vector<std::string>& multi) {
    ledger.counterparts.forEachListed(
        [&](const Counterpart& c) { counterparts.listed.push_back(counterpartText(c)); });
    for (const Invoice& invoice : ledger.invoices) {
        (invoice.multiRate ? multi : single).push_back(invoiceText(ledger, invoice, purchase));
    }
}

RenderedBook render(const InvoiceBook& book) {
    RenderedBook rendered;
    renderLedger(book.purchases, true, rendered.suppliers, rendered.purchaseInvoices,
                 rendered.purchaseMultiRateInvoices);
    renderLedger(book.sales, false, rendered.customers, rendered.salesInvoices,
                 rendered.salesMultiRateInvoices);
    return rendered;
}

class ReaderTest : public ::testing::Test {
  protected:
    ReaderTest() {
        inputs.period = {Date{2024, 3, 1}, Date{2024, 3, 31}};
        inputs.regional = lithuanianSettings();
    }

    // Reads the sheets in the given order, as one run does.
    void read(std::initializer_list<int> sheetNumbers) {
        const auto connection = workbook.opener()("saskaitos.xlsx");
        read(*connection, sheetNumbers);
    }

    void read(WorkbookConnection& connection, std::initializer_list<int> sheetNumbers) {
        CounterpartCounter counter(settings);
        SheetReading reading{connection, inputs.period, inputs.regional, host,
                             book,       errors,        counter};
        for (const int sheet : sheetNumbers) {
            if (sheet <= 6) {
                readPurchaseSheet(reading, sheet);
            } else {
                readSalesSheet(reading, sheet);
            }
        }
        store = render(book);
    }

    // The error list's entries without the heading, each without its leading line breaks.
    std::vector<std::string> entries() const {
        auto pieces = split(errors.text(), "\n\r\n\r");
        EXPECT_EQ(pieces.front(), "Klaidų sąrašas:");
        pieces.erase(pieces.begin());
        return pieces;
    }

    void row(const std::string& sheet, int number, const std::vector<std::string>& cells) {
        workbook.setRow(sheet, number, cells);
    }

    TempDir dir;
    ProfileFile settings{dir.file("_nustatymai.ini")};
    FakeWorkbook workbook = FakeWorkbook::withAllSheets();
    FakeRunHost host;
    RunInputs inputs;
    InvoiceBook book;
    RenderedBook store;
    ErrorList errors;
};

using PurchaseReader = ReaderTest;
using SalesReader = ReaderTest;

const std::string kInPeriod = "2024-03-05";

}  // namespace

TEST_F(PurchaseReader, EmptySheetReadsExactlyThreeRows) {
    read({1});
    EXPECT_EQ(host.statuses, (std::vector<std::string>{"Patikriname Gau21 lapo įrašus: 1",
                                                       "Patikriname Gau21 lapo įrašus: 2",
                                                       "Patikriname Gau21 lapo įrašus: 3"}));
    EXPECT_EQ(workbook.log().selected, (std::vector<std::string>{"Gau21"}));
    EXPECT_FALSE(errors.hasEntries());
    EXPECT_TRUE(store.empty());
    EXPECT_TRUE(store.purchaseInvoices.empty());
}

TEST_F(PurchaseReader, StopsAfterTheThirdRowWithEmptyA) {
    const std::vector<std::string> good = {kInPeriod, "1", "", "", "", "UAB", "", "", "10"};
    row("Gau21", 5, good);
    row("Gau21", 8, good);  // after two empty rows: still read
    // Rows 9 and 10 are empty; row 11 is the third empty A, read to its end.
    row("Gau21", 11, {"", "17"});
    row("Gau21", 12, {kInPeriod, "", "XX"});  // never read
    read({1, 2});
    EXPECT_EQ(host.statuses.size(), 7u + 3u);
    EXPECT_EQ(host.statuses[6], "Patikriname Gau21 lapo įrašus: 7");
    EXPECT_EQ(host.statuses.back(), "Patikriname Gau9 lapo įrašus: 3");
    EXPECT_EQ(entries(), (std::vector<std::string>{"Gau21 lapas -> A11  vietoje datos klaida"}));
    EXPECT_EQ(store.purchaseInvoices.size(), 2u);
    // The bar moves by sheet (a hundred steps each of twelve), and within the sheet by row
    // once the workbook has told its last row (12 here): rows 5 to 11, then the sheet's end;
    // then the empty Gau9, which tells none.
    const std::vector<std::pair<int, int>> trail = {
        {0, 1200},  {12, 1200},  {25, 1200},  {37, 1200},  {50, 1200},  {62, 1200},
        {75, 1200}, {100, 1200}, {100, 1200}, {100, 1200}, {100, 1200}, {200, 1200}};
    EXPECT_EQ(host.progressTrail, trail);
}

TEST_F(PurchaseReader, OnlyFilledRowsGetTheDateMessage) {
    row("Gau21", 5, {"", "17"});  // number: filled
    row("Gau21", 6, {kInPeriod, "1", "", "", "", "", "", "", "1"});
    row("Gau21", 7, {"", "", "", "", "LT1"});  // VAT code: filled
    row("Gau21", 8, {kInPeriod, "1", "", "", "", "", "", "", "1"});
    row("Gau21", 9, {"", "", "", "", "", "", "", "", "5"});  // taxable value above 0
    row("Gau21", 10, {kInPeriod, "1", "", "", "", "", "", "", "1"});
    row("Gau21", 11, {"", "", "", "", "", "Vardas", "", "", "-5"});  // not filled
    row("Gau21", 12, {"rytoj", "", "", "", "", "", "", "", "0"});    // not filled: the chain
    row("Gau21", 13, {"1979-12-31", "2", "", "", "", "", "", "", "1"});
    row("Gau21", 14, {"1980-01-01", "3", "", "", "", "", "", "", "1"});
    read({1});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Gau21 lapas -> A5  vietoje datos klaida",
                             "Gau21 lapas -> A7  vietoje datos klaida",
                             "Gau21 lapas -> A9  vietoje datos klaida",
                             "Gau21 lapas -> B12  vietoje serijos numerio klaida",
                             "Gau21 lapas -> A13  vietoje datos klaida",
                         }));
}

TEST_F(PurchaseReader, ChainStopsAtItsFirstFailure) {
    auto good = [](std::vector<std::string> changes) {
        std::vector<std::string> cells = {kInPeriod, "SF-1", "", "",  "LT100001",
                                          "UAB",     "",     "", "10"};
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (changes[i] != "=") {
                cells[i] = changes[i];
            }
        }
        return cells;
    };
    row("Gau9", 5, good({"=", ""}));
    row("Gau9", 6, good({"=", "=", "xx"}));
    row("Gau9", 7, good({"=", "=", "=", "=", "=", "=", "ND"}));
    row("Gau9", 8, good({"=", "=", "=", "=", "LT\"1"}));
    row("Gau9", 9, good({"=", "=", "=", "=", "=", "=", "=", "=", ""}));
    row("Gau9", 10, good({"=", "", "XX", "=", "LT\"1"}));
    row("Gau9", 11, good({"1979-12-31", "=", "XX"}));
    row("Gau9", 12, good({"=", "=", "an", "=", "=", "=", "12345678901"}));
    row("Gau9", 13, good({"=", "=", "=", "=", "=", "=", "0"}));
    read({2});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Gau9 lapas -> B5  vietoje serijos numerio klaida",
                             "Gau9 lapas -> C6  vietoje tipo klaida",
                             "Gau9 lapas -> G7  vietoje įmonės (asmens) kodo klaida",
                             "Gau9 lapas -> E8  vietoje PVM kodo klaida",
                             "Gau9 lapas -> I9  vietoje apmok. vertės klaida",
                             "Gau9 lapas -> B10  vietoje serijos numerio klaida",
                             "Gau9 lapas -> A11  vietoje datos klaida",
                             "Gau9 lapas -> G13  vietoje įmonės (asmens) kodo klaida",
                         }));
    // Rows with messages are stored all the same when in the period; row 11 is not in it.
    ASSERT_EQ(store.purchaseInvoices.size(), 8u);
    const auto twelve = fields(store.purchaseInvoices[6]);
    EXPECT_EQ(twelve[2], "AN");
    EXPECT_EQ(twelve[5], "12345678901");
    EXPECT_EQ(twelve[7], "12345678901");
}

TEST_F(PurchaseReader, RecordsOfTheSingleRateSheets) {
    row("Gau21", 5,
        {"2024-03-05", " SF-1|7 ", "", "2024-03-06", " lt100001", "UAB \"Medis\" & Co", "123456789",
         "", "100", "21", ""});
    row("Gau9", 5, {"2024-03-07", "9-1", "ks", "", "", "Ona", "", "lv", "12,345", "", "01"});
    row("Gau5", 5, {"2024-03-08", "5-1", "", "", "", "", "", "", "-3", "-0,15", ""});
    row("Gau0", 5, {"2024-03-09", "0-1", "", "", "", "", "", "", "50", "pvm14"});
    row("Gau-", 5, {"2024-03-10", "N-1", "", "", "", "", "", "", "50", "5", "ignored"});
    ASSERT_TRUE(settings.write("NUSTATYMAI", "auto_id", "41").ok());
    read({1, 2, 3, 4, 5});
    EXPECT_FALSE(errors.hasEntries()) << errors.text();
    ASSERT_EQ(store.purchaseInvoices.size(), 5u);
    using Fields = std::vector<std::string>;
    EXPECT_EQ(fields(store.purchaseInvoices[0]),
              (Fields{"2024-03-05", "SF-17", "SF", "2024-03-06", "UAB \"Medis\" & Co", "123456789",
                      "LT100001", "123456789", "LT", "100.00", "21.00", "PVM1", "21"}));
    EXPECT_EQ(fields(store.purchaseInvoices[1]),
              (Fields{"2024-03-07", "9-1", "KS", "2024-03-07", "Ona", "ND", "ND", "42", "LV",
                      "12.35", "", "PVM1", "9"}));
    EXPECT_EQ(fields(store.purchaseInvoices[2]),
              (Fields{"2024-03-08", "5-1", "SF", "2024-03-08", "ND", "ND", "ND", "43", "", "-3.00",
                      "-0.15", "PVM3", "5"}));
    EXPECT_EQ(fields(store.purchaseInvoices[3]),
              (Fields{"2024-03-09", "0-1", "SF", "2024-03-09", "ND", "ND", "ND", "44", "", "50.00",
                      "", "PVM14", "0"}));
    EXPECT_EQ(store.purchaseInvoices[4],
              "2024-03-10|||N-1|||SF|||2024-03-10|||ND|||ND|||ND|||45||||||50.00||||||PVM5|||");
    EXPECT_EQ(
        store.suppliers.records(),
        (std::vector<std::string>{"ND|||ND|||ND|||43|||", "ND|||ND|||ND|||44|||",
                                  "ND|||ND|||ND|||45|||", "Ona|||ND|||ND|||42|||LV",
                                  "UAB \"Medis\" & Co|||123456789|||LT100001|||123456789|||LT"}));
    EXPECT_TRUE(store.purchaseMultiRateInvoices.empty());
    EXPECT_TRUE(store.customers.empty());
    EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), "45");
}

TEST_F(PurchaseReader, RecordOfTheMultiRateSheet) {
    row("GauKom", 5,
        {"2024-03-05", "K-1",  "", "", "LT100001", "UAB", "", "", "100", "21", "1", "50",
         "",           "PVM2", "", "", "",         "",    "", "", "",    "",   ""});
    read({6});
    EXPECT_FALSE(errors.hasEntries()) << errors.text();
    ASSERT_EQ(store.purchaseMultiRateInvoices.size(), 1u);
    EXPECT_EQ(
        fields(store.purchaseMultiRateInvoices[0]),
        (std::vector<std::string>{"2024-03-05", "K-1", "SF", "2024-03-05", "UAB", "ND", "LT100001",
                                  "100001", "LT", "100.00", "21.00", "PVM1", "50.00", "", "PVM2"}));
    EXPECT_TRUE(store.purchaseInvoices.empty());
}

TEST_F(PurchaseReader, RegistrationDateDefaultsAndThePeriod) {
    const std::vector<std::string> rest = {"", "UAB", "", "", "10"};
    auto withDates = [&](const std::string& a, const std::string& d, const std::string& number) {
        std::vector<std::string> cells = {a, number, "", d};
        cells.insert(cells.end(), rest.begin(), rest.end());
        return cells;
    };
    row("Gau21", 5, withDates("2024-02-10", "", "before, empty D"));
    row("Gau21", 6, withDates("2024-02-10", "2024-04-02", "before, D after"));
    row("Gau21", 7, withDates("2024-03-15", "", "in, empty D"));
    row("Gau21", 8, withDates("2024-03-15", "2024-03-20", "in, D given"));
    row("Gau21", 9, withDates("2024-04-01", "", "after, empty D"));
    row("Gau21", 10, withDates("2024-02-29", "2024-03-31", "before, D at the end"));
    row("Gau21", 11, withDates("2024-02-10", "bad", "before, bad D"));  // reported all the same
    read({1});
    std::vector<std::string> stored;
    for (const auto& record : store.purchaseInvoices) {
        const auto f = fields(record);
        stored.push_back(f[1] + ": " + f[0] + " " + f[3]);
    }
    EXPECT_EQ(stored, (std::vector<std::string>{"before, empty D: 2024-02-10 2024-03-01",
                                                "in, empty D: 2024-03-15 2024-03-15",
                                                "in, D given: 2024-03-15 2024-03-20",
                                                "before, D at the end: 2024-02-29 2024-03-31"}));
    EXPECT_EQ(entries(), (std::vector<std::string>{"Gau21 lapas -> D11  vietoje datos klaida"}));
}

TEST_F(PurchaseReader, RowsOutsideThePeriodGetMessagesButAreNotStored) {
    row("Gau21", 5, {"2024-02-10", "1", "XX", "2024-02-11", "", "", "", "", "10"});
    row("Gau21", 6, {"2024-04-10", "2", "", "", "", "", "", "", "abc"});
    read({1});
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"Gau21 lapas -> C5  vietoje tipo klaida",
                                        "Gau21 lapas -> I6  vietoje apmok. vertės klaida"}));
    EXPECT_TRUE(store.empty());
    EXPECT_TRUE(store.purchaseInvoices.empty());
    EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), "");  // no number issued
}

TEST_F(PurchaseReader, EveryMessageOfARowInItsOrder) {
    const std::string longName(257, 'n');
    row("Gau21", 5,
        {"2024-03-10", "", "xx", "rytoj", "", longName, "", "LTU", "1 234,50", "abc", "PVM1234"});
    // In the period by D only, with an invoice date the file cannot hold.
    row("Gau5", 5, {"2016-06-30", "1", "", "2024-03-05", "", "", "", "", "10", "", "0"});
    // An empty A with D in the period: stored with the fallback date, no automatic number.
    row("Gau0", 5, {"", "", "", "2024-03-05", "", "Vardas", "", "", "", ""});
    // A registration date the file cannot hold, on a stored row.
    row("Gau-", 5, {"2024-03-10", "1", "", "2101-01-01", "X", "", "", "", "100", ""});
    read({1, 3, 4, 5});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Gau21 lapas -> I5  vietoje apmok. vertės klaida",
                             "Gau21 lapas -> J5  vietoje PVM sumos klaida",
                             "Gau21 lapas -> K5  vietoje PVM kodo klaida",
                             "Gau21 lapas -> B5  vietoje serijos numerio klaida",
                             "Gau21 lapas -> D5  vietoje datos klaida",
                             "Gau21 lapas -> F5  vietoje pavadinimo klaida",
                             "Gau21 lapas -> H5  vietoje šalies kodo klaida",
                             "Gau5 lapas -> K5  vietoje PVM kodo klaida",
                             "Gau5 lapas -> A5  vietoje datos klaida",
                             "Gau0 lapas -> A5  vietoje datos klaida",
                             "Gau- lapas -> J5  vietoje PVM kodo klaida",
                             "Gau- lapas -> D5  vietoje datos klaida",
                             "Gau- lapas -> H5  vietoje šalies kodo klaida",
                         }));
    ASSERT_EQ(store.purchaseInvoices.size(), 4u);
    const auto gau0 = fields(store.purchaseInvoices[2]);
    EXPECT_EQ(gau0[0], "1905-02-16");
    EXPECT_EQ(gau0[1], "");
    EXPECT_EQ(gau0[7], "0");
    EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), "3");
}

TEST_F(PurchaseReader, UnreadableAndOversizedAmounts) {
    auto amounts = [](const std::string& value, const std::string& vat) {
        return std::vector<std::string>{kInPeriod, "1", "", "", "", "", "", "", value, vat};
    };
    row("Gau21", 5, amounts("12.50", ""));
    row("Gau21", 6, amounts("999999999999,995", "1e12"));
    row("Gau21", 7, amounts("-999999999999,994", "  "));
    row("Gau21", 8, amounts(" ", "1,5E2"));
    read({1});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Gau21 lapas -> I5  vietoje apmok. vertės klaida",
                             "Gau21 lapas -> I6  vietoje apmok. vertės klaida",
                             "Gau21 lapas -> J6  vietoje PVM sumos klaida",
                         }));
    ASSERT_EQ(store.purchaseInvoices.size(), 4u);
    EXPECT_EQ(fields(store.purchaseInvoices[0])[9], "0.00");
    EXPECT_EQ(fields(store.purchaseInvoices[2])[9], "-999999999999.99");
    EXPECT_EQ(fields(store.purchaseInvoices[2])[10], "");
    EXPECT_EQ(fields(store.purchaseInvoices[3])[9], "0.00");  // a blank passes, as before
    EXPECT_EQ(fields(store.purchaseInvoices[3])[10], "150.00");
}

TEST_F(PurchaseReader, TaxCodesTheFileCanHold) {
    auto coded = [](const std::string& value, const std::string& code) {
        return std::vector<std::string>{kInPeriod, "1", "", "", "", "", "", "", value, "", code};
    };
    row("Gau21", 5, coded("10", "PVM1234"));
    row("Gau21", 6, coded("10", "0"));
    row("Gau21", 7, coded("10", "12"));
    row("Gau21", 8, coded("10", "pvm100"));
    row("Gau0", 5, {kInPeriod, "1", "", "", "", "", "", "", "100", ""});
    row("Gau0", 6, {kInPeriod, "1", "", "", "", "", "", "", "0", ""});
    row("Gau0", 7, {kInPeriod, "1", "", "", "", "", "", "", "0", "x"});
    read({1, 4});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Gau21 lapas -> K5  vietoje PVM kodo klaida",
                             "Gau21 lapas -> K6  vietoje PVM kodo klaida",
                             "Gau0 lapas -> J5  vietoje PVM kodo klaida",
                             "Gau0 lapas -> J7  vietoje PVM kodo klaida",
                         }));
    EXPECT_EQ(fields(store.purchaseInvoices[2])[11], "PVM12");
    EXPECT_EQ(fields(store.purchaseInvoices[3])[11], "PVM100");
    EXPECT_EQ(fields(store.purchaseInvoices[5])[11], "");
}

TEST_F(PurchaseReader, MultiRateMessages) {
    auto kom = [](std::vector<std::string> lines) {
        std::vector<std::string> cells = {kInPeriod, "1", "", "", "", "", "", ""};
        cells.insert(cells.end(), lines.begin(), lines.end());
        return cells;
    };
    row("GauKom", 5, kom({}));                                              // all five values empty
    row("GauKom", 6, kom({"100", "21", "1", "50", "", ""}));                // line 2 without a code
    row("GauKom", 7, kom({"0", "", ""}));                                   // no coded line
    row("GauKom", 8, kom({"100", "", ""}));                                 // reported on K once
    row("GauKom", 9, kom({"", "", "", "abc", "x", ""}));                    // amounts, then no code
    row("GauKom", 10, kom({"1", "", "PVM1", "", "", "", "", "", "1000"}));  // bad code on Q
    row("GauKom", 11, {"", "2"});  // empty A: only the date
    read({6});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "GauKom lapas -> I5  vietoje apmok. vertės klaida",
                             "GauKom lapas -> N6  vietoje PVM kodo klaida",
                             "GauKom lapas -> K7  vietoje PVM kodo klaida",
                             "GauKom lapas -> K8  vietoje PVM kodo klaida",
                             "GauKom lapas -> L9  vietoje apmok. vertės klaida",
                             "GauKom lapas -> M9  vietoje PVM sumos klaida",
                             "GauKom lapas -> K9  vietoje PVM kodo klaida",
                             "GauKom lapas -> Q10  vietoje PVM kodo klaida",
                             "GauKom lapas -> A11  vietoje datos klaida",
                         }));
}

TEST_F(PurchaseReader, TextsTheFileCannotHold) {
    auto texts = [](const std::string& number, const std::string& vat, const std::string& name,
                    const std::string& company, const std::string& country) {
        return std::vector<std::string>{kInPeriod, number,  "",      "", vat,
                                        name,      company, country, "1"};
    };
    const std::string wide = "ą";
    std::string name256;
    std::string number70;
    for (int i = 0; i < 256; ++i) {
        name256 += wide;
    }
    for (int i = 0; i < 70; ++i) {
        number70 += wide;
    }
    row("Gau21", 5, texts(std::string(71, '7'), "", "", "", ""));
    row("Gau21", 6, texts("1", "", "", std::string(30, '0') + "123456", ""));
    row("Gau21", 7, texts("1", "LT" + std::string(34, '1'), "", "", ""));
    row("Gau21", 8, texts("1", "LT1|||2", "", "", ""));
    row("Gau21", 9, texts("1", "", std::string(257, 'n'), "", ""));
    row("Gau21", 10, texts("1", "X", "", "", ""));
    row("Gau21", 11, texts("1", "", "", "", "||"));
    row("Gau21", 12, texts(number70, "LT" + std::string(33, '1'), name256, "1", "ąb"));
    read({1});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Gau21 lapas -> B5  vietoje serijos numerio klaida",
                             "Gau21 lapas -> G6  vietoje įmonės (asmens) kodo klaida",
                             "Gau21 lapas -> E7  vietoje PVM kodo klaida",
                             "Gau21 lapas -> E8  vietoje PVM kodo klaida",
                             "Gau21 lapas -> F9  vietoje pavadinimo klaida",
                             "Gau21 lapas -> H10  vietoje šalies kodo klaida",
                             "Gau21 lapas -> H11  vietoje šalies kodo klaida",
                         }));
}

TEST_F(PurchaseReader, LineBreaksAndForbiddenCharactersNeverReachARecord) {
    row("Gau21", 5,
        {kInPeriod, "SF\n1", "", "", "LT\r\n100001",
         "A\x01"
         "B & C\nD",
         "1234\x0b", "", "10", "", "PVM\n1"});
    read({1});
    // The tax code "PVM 1" is no tax code: reported, but still on one line.
    EXPECT_EQ(entries(), (std::vector<std::string>{"Gau21 lapas -> K5  vietoje PVM kodo klaida"}));
    ASSERT_EQ(store.purchaseInvoices.size(), 1u);
    EXPECT_EQ(fields(store.purchaseInvoices[0]),
              (std::vector<std::string>{kInPeriod, "SF 1", "SF", kInPeriod, "AB & C D", "1234",
                                        "LT  100001", "1234", "LT", "10.00", "", "PVM 1", "21"}));
    for (const auto& record : store.suppliers.records()) {
        EXPECT_EQ(record.find_first_of("\r\n"), std::string::npos);
    }
}

TEST_F(PurchaseReader, MissingSheetEndsTheReader) {
    FakeWorkbook partial;
    partial.sheet("Gau21");
    workbook = partial;
    EXPECT_THROW(read({1, 2}), WorkbookError);
}

TEST_F(SalesReader, RecordsOfEachSheetKind) {
    row("Isr21", 5,
        {"2024-03-05", "S-1", "", "lt100002", "Pirkėjas\nUAB", "", "", "200", "42", ""});
    row("Isr0", 5, {"2024-03-06", "S-2", "vs", "", "Ona", "38001010000", "lv", "50", "3"});
    row("Isr-", 5, {"2024-03-07", "S-3", "", "", "", "", "", "5", "PVM9"});
    row("IsrKom", 5,
        {"2024-03-08", "S-4", "", "DE123", "GmbH", "", "", "10", "3,456", "1", "20", "", "PVM2"});
    row("Isr9", 5, {"2024-02-29", "S-0", "", "", "", "", "", "1"});  // before the period
    read({7, 8, 10, 11, 12});
    EXPECT_FALSE(errors.hasEntries()) << errors.text();
    using Fields = std::vector<std::string>;
    ASSERT_EQ(store.salesInvoices.size(), 3u);
    EXPECT_EQ(fields(store.salesInvoices[0]),
              (Fields{"2024-03-05", "S-1", "SF", "Pirkėjas UAB", "ND", "LT100002", "100002", "LT",
                      "200.00", "42.00", "PVM1", "21"}));
    EXPECT_EQ(fields(store.salesInvoices[1]),
              (Fields{"2024-03-06", "S-2", "VS", "Ona", "38001010000", "ND", "38001010000", "LV",
                      "50.00", "", "PVM3", "0"}));
    EXPECT_EQ(store.salesInvoices[2],
              "2024-03-07|||S-3|||SF|||ND|||ND|||ND|||1||||||5.00||||||PVM9|||");
    ASSERT_EQ(store.salesMultiRateInvoices.size(), 1u);
    EXPECT_EQ(fields(store.salesMultiRateInvoices[0]),
              (Fields{"2024-03-08", "S-4", "SF", "GmbH", "ND", "DE123", "123", "DE", "10.00",
                      "3.46", "PVM1", "20.00", "", "PVM2"}));
    EXPECT_EQ(store.customers.size(), 4u);
    EXPECT_TRUE(store.suppliers.empty());
    EXPECT_TRUE(store.purchaseInvoices.empty());
}

TEST_F(SalesReader, MessagesInTheirOrder) {
    const std::string longName(257, 'n');
    row("Isr21", 5, {kInPeriod, "", "zz", "", longName, "", "LTU", "abc", "x", "PVM9999"});
    row("Isr21", 6, {kInPeriod, "1", "", "", "", "ND", "", "1"});
    row("Isr21", 7, {kInPeriod, "1", "", "LT\"1", "", "", "", "1"});
    row("Isr21", 8, {kInPeriod, "1", "", "", "", "", "", ""});
    row("Isr0", 5, {kInPeriod, "1", "", "", "", "", "", "50", ""});
    row("Isr0", 6, {"", "1", "", "", "", "", "", "50", "PVM5"});
    row("IsrKom", 5, {kInPeriod, "1"});
    row("IsrKom", 6, {kInPeriod, "1", "", "", "", "", "", "10", "", "", "5", "", ""});
    row("IsrKom", 7, {kInPeriod, "1", "", "", "", "", "", "0"});
    read({7, 10, 12});
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Isr21 lapas -> H5  vietoje apmok. vertės klaida",
                             "Isr21 lapas -> I5  vietoje PVM sumos klaida",
                             "Isr21 lapas -> J5  vietoje PVM kodo klaida",
                             "Isr21 lapas -> B5  vietoje serijos numerio klaida",
                             "Isr21 lapas -> E5  vietoje pavadinimo klaida",
                             "Isr21 lapas -> G5  vietoje šalies kodo klaida",
                             "Isr21 lapas -> F6  vietoje įmonės (asmens) kodo klaida",
                             "Isr21 lapas -> D7  vietoje PVM kodo klaida",
                             "Isr21 lapas -> H8  vietoje apmok. vertės klaida",
                             "Isr0 lapas -> I5  vietoje PVM kodo klaida",
                             "Isr0 lapas -> A6  vietoje datos klaida",
                             "IsrKom lapas -> H5  vietoje apmok. vertės klaida",
                             "IsrKom lapas -> J6  vietoje PVM kodo klaida",
                             "IsrKom lapas -> M6  vietoje PVM kodo klaida",
                             "IsrKom lapas -> J7  vietoje PVM kodo klaida",
                         }));
    // A sales row is in the period by its invoice date alone: row 6 of Isr0 is not stored.
    EXPECT_EQ(store.salesInvoices.size(), 5u);
}

TEST_F(SalesReader, AutomaticNumbersContinueFromThePurchaseSheets) {
    row("Gau21", 5, {kInPeriod, "1", "", "", "", "Be kodų", "", "", "10"});
    row("Gau21", 6, {kInPeriod, "2", "", "", "", "Be kodų", "", "", "10"});
    row("Gau21", 7, {"2024-04-01", "3", "", "2024-04-01", "", "Vėliau", "", "", "10"});
    row("Isr21", 5, {kInPeriod, "1", "", "ND", "Pirkėjas", "", "", "10"});
    row("Isr21", 6, {kInPeriod, "2", "", "LTABC", "Kitas", "", "", "10"});
    read({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    EXPECT_FALSE(errors.hasEntries()) << errors.text();
    EXPECT_EQ(store.suppliers.records(),
              (std::vector<std::string>{"Be kodų|||ND|||ND|||1|||", "Be kodų|||ND|||ND|||2|||"}));
    EXPECT_EQ(store.customers.records(), (std::vector<std::string>{"Kitas|||ND|||LTABC|||4|||LT",
                                                                   "Pirkėjas|||ND|||ND|||3|||"}));
    EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), "4");
}

// A real workbook, its date and number cells read under two regional settings, one of them
// month-first: the same rows come out.
TEST_F(SalesReader, ReadsARealWorkbookAlikeUnderDifferentRegionalSettings) {
    const std::string path = dir.file("saskaitos.xlsx");
    WorkbookBuilder builder(path);
    for (const auto name : kSheetNames) {
        builder.sheet(std::string(name));
        if (name == "Gau21") {
            builder.date(5, 1, 2024, 11, 12)
                .text(5, 2, "SF-1")
                .date(5, 4, 2024, 11, 5, "d.m.yyyy")
                .text(5, 5, "LT100001")
                .text(5, 6, "UAB Šviesa")
                .number(5, 9, 1234.565)
                .number(5, 10, 0.1 + 0.2, "0.00")
                .number(5, 11, 1);
        } else if (name == "Isr21") {
            builder
                .number(5, 1, static_cast<double>(Date{2024, 11, 30}.serial()) + 0.75,
                        "yyyy-mm-dd hh:mm")
                .text(5, 2, "S-1")
                .text(5, 4, "LT100002")
                .text(5, 5, "Pirkėjas")
                .number(5, 8, 200)
                .number(5, 9, 42);
        }
    }
    builder.save();

    const RegionalSettings monthFirst{".", ",", "M/d/yyyy", "/"};

    inputs.period = {Date{2024, 11, 1}, Date{2024, 11, 30}};
    std::vector<std::vector<std::string>> results;
    for (const RegionalSettings& regional : {lithuanianSettings(), monthFirst}) {
        inputs.regional = regional;
        book = InvoiceBook{};
        const auto connection = openWorkbook(path);
        read(*connection, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        EXPECT_FALSE(errors.hasEntries()) << errors.text();
        ASSERT_EQ(store.purchaseInvoices.size(), 1u);
        ASSERT_EQ(store.salesInvoices.size(), 1u);
        results.push_back({store.purchaseInvoices[0], store.salesInvoices[0]});
    }
    EXPECT_EQ(results[0], (std::vector<std::string>{
                              "2024-11-12|||SF-1|||SF|||2024-11-05|||UAB Šviesa|||ND|||LT100001|||"
                              "100001|||LT|||1234.57|||0.30|||PVM1|||21",
                              "2024-11-30|||S-1|||SF|||Pirkėjas|||ND|||LT100002|||100002|||LT|||"
                              "200.00|||42.00|||PVM1|||21"}));
    EXPECT_EQ(results[1], results[0]);
}
