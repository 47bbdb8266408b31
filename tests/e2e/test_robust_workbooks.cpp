// Bad workbooks as users hand them over: each run ends with the run's one message or with the
// list of badly filled cells, and no file reaches "rinkmenos". The workbooks are made here;
// fuzz/README.md has the table of what the user sees for each.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/cli_runner.h"
#include "invoices/sheet_table.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"
#include "support/xlsx_zip.h"

namespace {

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRelationships =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const kPackageRelationships =
    "http://schemas.openxmlformats.org/package/2006/relationships";
const std::vector<std::string> kSheets(kSheetNames.begin(), kSheetNames.end());

// A purchase row that the readers accept, in the period below; cell I (taxable value) and
// cell A (date) are left to the caller.
std::string purchaseRow(int row, const std::string& dateCell, const std::string& valueCell) {
    const std::string r = std::to_string(row);
    auto text = [&](const char* column, const std::string& value) {
        return "<c r=\"" + std::string(column) + r + "\" t=\"inlineStr\"><is><t>" + value +
               "</t></is></c>";
    };
    return "<row r=\"" + r + "\">" + dateCell + text("B", "SF-" + r) + text("C", "SF") +
           text("E", "LT100000001") + text("F", "UAB Medis") + text("G", "100000001") +
           text("H", "LT") + valueCell + text("K", "PVM1") + "</row>";
}

std::string dateSerial(int row, const std::string& serial) {
    return "<c r=\"A" + std::to_string(row) + "\" s=\"1\"><v>" + serial + "</v></c>";
}

std::string value(int row, const std::string& number) {
    return "<c r=\"I" + std::to_string(row) + "\"><v>" + number + "</v></c>";
}

// A package with the twelve sheets; `sheets` gives the XML of some, the others are empty.
XlsxPartMap twelveSheets(const std::map<std::string, std::string>& sheets,
                         const std::string& leaveOut = "") {
    XlsxPartMap parts = minimalXlsx(worksheetXml(""));
    parts.erase("xl/worksheets/sheet1.xml");
    std::string list;
    std::string relationships = std::string("<Relationships xmlns=\"") + kPackageRelationships +
                                "\"><Relationship Id=\"rId2\" Type=\"" + kRelationships +
                                "/styles\" Target=\"styles.xml\"/><Relationship Id=\"rId3\" "
                                "Type=\"" +
                                kRelationships + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    for (size_t i = 0; i < kSheets.size(); ++i) {
        if (kSheets[i] == leaveOut) {
            continue;
        }
        const std::string id = "rId" + std::to_string(10 + i);
        const std::string part = "worksheets/s" + std::to_string(i + 1) + ".xml";
        list += "<sheet name=\"" + kSheets[i] + "\" sheetId=\"" + std::to_string(i + 1) +
                "\" r:id=\"" + id + "\"/>";
        relationships += "<Relationship Id=\"" + id + "\" Type=\"" + kRelationships +
                         "/worksheet\" Target=\"" + part + "\"/>";
        const auto given = sheets.find(kSheets[i]);
        parts["xl/" + part] = given != sheets.end() ? given->second : worksheetXml("");
    }
    parts["xl/workbook.xml"] = std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" +
                               kRelationships + "\"><sheets>" + list + "</sheets></workbook>";
    parts["xl/_rels/workbook.xml.rels"] = relationships + "</Relationships>";
    return parts;
}

class RobustWorkbooks : public ::testing::Test {
  protected:
    CliRunner::Outcome run(const std::string& book) {
        return cli.run({"--payer-code", "123456786", "--workplace", "A1", "--from", "2024-01-01",
                        "--to", "2024-01-31", "--locale", "lt_LT", book});
    }

    std::string package(const std::string& name, const XlsxPartMap& parts) {
        writeZip(dir.file(name), parts);
        return dir.file(name);
    }

    // The run stops at the one message, and nothing is written.
    void expectUnreadable(const std::string& book) {
        const std::string name = std::filesystem::path(book).filename().string();
        const CliRunner::Outcome outcome = run(book);
        EXPECT_EQ(outcome.exitCode, 3) << name << ": " << outcome.err;
        EXPECT_EQ(outcome.err, "Blogai užpildytas failas " + name + "\n");
        EXPECT_EQ(outcome.out, "");
        expectNoOutput();
    }

    void expectNoOutput() {
        EXPECT_TRUE(!std::filesystem::exists(dir.file("rinkmenos")) ||
                    std::filesystem::is_empty(dir.file("rinkmenos")));
    }

    TempDir dir;
    CliRunner cli{dir};
};

TEST_F(RobustWorkbooks, HostilePackagesEndWithTheRunsMessage) {
    // Inflates about 1000:1; stopped while inflating.
    std::string bomb = worksheetXml(purchaseRow(5, dateSerial(5, "45306"), value(5, "100")));
    bomb.insert(bomb.find("<sheetData>"), std::string(24u << 20, ' '));
    expectUnreadable(package("bomba.xlsx", twelveSheets({{"Gau21", bomb}})));
    bomb.clear();

    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
        "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
        "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
        "<!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">]>"
        "<worksheet xmlns=\"" +
        std::string(kMain) +
        "\"><sheetData><row r=\"5\"><c t=\"inlineStr\"><is><t>&lol4;</t></is></c></row>"
        "</sheetData></worksheet>";
    expectUnreadable(package("juokai.xlsx", twelveSheets({{"Isr21", laughs}})));

    // An external entity: the file must not be read into a cell.
    XlsxPartMap external = twelveSheets({});
    external["xl/sharedStrings.xml"] =
        "<!DOCTYPE sst [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><sst xmlns=\"" +
        std::string(kMain) + "\"><si><t>&x;</t></si></sst>";
    expectUnreadable(package("doctype.xlsx", external));

    // One shared string of 10 MB, used in a name cell.
    XlsxPartMap longString = twelveSheets(
        {{"Gau21", worksheetXml("<row r=\"5\"><c r=\"F5\" t=\"s\"><v>0</v></c></row>")}});
    longString["xl/sharedStrings.xml"] = "<sst xmlns=\"" + std::string(kMain) + "\"><si><t>" +
                                         std::string(10u << 20, 'x') + "</t></si></sst>";
    expectUnreadable(package("ilgas.xlsx", longString));
}

TEST_F(RobustWorkbooks, BrokenAndMislabelledFilesEndWithTheRunsMessage) {
    const std::string good = package(
        "gera.xlsx",
        twelveSheets(
            {{"Gau21", worksheetXml(purchaseRow(5, dateSerial(5, "45306"), value(5, "100")))}}));
    const std::string whole = readFile(good);
    writeFile(dir.file("nukirsta.xlsx"), whole.substr(0, whole.size() * 2 / 3));
    expectUnreadable(dir.file("nukirsta.xlsx"));

    expectUnreadable(package("be_lapo.xlsx", twelveSheets({}, "Isr-")));

    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    const std::string data = std::string(source != nullptr ? source : ".") + "/tests/data/";
    std::filesystem::copy_file(data + "workbooks/encrypted.xlsx", dir.file("slaptazodis.xlsx"));
    expectUnreadable(dir.file("slaptazodis.xlsx"));

    // A formula's error value in a read cell has no text form.
    expectUnreadable(package(
        "formule.xlsx",
        twelveSheets({{"Gau21", worksheetXml(purchaseRow(
                                    5, dateSerial(5, "45306"),
                                    "<c r=\"I5\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"))}})));
}

TEST_F(RobustWorkbooks, RenamedWorkbooksAreReadByWhatTheyHold) {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    const std::string data = std::string(source != nullptr ? source : ".") + "/tests/data/";
    std::filesystem::copy_file(data + "workbooks/twelve_sheets.xls", dir.file("pervadinta.xlsx"));
    CliRunner::Outcome outcome = run(dir.file("pervadinta.xlsx"));
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    expectValidIsafFile(dir.file("rinkmenos/Kolvira_123456786_202401_A1.xml"));
    const std::string fromXls = readFile(dir.file("rinkmenos/Kolvira_123456786_202401_A1.xml"));
    EXPECT_NE(fromXls.find("<InvoiceNo>SF-5</InvoiceNo>"), std::string::npos);

    {
        WorkbookBuilder book(dir.file("pervadinta.xls"));
        for (const auto& name : kSheets) {
            book.sheet(name);
            if (name == "Gau21") {
                book.date(5, 1, 2024, 1, 15).text(5, 2, "SF-6").text(5, 3, "SF");
                book.text(5, 5, "LT100000001").text(5, 6, "UAB Medis").text(5, 7, "100000001");
                book.text(5, 8, "LT").number(5, 9, 100).text(5, 11, "PVM1");
            }
        }
        book.save();
    }
    outcome = run(dir.file("pervadinta.xls"));
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const std::string fromXlsx = readFile(dir.file("rinkmenos/Kolvira_123456786_202401_A1.xml"));
    EXPECT_NE(fromXlsx.find("<InvoiceNo>SF-6</InvoiceNo>"), std::string::npos);
    expectValidIsafFile(dir.file("rinkmenos/Kolvira_123456786_202401_A1.xml"));
}

TEST_F(RobustWorkbooks, AMillionRowSheetIsReadOnlyAsFarAsTheLayoutGoes) {
    // Every row of the grid styled, data only in the last: the readers stop after three empty
    // rows, so the data is never reached and the run finds no rows.
    std::string rows;
    rows.reserve(40u << 20);
    for (int row = 1; row < 1048576; ++row) {
        rows += "<row r=\"" + std::to_string(row) + "\" s=\"1\" customFormat=\"1\"/>";
    }
    rows += purchaseRow(1048576, dateSerial(1048576, "45306"), value(1048576, "100"));
    const std::string book =
        package("milijonas.xlsx", twelveSheets({{"Gau21", worksheetXml(rows)}}));
    rows.clear();
    const CliRunner::Outcome outcome = run(book);
    EXPECT_EQ(outcome.exitCode, 4) << outcome.err;
    EXPECT_EQ(outcome.err, "\"milijonas.xlsx\" faile įrašų nerasta.\n");
    expectNoOutput();
}

// Markup no producer writes: a row inside a cell's value or text, and parts nested far deeper
// than any workbook (a few comments keep them under the bomb limit). Each is refused with the
// run's message, at once and in little memory, whichever part it is in.
TEST_F(RobustWorkbooks, RowsInsideCellsAndDeepNestingEndWithTheRunsMessage) {
    const std::string good = purchaseRow(5, dateSerial(5, "45306"), value(5, "100"));
    for (const std::string& inside :
         {std::string("<c r=\"I6\"><v>1<row r=\"7\"/>00</v></c>"),
          std::string("<c r=\"B6\" t=\"inlineStr\"><is><t>SF<row r=\"7\"></row>-6</t></is></c>"),
          std::string("<c r=\"B6\" t=\"inlineStr\"><is><t>SF-6</t></is><row r=\"7\"><c r=\"A7\">"
                      "<v>45306</v></c></row></c>")}) {
        expectUnreadable(package(
            "eilute.xlsx",
            twelveSheets({{"Gau21", worksheetXml(good + "<row r=\"6\">" + inside + "</row>")}})));
    }

    const auto nested = [](const std::string& inner) {
        std::string xml;
        for (int i = 0; i < 400000; ++i) {
            xml += i % 1000 == 0 ? "<!-- x --><a>" : "<a>";
        }
        xml += inner;
        for (int i = 0; i < 400000; ++i) {
            xml += "</a>";
        }
        return xml;
    };
    const std::string sheet = worksheetXml(good);
    XlsxPartMap parts = twelveSheets({{"Gau21", sheet}});
    const std::map<std::string, std::pair<std::string, std::string>> wrapped = {
        {"_rels/.rels", {"<Relationships xmlns=\"", "</Relationships>"}},
        {"xl/workbook.xml", {"<workbook xmlns=\"", "</workbook>"}},
        {"xl/styles.xml", {"<styleSheet xmlns=\"", "</styleSheet>"}},
        {"xl/sharedStrings.xml", {"<sst xmlns=\"", "</sst>"}},
        {"xl/worksheets/s1.xml", {"<worksheet xmlns=\"", "</sheetData>"}},
    };
    for (const auto& [part, ends] : wrapped) {
        SCOPED_TRACE(part);
        XlsxPartMap deep = parts;
        std::string& xml = deep[part];
        const size_t close = xml.rfind(ends.second);
        ASSERT_NE(close, std::string::npos);
        xml.insert(close, nested(""));
        expectUnreadable(package("gilus.xlsx", deep));
    }
    // Nesting as deep as real workbooks go is read as ever.
    std::string extensions = "<extLst><ext uri=\"x\">";
    for (int i = 0; i < 20; ++i) {
        extensions += "<x14:a xmlns:x14=\"x\">";
    }
    for (int i = 0; i < 20; ++i) {
        extensions += "</x14:a>";
    }
    extensions += "</ext></extLst>";
    std::string& styles = parts["xl/styles.xml"];
    styles.insert(styles.rfind("</styleSheet>"), extensions);
    const CliRunner::Outcome outcome = run(package("tikras.xlsx", parts));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
}

TEST_F(RobustWorkbooks, ValuesNoInvoiceCanHoldAreListedAsBadCells) {
    // Dates before 1900 and after 9999, as date cells and as typed text.
    const std::string dates =
        worksheetXml(purchaseRow(5, dateSerial(5, "-1"), value(5, "100")) +
                     purchaseRow(6, dateSerial(6, "2958466"), value(6, "100")) +
                     purchaseRow(7, "<c r=\"A7\" t=\"inlineStr\"><is><t>1899-12-31</t></is></c>",
                                 value(7, "100")) +
                     purchaseRow(8, "<c r=\"A8\" t=\"inlineStr\"><is><t>10000-01-01</t></is></c>",
                                 value(8, "100")));
    CliRunner::Outcome outcome = run(package("datos.xlsx", twelveSheets({{"Gau21", dates}})));
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
    EXPECT_EQ(outcome.err,
              "Klaidų sąrašas:\n\n"
              "Gau21 lapas -> A5  vietoje datos klaida\n\n"
              "Gau21 lapas -> A6  vietoje datos klaida\n\n"
              "Gau21 lapas -> A7  vietoje datos klaida\n\n"
              "Gau21 lapas -> A8  vietoje datos klaida\n");
    expectNoOutput();

    // Amounts no i.SAF file can hold.
    const std::string amounts =
        worksheetXml(purchaseRow(5, dateSerial(5, "45306"), value(5, "1E+300")) +
                     purchaseRow(6, dateSerial(6, "45306"), value(6, "-1E+300")) +
                     purchaseRow(7, dateSerial(7, "45306"), value(7, "1E+15")));
    outcome = run(package("sumos.xlsx", twelveSheets({{"Gau21", amounts}})));
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
    EXPECT_EQ(outcome.err,
              "Klaidų sąrašas:\n\n"
              "Gau21 lapas -> I5  vietoje apmok. vertės klaida\n\n"
              "Gau21 lapas -> I6  vietoje apmok. vertės klaida\n\n"
              "Gau21 lapas -> I7  vietoje apmok. vertės klaida\n");
    expectNoOutput();

    // Number cells whose text is no number: no cell of a real workbook holds one.
    for (const char* number : {"NaN", "INF", "1E+999", "-nan"}) {
        expectUnreadable(package(
            "nan.xlsx", twelveSheets({{"Gau21", worksheetXml(purchaseRow(5, dateSerial(5, "45306"),
                                                                         value(5, number)))}})));
    }
    expectNoOutput();
}

}  // namespace
