#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/desktop_shell.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"
#include "support/xlsx_zip.h"
#include "workbook/workbook_connection.h"

namespace {

class RecordingDesktop : public DesktopShell {
  public:
    bool open(const std::string& pathOrAddress) override {
        opened.push_back(pathOrAddress);
        return true;
    }
    std::vector<std::string> opened;
};

// The one-sheet package around these rows, opened under Lithuanian settings.
std::unique_ptr<WorkbookConnection> openRows(const TempDir& dir, const std::string& rows,
                                             const std::string& sheet = "Gau21") {
    const std::string path = dir.file("rows.xlsx");
    writeZip(path, minimalXlsx(worksheetXml(rows)));
    auto book = openWorkbook(path);
    book->selectSheet(sheet);
    return book;
}

}  // namespace

TEST(WorkbookXlsx, ReadsAWorkbookWrittenByALibrary) {
    TempDir dir;
    const std::string path = dir.file("book.xlsx");
    WorkbookBuilder builder(path);
    builder.sheet("Gau21")
        .date(5, 1, 2023, 1, 15)
        .text(5, 2, "SF-001")
        .text(5, 6, "UAB „Šviesa“")
        .number(5, 9, 1234.5)
        .number(5, 10, 0.1 + 0.2, "0.00")
        .date(5, 4, 2023, 2, 1, "d.m.yyyy")
        .number(5, 11, 44941.75, "yyyy-mm-dd hh:mm")
        .text(7, 1, "after a gap")
        .number(7, 23, 5);
    builder.sheet("Išrašai").text(5, 1, "lower");
    builder.save();

    auto book = openWorkbook(path);
    book->selectSheet("gau21");
    EXPECT_EQ(book->lastRowHint(), 7);  // as its dimension element states, for the progress bar
    EXPECT_EQ(book->cellText(5, 1), "2023-01-15");
    EXPECT_EQ(book->cellText(5, 2), "SF-001");
    EXPECT_EQ(book->cellText(5, 3), "");
    EXPECT_EQ(book->cellText(5, 4), "2023-02-01");
    EXPECT_EQ(book->cellText(5, 6), "UAB „Šviesa“");
    EXPECT_EQ(book->cellText(5, 9), "1234,5");
    EXPECT_EQ(book->cellText(5, 10), "0,3");
    EXPECT_EQ(book->cellText(5, 11), "2023-01-15 18:00:00");
    EXPECT_EQ(book->cellText(5, 2), "SF-001");  // read twice, and back within the row
    EXPECT_EQ(book->cellText(6, 1), "");
    EXPECT_EQ(book->cellText(7, 1), "after a gap");
    EXPECT_EQ(book->cellText(7, 23), "5");
    EXPECT_EQ(book->cellText(8, 1), "");
    // A row above the last one asked for starts the pass again and still answers right.
    EXPECT_EQ(book->cellText(5, 9), "1234,5");
    EXPECT_EQ(book->cellText(7, 1), "after a gap");
    EXPECT_EQ(book->cellText(100000, 1), "");

    book->selectSheet("IŠRAŠAI");  // case ignored beyond ASCII too
    EXPECT_EQ(book->cellText(5, 1), "lower");
    EXPECT_THROW(book->selectSheet("Gau9"), WorkbookError);
    EXPECT_THROW(book->cellText(5, 24), WorkbookError);

    RecordingDesktop desktop;
    book->present(desktop);
    EXPECT_EQ(desktop.opened, std::vector<std::string>{path});
    book->quit();
    EXPECT_THROW(book->selectSheet("Gau21"), WorkbookError);
}

TEST(WorkbookXlsx, CellsComeTyped) {
    TempDir dir;
    const std::string path = dir.file("dates.xlsx");
    WorkbookBuilder builder(path);
    builder.sheet("Gau21")
        .date(5, 1, 2023, 1, 5)
        .number(5, 2, 1234.5)
        .text(5, 3, "1234,5")
        .number(5, 4, -1, "yyyy-mm-dd")  // before the calendar: a number
        .number(5, 5, 0.75, "hh:mm");    // a time of day alone
    builder.save();
    auto book = openWorkbook(path);
    book->selectSheet("Gau21");
    const CellValue date = book->cell(5, 1);
    ASSERT_EQ(date.kind, CellValue::Kind::date);
    EXPECT_EQ(date.date.year * 10000 + date.date.month * 100 + date.date.day, 20230105);
    EXPECT_EQ(date.date.secondsOfDay, 0);
    const CellValue number = book->cell(5, 2);
    EXPECT_EQ(number.kind, CellValue::Kind::number);
    EXPECT_EQ(number.text, "1234.5");  // as written, never through a double
    const CellValue text = book->cell(5, 3);
    EXPECT_EQ(text.kind, CellValue::Kind::text);
    EXPECT_EQ(text.text, "1234,5");
    EXPECT_EQ(book->cell(5, 4).kind, CellValue::Kind::number);
    EXPECT_EQ(book->cellText(5, 4), "-1");
    const CellValue time = book->cell(5, 5);
    EXPECT_TRUE(time.kind == CellValue::Kind::date && time.date.isTimeOnly());
    EXPECT_EQ(book->cellText(5, 5), "18:00:00");
    EXPECT_EQ(book->cell(5, 6).kind, CellValue::Kind::empty);
}

TEST(WorkbookXlsx, CellKindsThatProducersWrite) {
    TempDir dir;
    auto book =
        openRows(dir,
                 "<row r=\"5\">"
                 "<c r=\"A5\" s=\"1\"><v>44941</v></c>"         // built-in date format
                 "<c r=\"B5\" s=\"2\"><v>44942</v></c>"         // yyyy\-mm\-dd
                 "<c r=\"C5\" s=\"3\" t=\"n\"><v>12.5</v></c>"  // 0.00 is no date
                 "<c r=\"D5\" t=\"s\"><v>1</v></c>"             // shared string
                 "<c r=\"E5\" t=\"inlineStr\"><is><t>in</t><r><t>line</t></r></is></c>"
                 "<c r=\"F5\" t=\"str\"><f>A1&amp;\"x\"</f><v>formula text</v></c>"
                 "<c r=\"G5\"><f>1+1</f><v>2</v></c>"
                 "<c r=\"H5\" t=\"b\"><v>1</v></c>"
                 "<c r=\"I5\" t=\"b\"><v>0</v></c>"
                 "<c r=\"J5\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                 "<c r=\"K5\" t=\"inlineStr\"><is><t>line_x000D_\nbreak _x005F_x0041_</t></is></c>"
                 "<c r=\"L5\"><f>NOW()</f></c>"
                 "<c r=\"M5\" t=\"s\"><v>2</v></c>"
                 "<c r=\"N5\" t=\"d\"><v>2023-01-15T13:05:07</v></c>"
                 "<c r=\"O5\" s=\"99\"><v>7</v></c>"  // a format index the styles lack
                 "<c r=\"P5\" t=\"str\"><f>\"\"</f><v></v></c>"
                 "<c r=\"Q5\" s=\"1\"/>"
                 "<c r=\"R5\" t=\"e\"><v>#N/A</v></c>"
                 "<c r=\"AA5\" t=\"e\"><v>#N/A</v></c>"  // beyond W: never looked at
                 "</row>");
    EXPECT_EQ(book->cellText(5, 1), "2023-01-15");
    EXPECT_EQ(book->cellText(5, 2), "2023-01-16");
    EXPECT_EQ(book->cellText(5, 3), "12,5");
    EXPECT_EQ(book->cellText(5, 4), "second");
    EXPECT_EQ(book->cellText(5, 5), "inline");
    EXPECT_EQ(book->cellText(5, 6), "formula text");
    EXPECT_EQ(book->cellText(5, 7), "2");
    EXPECT_EQ(book->cellText(5, 8), "TRUE");
    EXPECT_EQ(book->cellText(5, 9), "FALSE");
    EXPECT_THROW(book->cellText(5, 10), WorkbookError);
    EXPECT_EQ(book->cellText(5, 11), "line\r\nbreak _x0041_");
    EXPECT_THROW(book->cellText(5, 12), WorkbookError);
    EXPECT_THROW(book->cellText(5, 13), WorkbookError);  // no shared string 2
    EXPECT_EQ(book->cellText(5, 14), "2023-01-15 13:05:07");
    EXPECT_EQ(book->cellText(5, 15), "7");
    EXPECT_EQ(book->cellText(5, 16), "");
    EXPECT_EQ(book->cellText(5, 17), "");
    try {
        book->cellText(5, 18);
        FAIL() << "an error value gave a text";
    } catch (const WorkbookError& error) {
        EXPECT_NE(std::string(error.what()).find("R5"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("#N/A"), std::string::npos) << error.what();
    }
    EXPECT_EQ(book->cellText(5, 23), "");
}

TEST(WorkbookXlsx, RowsAndCellsWithoutNumbers) {
    TempDir dir;
    auto book = openRows(dir,
                         "<row r=\"5\"><c><v>1</v></c><c><v>2</v></c><c r=\"E5\"><v>5</v></c>"
                         "<c><v>6</v></c></row>"
                         "<row><c><v>60</v></c></row>"
                         "<row r=\"9\" spans=\"1:23\" s=\"1\" customFormat=\"1\"/>"
                         "<row><c r=\"B10\"><v>10</v></c></row>");
    EXPECT_EQ(book->cellText(5, 1), "1");
    EXPECT_EQ(book->cellText(5, 2), "2");
    EXPECT_EQ(book->cellText(5, 3), "");
    EXPECT_EQ(book->cellText(5, 5), "5");
    EXPECT_EQ(book->cellText(5, 6), "6");
    EXPECT_EQ(book->cellText(6, 1), "60");
    EXPECT_EQ(book->cellText(7, 1), "");
    EXPECT_EQ(book->cellText(9, 1), "");
    EXPECT_EQ(book->cellText(10, 2), "10");
    EXPECT_EQ(book->cellText(11, 1), "");
}

TEST(WorkbookXlsx, PackageVariants) {
    TempDir dir;
    const std::string path = dir.file("variant.xlsx");
    const std::string rows =
        "<row r=\"5\"><c r=\"A5\" s=\"1\"><v>0</v></c>"
        "<c r=\"B5\" t=\"s\"><v>0</v></c></row>";

    // The strict namespaces, absolute targets, a 1904 workbook, rich text with phonetics.
    XlsxPartMap strict = minimalXlsx(worksheetXml(rows));
    for (auto& [name, content] : strict) {
        for (const auto& [from, to] :
             {std::pair<std::string, std::string>{
                  "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
                  "http://purl.oclc.org/ooxml/spreadsheetml/main"},
              {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
               "http://purl.oclc.org/ooxml/officeDocument/relationships"},
              {"Target=\"worksheets/", "Target=\"/xl/worksheets/"},
              {"<sheets>", "<workbookPr date1904=\"true\"/><sheets>"}}) {
            for (size_t at = content.find(from); at != std::string::npos;
                 at = content.find(from, at + to.size())) {
                content.replace(at, from.size(), to);
            }
        }
    }
    strict["xl/sharedStrings.xml"] =
        "<sst xmlns=\"http://purl.oclc.org/ooxml/spreadsheetml/main\"><si><r><rPr><b/></rPr>"
        "<t>Pa</t></r><r><t xml:space=\"preserve\">rduotas </t></r><rPh sb=\"0\" eb=\"1\">"
        "<t>phonetic</t></rPh></si></sst>";
    writeZip(path, strict);
    auto book = openWorkbook(path);
    book->selectSheet("GAU21");
    EXPECT_EQ(book->cellText(5, 1), "1904-01-01");
    EXPECT_EQ(book->cellText(5, 2), "Parduotas ");

    // Prefixed element names, as some .NET libraries write them.
    const std::string prefixed =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData><x:row r=\"5\"><x:c r=\"A5\" t=\"s\"><x:v>1</x:v></x:c></x:row>"
        "</x:sheetData></x:worksheet>";
    writeZip(path, minimalXlsx(prefixed));
    book = openWorkbook(path);
    book->selectSheet("Gau21");
    EXPECT_EQ(book->cellText(5, 1), "second");
}
