#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "invoices/row_store.h"
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

std::vector<std::string> purchaseRecord(const std::vector<std::string>& tax) {
    std::vector<std::string> fields{"2024-01-20", "SF-1",        "SF",        "2024-01-21", "Alfa",
                                    "123456789",  "LT123456789", "123456789", "LT"};
    fields.insert(fields.end(), tax.begin(), tax.end());
    return fields;
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
    ExportDocumentTotal(document, "1,00", "0,21", "", "2024-01-31");
    ExportDocumentTotal(document, "1,00", "0,21", " \t", "");
    EXPECT_TRUE(document.lines().empty());

    // Three characters or fewer leave no number: the percentage is 21.
    ExportDocumentTotal(document, "-1234,50", "", " PVM\t", "2024-01-31");
    EXPECT_EQ(joined(document.lines()),
              "  \t\t\t\t<DocumentTotal>\n"
              "  \t\t\t\t\t<TaxableValue>-1234.50</TaxableValue>\n"
              "  \t\t\t\t\t<TaxCode>PVM</TaxCode>\n"
              "  \t\t\t\t\t<TaxPercentage>21</TaxPercentage>\n"
              "  \t\t\t\t\t<Amount xsi:nil=\"true\"/>\n"
              "  \t\t\t\t\t<VATPointDate2>2024-01-31</VATPointDate2>\n"
              "  \t\t\t\t</DocumentTotal>\n");
}

TEST(RowRecord, SplitsOnlyAtTheSeparator) {
    const RowRecord record("a|||b\r\nc|||d\n|||");
    EXPECT_EQ(record.field(0), "a");
    EXPECT_EQ(record.field(1), "b\r\nc");
    EXPECT_EQ(record.field(2), "d\n");
    EXPECT_EQ(record.field(3), "");
    EXPECT_EQ(record.field(3, "PVM1"), "");
    EXPECT_EQ(record.field(4, "PVM1"), "PVM1");
    EXPECT_THROW(record.field(4), std::runtime_error);
    EXPECT_EQ(RowRecord("||||x").field(1), "|x");
}

TEST(ElementWriters, FieldsKeepTheirPlacesAndOnlyDefaultedOnesMayBeMissing) {
    FakeRunHost host;
    IsafDocument document(host);
    // A line break inside the invoice number stays there; the record lacks code and rate.
    auto broken = purchaseRecord({"10,00", "2,10"});
    broken[1] = "SF\n1";
    ExportPurchaseInvoices(document, {joinRecord(broken)});
    const std::string text = joined(document.lines());
    EXPECT_NE(text.find("<InvoiceNo>SF\n1</InvoiceNo>\n  \t\t\t<SupplierInfo>\n"
                        "  \t\t\t\t<SupplierID>123456789</SupplierID>"),
              std::string::npos);
    EXPECT_NE(text.find("<TaxCode>PVM1</TaxCode>\n"
                        "  \t\t\t\t\t<TaxPercentage xsi:nil=\"true\"/>"),
              std::string::npos);

    // Fields 0 to 8 are required: a record without its country field is malformed.
    auto shortRecord = purchaseRecord({});
    EXPECT_NO_THROW(ExportPurchaseInvoices(document, {joinRecord(shortRecord)}));
    shortRecord.pop_back();
    EXPECT_THROW(ExportPurchaseInvoices(document, {joinRecord(shortRecord)}), std::runtime_error);
    // Only the fifth tax code of a multi-rate record may be missing. Five empty codes leave
    // DocumentTotals empty (a file the schema refuses; the readers never store such a row).
    auto multi = purchaseRecord(
        {"0,00", "", "", "0,00", "", "", "0,00", "", "", "0,00", "", "", "0,00", ""});
    IsafDocument multiDocument(host);
    ExportPurchaseMultiRateInvoices(multiDocument, {joinRecord(multi)});
    EXPECT_NE(joined(multiDocument.lines())
                  .find("<DocumentTotals>\n  \t\t\t</DocumentTotals>\n  \t\t</Invoice>\n"),
              std::string::npos);
    multi.pop_back();
    EXPECT_THROW(ExportPurchaseMultiRateInvoices(document, {joinRecord(multi)}),
                 std::runtime_error);

    CounterpartList counterparts;
    counterparts.add("Name|||1|||LT1");
    EXPECT_THROW(ExportCustomers(document, counterparts), std::runtime_error);
}
