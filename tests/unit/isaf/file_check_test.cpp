// The i.SAF file check on files written here: the schema it carries, exact amounts, and exact
// lines far into a long file.
#include <gtest/gtest.h>

#include <filesystem>

#include "isaf/file_check.h"
#include "isaf/isaf_schema.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"

namespace {

constexpr Date kToday{2024, 2, 10};

TEST(FileCheck, CarriesThePublishedSchema) {
    const char* sourceDir = std::getenv("KOLVIRA_SOURCE_DIR");
    ASSERT_NE(sourceDir, nullptr);
    const std::string source = sourceDir;
    const std::string published = source + "/../shared/isaf/isaf_1.2.xsd";
    const std::string copy = readFile(source + "/data/isaf_1.2.xsd");
    EXPECT_EQ(isafSchemaText(), copy) << "the program carries data/isaf_1.2.xsd as it is";
    if (!std::filesystem::is_regular_file(published)) {
        GTEST_SKIP() << "the published schema is not at " << published;
    }
    EXPECT_EQ(copy, readFile(published)) << "data/isaf_1.2.xsd differs from the published one";
}

// A purchase invoice of the period 2024-01 from supplier 1, with its tax lines.
std::string invoice(const std::string& number, const std::string& registered,
                    const std::string& totals) {
    return "<Invoice>\n<InvoiceNo>" + number +
           "</InvoiceNo>\n<SupplierInfo>\n<SupplierID>1</SupplierID>\n"
           "<VATRegistrationNumber>LT100001217</VATRegistrationNumber>\n"
           "<RegistrationNumber>ND</RegistrationNumber>\n<Country>LT</Country>\n"
           "<Name>UAB Alfa</Name>\n</SupplierInfo>\n<InvoiceDate>2024-01-05</InvoiceDate>\n"
           "<InvoiceType>SF</InvoiceType>\n<SpecialTaxation/>\n<References/>\n"
           "<VATPointDate>2024-01-05</VATPointDate>\n<RegistrationAccountDate>" +
           registered + "</RegistrationAccountDate>\n<DocumentTotals>\n" + totals +
           "</DocumentTotals>\n</Invoice>\n";
}

std::string total(const std::string& value, const std::string& code, const std::string& percentage,
                  const std::string& amount) {
    const auto nilOr = [](const std::string& name, const std::string& text) {
        return text.empty() ? "<" + name + " xsi:nil=\"true\"/>\n"
                            : "<" + name + ">" + text + "</" + name + ">\n";
    };
    return "<DocumentTotal>\n<TaxableValue>" + value + "</TaxableValue>\n<TaxCode>" + code +
           "</TaxCode>\n" + nilOr("TaxPercentage", percentage) + nilOr("Amount", amount) +
           "</DocumentTotal>\n";
}

std::string isafFile(const std::string& invoices) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<iSAFFile xmlns=\"http://www.vmi.lt/cms/imas/isaf\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
           "<Header>\n<FileDescription>\n<FileVersion>iSAF1.2</FileVersion>\n"
           "<FileDateCreated>2024-02-01T10:00:00Z</FileDateCreated>\n<DataType>F</DataType>\n"
           "<SoftwareCompanyName>Kita</SoftwareCompanyName>\n<SoftwareName>Kita</SoftwareName>\n"
           "<SoftwareVersion>1</SoftwareVersion>\n<RegistrationNumber>123456786"
           "</RegistrationNumber>\n<NumberOfParts>1</NumberOfParts>\n<PartNumber>1</PartNumber>\n"
           "<SelectionCriteria>\n<SelectionStartDate>2024-01-01</SelectionStartDate>\n"
           "<SelectionEndDate>2024-01-31</SelectionEndDate>\n</SelectionCriteria>\n"
           "</FileDescription>\n</Header>\n<SourceDocuments>\n<PurchaseInvoices>\n" +
           invoices + "</PurchaseInvoices>\n</SourceDocuments>\n</iSAFFile>\n";
}

size_t lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(FileCheck, AddsAmountsExactlyAndNamesLinesFarIntoTheFile) {
    // Decimals in every form the schema allows, one invoice with two lines of one code (it
    // counts once), and enough invoices to run past line 65 535.
    std::string invoices =
        invoice("A-1", "2024-01-31",
                total(" +1.5 ", "PVM1", "21", ".32") + total("7.", "PVM1", "21.00", "1.47")) +
        invoice("A-2", "2024-01-01", total("-0.10", "PVM2", "9", "-0.01")) +
        invoice("A-3", "2024-01-15", total("1234567890123456.78", "PVM5", "", "")) +
        invoice("A-4", "2024-01-15", total("0.05", "PVM100", "0", "0"));
    for (int i = 0; i < 3000; ++i) {
        invoices +=
            invoice("B-" + std::to_string(i), "2024-01-20", total("1.00", "PVM1", "21", ""));
    }
    TempDir dir;
    const std::string clean = dir.file("clean.xml");
    writeFile(clean, isafFile(invoices));
    expectValidIsafFile(clean);
    const FileCheckResult checked = checkIsafFile(clean, kToday);
    EXPECT_EQ(checked.outcome, CheckOutcome::Clean) << checkReportLines(checked).front();
    EXPECT_TRUE(checked.findings.empty());
    const auto& purchases = checked.summary.purchases;
    ASSERT_EQ(purchases.size(), 4u);
    EXPECT_EQ(purchases.at("PVM1").invoices, 3001);
    EXPECT_EQ(purchases.at("PVM1").taxableCents, 150 + 700 + 300000);
    EXPECT_EQ(purchases.at("PVM1").vatCents, 32 + 147);
    EXPECT_EQ(purchases.at("PVM2").taxableCents, -10);
    EXPECT_EQ(purchases.at("PVM2").vatCents, -1);
    EXPECT_EQ(purchases.at("PVM5").taxableCents, 123456789012345678LL);
    EXPECT_EQ(purchases.at("PVM100").taxableCents, 5);
    EXPECT_TRUE(checked.summary.sales.empty());

    // The same file with a last invoice that breaks the schema, its code's rate and the period,
    // and whose VAT amount is not its code's rate (a warning).
    const std::string before = isafFile(invoices);
    const size_t lastInvoice = lines(before.substr(0, before.find("</PurchaseInvoices>"))) + 1;
    invoices += invoice("", "2024-02-01", total("5.00", "PVM2", "21", "1.05"));
    const std::string broken = dir.file("broken.xml");
    writeFile(broken, isafFile(invoices));
    const FileCheckResult found = checkIsafFile(broken, kToday);
    ASSERT_GT(lastInvoice, 70000u);
    EXPECT_EQ(found.outcome, CheckOutcome::Errors);
    ASSERT_EQ(found.findings.size(), 4u) << checkReportLines(found).front();
    EXPECT_EQ(found.findings[0].kind, FindingKind::Schema);
    EXPECT_EQ(found.findings[0].line, static_cast<long>(lastInvoice + 1));
    EXPECT_EQ(found.findings[0].text, "Elementas InvoiceNo negali būti tuščias.");
    EXPECT_EQ(found.findings[1].kind, FindingKind::Logical);
    EXPECT_EQ(found.findings[1].line, static_cast<long>(lastInvoice + 19));
    EXPECT_EQ(found.findings[1].text,
              "Pirkimo sąskaita „“: PVM kodo PVM2 tarifas yra 9 %, o nurodytas 21 %.");
    EXPECT_EQ(found.findings[2].line, static_cast<long>(lastInvoice + 14));
    EXPECT_EQ(found.findings[2].text,
              "Pirkimo sąskaita „“: įregistravimo data 2024-02-01 nepatenka į laikotarpį "
              "2024-01-01–2024-01-31.");
    EXPECT_EQ(found.findings[3].kind, FindingKind::Warning);
    EXPECT_EQ(found.findings[3].line, static_cast<long>(lastInvoice));
    EXPECT_EQ(found.findings[3].element, "Amount");
    EXPECT_EQ(found.findings[3].text,
              "Pirkimo sąskaita „“: PVM suma 1,05 €, o 9 % nuo 5,00 € yra 0,45 €.");
    const std::vector<std::string> report = checkReportLines(found);
    EXPECT_EQ(report.front(), "Schemos klaidos:");
    EXPECT_EQ(report[1], "  Eilutė " + std::to_string(lastInvoice + 1) +
                             ": Elementas InvoiceNo negali būti tuščias.");
    EXPECT_EQ(report[2], "Loginės klaidos:");
    EXPECT_TRUE(report[3].starts_with("  Eilutė " + std::to_string(lastInvoice + 14) + ": "))
        << report[3];
    EXPECT_EQ(report.back(), "Rasta klaidų: 3, įspėjimų: 1.");
}

}  // namespace
