// kolvira-cli --check on the program's own files, on hand-broken copies of them and on files
// that are not i.SAF files at all: exit codes, the findings with their lines, the JSON form.
#include <nlohmann/json.hpp>

#include <functional>

#include "e2e/cli_runner.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"

namespace {

using Json = nlohmann::json;

std::string sourceFile(const std::string& relative) {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/" + relative;
}

size_t lineAt(const std::string& text, size_t position) {
    return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + position, '\n'));
}

// The text with the first `from` (after `after`, where given) replaced; its line as well.
struct Edit {
    std::string text;
    size_t line = 0;
};
Edit replaced(std::string text, const std::string& from, const std::string& to,
              const std::string& after = "") {
    const size_t start = after.empty() ? 0 : text.find(after);
    const size_t at = text.find(from, start == std::string::npos ? text.size() : start);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << from << " in the file";
        return {text, 0};
    }
    text.replace(at, from.size(), to);
    return {text, lineAt(text, at)};
}

class CheckTest : public ::testing::Test {
  protected:
    using Outcome = CliRunner::Outcome;

    // The example workbook through kolvira-cli: the program's own file and its summary.
    void SetUp() override {
        const Outcome run =
            cli.run({"--payer-code", "123456786", "--workplace", "PAVYZDYS", "--from", "2026-11-01",
                     "--to", "2026-11-30", "--locale", "lt_LT", "--summary",
                     sourceFile("examples/Kolvira_pavyzdys.xlsx")});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        ownFile = run.out.substr(0, run.out.find('\n'));
        ownSummary = run.out.substr(run.out.find("\n\n") + 2);
        ownXml = readFile(ownFile);
    }

    Outcome check(const std::string& path, bool json = false) {
        return json ? cli.run({"--check", "--format", "json", path}) : cli.run({"--check", path});
    }

    TempDir dir;
    CliRunner cli{dir};
    std::string ownFile;
    std::string ownSummary;
    std::string ownXml;
};

TEST_F(CheckTest, FilesTheProgramWritesCheckClean) {
    expectValidIsafFile(ownFile);
    const Outcome text = check(ownFile);
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.err, "Klaidų ir įspėjimų nerasta.\n");
    // The totals read back from the file are those of the run that wrote it.
    EXPECT_EQ(text.out, ownSummary);

    const Outcome json = check(ownFile, true);
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.err, "");
    const Json report = Json::parse(json.out);
    EXPECT_EQ(report["outcome"], "clean");
    EXPECT_EQ(report["file"], ownFile);
    EXPECT_TRUE(report["errors"].empty());
    EXPECT_TRUE(report["warnings"].empty());
    const Json& firstSale = report["summary"]["sales"][0];
    EXPECT_EQ(firstSale["tax_code"], "PVM1");
    EXPECT_EQ(firstSale["invoices"], 4);
    EXPECT_EQ(firstSale["taxable"], "4041.32");
    EXPECT_EQ(firstSale["vat"], "848.68");

    // The files the writer's tests expect, the creation time put back where one was taken out.
    for (const char* name : {"both_sides_escaping.xml", "example_cli.xml", "purchase_only.xml",
                             "sales_only_no_workplace.xml"}) {
        std::string xml = readFile(sourceFile(std::string("tests/data/golden/") + name));
        const std::string blank = "<FileDateCreated/>";
        if (const size_t at = xml.find(blank); at != std::string::npos) {
            xml.replace(at, blank.size(),
                        "<FileDateCreated>2026-12-01T09:00:00Z</FileDateCreated>");
        }
        writeFile(dir.file(name), xml);
        expectValidIsafFile(dir.file(name));
        const Outcome golden = check(dir.file(name));
        EXPECT_EQ(golden.exitCode, 0) << name << "\n" << golden.err;
    }
}

struct BrokenCopy {
    const char* name;
    std::function<Edit(const std::string&)> edit;
    const char* kind;  // as --format json names it
    std::vector<std::string> texts;
    const char* fileName = "Kolvira_123456786_202611_PAVYZDYS.xml";
};

class BrokenCopyTest : public CheckTest, public ::testing::WithParamInterface<BrokenCopy> {};

TEST_P(BrokenCopyTest, GivesItsFindingWithItsLine) {
    const BrokenCopy& broken = GetParam();
    const Edit edit = broken.edit(ownXml);
    const std::string path = dir.file(broken.fileName);
    writeFile(path, edit.text);

    const Outcome text = check(path);
    EXPECT_EQ(text.exitCode, 1) << text.err;
    for (const std::string& expected : broken.texts) {
        EXPECT_NE(text.err.find(expected), std::string::npos) << text.err;
    }
    EXPECT_NE(text.err.find("Rasta klaidų:"), std::string::npos) << text.err;
    EXPECT_NE(text.out.find("Iš viso"), std::string::npos) << "the summary still comes";

    const Json report = Json::parse(check(path, true).out);
    EXPECT_EQ(report["outcome"], "errors");
    bool found = false;
    for (const Json& error : report["errors"]) {
        found = found ||
                (error["kind"] == broken.kind && error["line"] == edit.line &&
                 error["text"].get<std::string>().find(broken.texts.front()) != std::string::npos);
    }
    EXPECT_TRUE(found) << "no " << broken.kind << " error at line " << edit.line << ":\n"
                       << report.dump(2);

    // libxml2's command-line validator agrees on what breaks the schema and what does not.
    const SchemaCheck xmllint = validateAgainstSchema(path);
    if (xmllint.schemaFound) {
        EXPECT_EQ(xmllint.valid, std::string(broken.kind) != "schema") << xmllint.output;
    }
}

// A line of the file whose element is gone altogether: the next element moves up to it.
Edit withoutLine(const std::string& xml, const std::string& element) {
    const size_t at = xml.find(element);
    const size_t start = xml.rfind('\n', at) + 1;
    std::string text = xml;
    text.erase(start, xml.find('\n', at) + 1 - start);
    return {text, lineAt(xml, at)};
}

INSTANTIATE_TEST_SUITE_P(
    Check, BrokenCopyTest,
    ::testing::Values(
        BrokenCopy{"RemovedElement",
                   [](const std::string& xml) { return withoutLine(xml, "<InvoiceDate>"); },
                   "schema",
                   {"Laukta elemento InvoiceDate, o rastas InvoiceType"}},
        BrokenCopy{"WrongTaxPercentage",
                   [](const std::string& xml) {
                       return replaced(xml, "<TaxPercentage>21</TaxPercentage>",
                                       "<TaxPercentage>9</TaxPercentage>", "<SalesInvoices>");
                   },
                   "logical",
                   {"PVM kodo PVM1 tarifas yra 21 %, o nurodytas 9 %", "Pardavimo sąskaita „"}},
        BrokenCopy{"SaleOutOfPeriod",
                   [](const std::string& xml) {
                       const size_t sales = xml.find("<SalesInvoices>");
                       const size_t date = xml.find("<InvoiceDate>", sales);
                       return replaced(xml, xml.substr(date, 23), "<InvoiceDate>2026-10-31",
                                       "<SalesInvoices>");
                   },
                   "logical",
                   {"sąskaitos data 2026-10-31 nepatenka į laikotarpį 2026-11-01–2026-11-30"}},
        BrokenCopy{"PurchaseRegisteredAfterThePeriod",
                   [](const std::string& xml) {
                       return replaced(xml, "<RegistrationAccountDate>2026-11-18",
                                       "<RegistrationAccountDate>2026-12-01");
                   },
                   "logical",
                   {"Pirkimo sąskaita „",
                    "įregistravimo data 2026-12-01 nepatenka į laikotarpį 2026-11-01–2026-11-30"}},
        BrokenCopy{"OneIdForTwoSuppliers",
                   [](const std::string& xml) {
                       const Edit edit = replaced(xml, "<SupplierID>38001010009</SupplierID>",
                                                  "<SupplierID>811234567</SupplierID>");
                       return Edit{edit.text, edit.line - 1};  // the line of its <Supplier>
                   },
                   "logical",
                   {"SupplierID „811234567“ naudojamas dviem skirtingiems pardavėjams"}},
        BrokenCopy{"OneSupplierUnderTwoIds",
                   [](const std::string& xml) {
                       const Edit edit =
                           replaced(xml, "<SupplierID>300456786</SupplierID>",
                                    "<SupplierID>999</SupplierID>", "<PurchaseInvoices>");
                       return Edit{edit.text, edit.line - 1};  // the line of its <SupplierInfo>
                   },
                   "logical",
                   {"nurodytas su dviem SupplierID: „300456786“ (eilutė ", ") ir „999“."}},
        BrokenCopy{"NameOf600Characters",
                   [](const std::string& xml) {
                       const size_t name = xml.find("<Name>", xml.find("<Suppliers>")) + 6;
                       const std::string old = xml.substr(name, xml.find("</Name>", name) - name);
                       return replaced(xml, old + "</Name>", std::string(600, 'x') + "</Name>",
                                       "<Suppliers>");
                   },
                   "schema",
                   {"Elemento Name reikšmė per ilga: jos ilgis 600, o leidžiama iki 256 simbolių"}},
        BrokenCopy{"FileNameAgainstHeader",
                   [](const std::string& xml) {
                       return Edit{xml, lineAt(xml, xml.find("<RegistrationNumber>"))};
                   },
                   "logical",
                   {"Rinkmenos pavadinime įmonės kodas 999999999, o antraštėje "
                    "(RegistrationNumber) – 123456786.",
                    "Rinkmenos pavadinime laikotarpis 202612, o antraštėje laikotarpis prasideda "
                    "2026-11-01 (SelectionStartDate).",
                    "Rinkmenos pavadinime dalis „KITA“, o antraštėje (PartNumber) – „PAVYZDYS“."},
                   "Kolvira_999999999_202612_KITA.xml"}),
    [](const auto& test) { return std::string(test.param.name); });

// The warnings of a run apply to any file's invoices: an invoice given twice and a VAT code
// with a wrong check digit are advice (exit 6, as --strict), never errors.
TEST_F(CheckTest, WarningsNameTheInvoicesOfTheFile) {
    std::string xml = ownXml;
    const size_t first = xml.find("<Invoice>", xml.find("<PurchaseInvoices>"));
    const size_t end = xml.find("</Invoice>", first) + std::string_view("</Invoice>").size();
    const size_t lineStart = xml.rfind('\n', first) + 1;
    xml.insert(end, "\n" + xml.substr(lineStart, end - lineStart));
    const std::string goodCode = "<VATRegistrationNumber>LT100006667711<";
    ASSERT_NE(xml.find(goodCode), std::string::npos);
    for (size_t at = xml.find(goodCode); at != std::string::npos; at = xml.find(goodCode, at)) {
        xml.replace(at, goodCode.size(), "<VATRegistrationNumber>LT100006667712<");
    }
    const std::string path = dir.file("Kolvira_123456786_202611_PAVYZDYS.xml");
    writeFile(path, xml);

    const Outcome text = check(path);
    EXPECT_EQ(text.exitCode, 6) << text.err;
    EXPECT_NE(text.err.find("Įspėjimai:\n"), std::string::npos) << text.err;
    EXPECT_NE(text.err.find("galimas dublikatas: tas pats tiekėjas ir numeris"), std::string::npos)
        << text.err;
    EXPECT_NE(text.err.find("LT100006667712"), std::string::npos) << text.err;
    EXPECT_EQ(text.err.find("Rasta klaidų:"), std::string::npos) << text.err;

    const Json report = Json::parse(check(path, true).out);
    EXPECT_EQ(report["outcome"], "warnings");
    EXPECT_TRUE(report["errors"].empty());
    EXPECT_GE(report["warnings"].size(), 2u);
}

TEST_F(CheckTest, FilesThatAreNotIsafFilesAreRefused) {
    const std::string laughs =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE iSAFFile [\n"
        "  <!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">\n"
        "  <!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        "  <!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        "  <!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
        "  <!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
        "  <!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n"
        "]>\n"
        "<iSAFFile xmlns=\"http://www.vmi.lt/cms/imas/isaf\">&f;&f;&f;&f;&f;&f;&f;</iSAFFile>\n";
    const size_t root = ownXml.find("<iSAFFile");
    std::string deep = ownXml;
    for (int i = 0; i < 70; ++i) {
        deep.insert(deep.find("<MasterFiles>"), "<Extra>");
    }
    struct Refused {
        std::string name;
        std::string bytes;
        std::string text;
    };
    const std::vector<Refused> files = {
        {"workbook.xml", readFile(sourceFile("examples/Kolvira_pavyzdys.xlsx")),
         "Eilutė 1: Netaisyklingas XML: "},
        {"laughs.xml", laughs,
         "Eilutė 2: Rinkmenoje yra dokumento tipo aprašas (DOCTYPE); i.SAF rinkmenoje jo būti "
         "negali, todėl rinkmena netikrinama."},
        {"external.xml",
         ownXml.substr(0, root) + "<!DOCTYPE iSAFFile SYSTEM \"file:///etc/passwd\">\n" +
             ownXml.substr(root),
         "Eilutė 2: Rinkmenoje yra dokumento tipo aprašas (DOCTYPE)"},
        {"deep.xml", deep, "Elementai įdėti per giliai (daugiau nei 64 lygiai)"},
        {"truncated.xml", ownXml.substr(0, ownXml.size() / 2), ": Netaisyklingas XML: "},
        {"empty.xml", "", "Rinkmena tuščia."},
        {"long-text.xml", replaced(ownXml, "<Name>", "<Name>" + std::string(2 << 20, 'x')).text,
         "Elemento Name tekstas ilgesnis nei 1 MiB; tai ne i.SAF rinkmena."},
        {"other.xml", "<?xml version=\"1.0\"?>\n<Invoices kind=\"all\"><Invoice/></Invoices>\n",
         "Eilutė 2: Tai ne i.SAF rinkmena: šakninis elementas yra Invoices, o turi būti "
         "iSAFFile."},
    };
    for (const Refused& file : files) {
        writeFile(dir.file(file.name), file.bytes);
        const Outcome text = check(dir.file(file.name));
        EXPECT_EQ(text.exitCode, 3) << file.name << "\n" << text.err;
        EXPECT_NE(text.err.find(file.text), std::string::npos) << file.name << "\n" << text.err;
        EXPECT_NE(text.err.find("Rinkmena netikrinta: tai ne i.SAF 1.2 rinkmena arba ne XML.\n"),
                  std::string::npos)
            << text.err;
        EXPECT_EQ(text.out, "") << file.name;
    }
    const Json report = Json::parse(check(dir.file("laughs.xml"), true).out);
    EXPECT_EQ(report["outcome"], "not_isaf");
    EXPECT_EQ(report["errors"][0]["kind"], "not_isaf");
    EXPECT_EQ(report["errors"][0]["line"], 2);
    EXPECT_TRUE(report["summary"].is_null());

    // Not a file to check at all: the usage errors and a missing file.
    const Outcome missing = check(dir.file("none.xml"));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "Dokumentas nerastas: " + dir.file("none.xml") + "\n");
    EXPECT_EQ(cli.run({"--check"}).exitCode, 2);
    EXPECT_EQ(cli.run({"--check", "--payer-code", "1", ownFile}).exitCode, 2);
    EXPECT_EQ(cli.run({"--check", "--format", "xml", ownFile}).exitCode, 2);
    EXPECT_EQ(cli.run({"--format", "json", ownFile}).exitCode, 2);
}

}  // namespace
