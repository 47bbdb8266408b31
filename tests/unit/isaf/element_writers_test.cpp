#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "invoices/conversions.h"
#include "isaf/invoice_elements.h"
#include "isaf/isaf_document.h"
#include "isaf/master_files.h"
#include "support/fake_run_host.h"

// The element writers' full layout is pinned by the golden files; these are the rules that a
// golden file, which the schema must accept, cannot show.

namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\n";
    }
    return text;
}

Money money(std::string_view text) {
    return readRoundedAmount(text, lithuanianSettings()).value();
}

}  // namespace

TEST(TaxPercentageForCode, WholeTable) {
    const std::vector<int> nine{2, 7, 17, 26, 30, 44};
    const std::vector<int> five{3, 8, 18, 27, 31, 37, 40, 45};
    const std::vector<int> zero{12, 13, 14, 28, 33, 35, 38, 41, 46};
    const std::vector<int> none{5, 15, 19, 29, 34, 36, 39, 42, 47, 48, 100};
    const auto in = [](const std::vector<int>& codes, int n) {
        return std::find(codes.begin(), codes.end(), n) != codes.end();
    };
    for (int n = -3; n <= 130; ++n) {
        const std::string expected = in(nine, n)   ? "9"
                                     : in(five, n) ? "5"
                                     : in(zero, n) ? "0"
                                     : in(none, n) ? ""
                                                   : "21";
        EXPECT_EQ(TaxPercentageForCode(std::to_string(n)), expected) << n;
    }
    EXPECT_EQ(TaxPercentageForCode("05"), "");
    EXPECT_EQ(TaxPercentageForCode("+2"), "9");
    for (const char* notWhole : {"", "2a", "2.0", " 2", "x", "99999999999999999999"}) {
        EXPECT_EQ(TaxPercentageForCode(notWhole), "21") << notWhole;
    }
}

TEST(ExportDocumentTotal, TrimsTheCodeAndWritesNothingWithoutOne) {
    FakeRunHost host;
    IsafDocument document(host);
    const Date date{2024, 1, 31};
    ExportDocumentTotal(document, TaxLine{money("1,00"), money("0,21"), ""}, date);
    ExportDocumentTotal(document, TaxLine{money("1,00"), money("0,21"), " \t"}, std::nullopt);
    EXPECT_TRUE(document.lines().empty());

    // Three characters or fewer leave no number: the percentage is 21.
    ExportDocumentTotal(document, TaxLine{money("-1234,50"), std::nullopt, " PVM\t"}, date);
    EXPECT_EQ(joined(document.lines()),
              "  \t\t\t\t<DocumentTotal>\n"
              "  \t\t\t\t\t<TaxableValue>-1234.50</TaxableValue>\n"
              "  \t\t\t\t\t<TaxCode>PVM</TaxCode>\n"
              "  \t\t\t\t\t<TaxPercentage>21</TaxPercentage>\n"
              "  \t\t\t\t\t<Amount xsi:nil=\"true\"/>\n"
              "  \t\t\t\t\t<VATPointDate2>2024-01-31</VATPointDate2>\n"
              "  \t\t\t\t</DocumentTotal>\n");
}

// A hand-made book (the readers never store such invoices): what the writer still decides.
TEST(ElementWriters, SingleRateLinesAlwaysWrittenMultiRateOnlyWithACode) {
    Ledger purchases;
    purchases.counterparts.add(Counterpart{"Alfa", "", "LT123456789", "123456789", "LT"});
    Invoice single;
    single.date = Date{2024, 1, 20};
    single.registrationDate = Date{2024, 1, 21};
    single.number = "SF-1";
    single.type = "SF";
    single.lines = {TaxLine{money("10,00"), money("2,10"), ""}};  // no code, no sheet rate
    Invoice multi = single;
    multi.number = "K-1";
    multi.multiRate = true;
    multi.lines.clear();  // no coded line at all
    purchases.invoices = {multi, single};
    FakeRunHost host;
    IsafDocument document(host);
    ExportPurchaseInvoices(document, purchases);
    const std::string text = joined(document.lines());
    // Single-rate invoices come first, whatever the order of reading.
    EXPECT_LT(text.find("<InvoiceNo>SF-1</InvoiceNo>"), text.find("<InvoiceNo>K-1</InvoiceNo>"));
    EXPECT_NE(text.find("<RegistrationNumber>ND</RegistrationNumber>\n"
                        "  \t\t\t\t<Country>LT</Country>\n"
                        "  \t\t\t\t<Name>Alfa</Name>"),
              std::string::npos);
    EXPECT_NE(text.find("<TaxableValue>10.00</TaxableValue>\n"
                        "  \t\t\t\t\t<TaxCode xsi:nil=\"true\"/>\n"
                        "  \t\t\t\t\t<TaxPercentage xsi:nil=\"true\"/>\n"
                        "  \t\t\t\t\t<Amount>2.10</Amount>"),
              std::string::npos);
    // Five empty codes leave DocumentTotals empty (a file the schema refuses; the readers
    // report such a row).
    EXPECT_NE(text.find("<InvoiceNo>K-1</InvoiceNo>"), std::string::npos);
    EXPECT_NE(text.find("<DocumentTotals>\n  \t\t\t</DocumentTotals>\n  \t\t</Invoice>\n"),
              std::string::npos);
    EXPECT_EQ(host.statuses,
              (std::vector<std::string>{"Eksportuojame 1 įrašą", "Eksportuojame 1 įrašą"}));
}
