#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "support/workbook_builder.h"
#include "support/xlsx_zip.h"
#include "workbook/workbook_connection.h"

// Broken and hostile files: each must end in a WorkbookError, never a crash, a hang or
// unbounded memory.

namespace {

std::string dataFile(const std::string& name) {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/tests/data/workbooks/" + name;
}

// Opens, selects "Gau21" and reads it as the sheet readers do, until three empty A cells.
void readLikeTheReaders(const std::string& path) {
    auto book = openWorkbook(path);
    book->selectSheet("Gau21");
    for (int row = 5, empty = 0; empty < 3; ++row) {
        for (int column = 1; column <= 23; ++column) {
            book->cellText(row, column);
        }
        empty = book->cellText(row, 1).empty() ? empty + 1 : 0;
    }
}

std::string errorOf(const std::string& path) {
    try {
        readLikeTheReaders(path);
    } catch (const WorkbookError& error) {
        return error.what();
    }
    return "(no error)";
}

std::string errorOfParts(const TempDir& dir, const XlsxPartMap& parts) {
    const std::string path = dir.file("hostile.xlsx");
    writeZip(path, parts);
    return errorOf(path);
}

bool mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(WorkbookHostile, FilesThatAreNoWorkbook) {
    TempDir dir;
    EXPECT_TRUE(mentions(errorOf(dir.file("missing.xlsx")), "cannot open"));
    writeFile(dir.file("empty.xlsx"), "");
    EXPECT_TRUE(mentions(errorOf(dir.file("empty.xlsx")), "not an .xlsx or .xls"));
    writeFile(dir.file("table.xls"),
              "<html><body><table><tr><td>1</td></tr></table></body></html>");
    EXPECT_TRUE(mentions(errorOf(dir.file("table.xls")), "HTML or XML"));
    writeFile(dir.file("text.xlsx"), "PK\x03\x04 but nothing else of a zip");
    EXPECT_TRUE(mentions(errorOf(dir.file("text.xlsx")), ".xlsx workbook"));
    writeFile(dir.file("ole.xls"),
              std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(1000, '\x01'));
    EXPECT_TRUE(mentions(errorOf(dir.file("ole.xls")), ".xls workbook"));
    EXPECT_TRUE(mentions(errorOf(dataFile("encrypted.xlsx")), "password"));

    // A zip that holds no spreadsheet (a text document's package).
    XlsxPartMap document = minimalXlsx(worksheetXml(""));
    document["xl/workbook.xml"] = "<document/>";
    EXPECT_TRUE(mentions(errorOfParts(dir, document), "not a spreadsheet"));
    document.erase("_rels/.rels");
    document.erase("xl/workbook.xml");
    EXPECT_TRUE(mentions(errorOfParts(dir, document), "not a spreadsheet"));
}

TEST(WorkbookHostile, DamagedPackages) {
    TempDir dir;
    const std::string path = dir.file("book.xlsx");
    {
        WorkbookBuilder builder(path);
        builder.sheet("Gau21");
        for (int row = 5; row < 3000; ++row) {
            builder.text(row, 1, "row " + std::to_string(row * 7919 % 10007)).number(row, 9, row);
        }
        builder.save();
    }
    const std::string whole = readFile(path);
    writeFile(dir.file("truncated.xlsx"), whole.substr(0, whole.size() / 2));
    EXPECT_NE(errorOf(dir.file("truncated.xlsx")), "(no error)");

    std::string scrambled = whole;
    for (size_t i = scrambled.size() / 4; i < scrambled.size() / 2; i += 3) {
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
    }
    writeFile(dir.file("scrambled.xlsx"), scrambled);
    EXPECT_NE(errorOf(dir.file("scrambled.xlsx")), "(no error)");

    XlsxPartMap parts = minimalXlsx(worksheetXml(""));
    parts.erase("xl/worksheets/sheet1.xml");
    EXPECT_TRUE(mentions(errorOfParts(dir, parts), "lacks its part xl/worksheets/sheet1.xml"));
    parts = minimalXlsx(worksheetXml("<row r=\"5\"><c><v>1</v></c>"));
    EXPECT_TRUE(mentions(errorOfParts(dir, parts), "not well-formed"));
}

TEST(WorkbookHostile, SheetsThatLie) {
    TempDir dir;
    // Rows out of order, a row beyond the grid, a reference that is no reference.
    EXPECT_TRUE(mentions(
        errorOfParts(dir,
                     minimalXlsx(worksheetXml("<row r=\"5\"><c><v>1</v></c></row>"
                                              "<row r=\"6\"><c><v>1</v></c></row><row r=\"5\"/>"))),
        "order"));
    EXPECT_TRUE(
        mentions(errorOfParts(dir, minimalXlsx(worksheetXml("<row r=\"2000000\"/>"))), "order"));
    EXPECT_TRUE(mentions(
        errorOfParts(dir, minimalXlsx(worksheetXml("<row r=\"5\"><c r=\"55\"><v>1</v></c></row>"))),
        "reference"));
    // A shared string index far past the table.
    EXPECT_TRUE(mentions(
        errorOfParts(dir, minimalXlsx(worksheetXml("<row r=\"5\"><c t=\"s\"><v>4000000000</v></c>"
                                                   "</row>"))),
        "shared string"));
    // Rows down to the grid's last one: the readers go on below it, where the rows are as
    // empty as at the end of any sheet.
    writeZip(dir.file("last_rows.xlsx"),
             minimalXlsx(worksheetXml("<row r=\"1048575\"><c r=\"A1048575\"><v>1</v></c></row>"
                                      "<row r=\"1048576\"><c r=\"A1048576\"><v>2</v></c></row>")));
    auto book = openWorkbook(dir.file("last_rows.xlsx"));
    book->selectSheet("Gau21");
    EXPECT_EQ(book->cellText(1048576, 1), "2");
    for (int row = 1048577; row <= 1048579; ++row) {
        EXPECT_EQ(book->cellText(row, 1), "") << row;
    }
    // A dimension that claims a million rows changes nothing.
    std::string sheet = worksheetXml("<row r=\"5\"><c><v>1</v></c></row>");
    sheet.replace(sheet.find("A1\""), 3, "A1:XFD1048576\"");
    EXPECT_EQ(errorOfParts(dir, minimalXlsx(sheet)), "(no error)");
}

TEST(WorkbookHostile, EntityTricksAndBombs) {
    TempDir dir;
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
        "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
        "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">]>"
        "<worksheet><sheetData><row r=\"5\"><c t=\"inlineStr\"><is><t>&lol3;</t></is></c></row>"
        "</sheetData></worksheet>";
    EXPECT_TRUE(mentions(errorOfParts(dir, minimalXlsx(laughs)), "DOCTYPE"));
    XlsxPartMap parts = minimalXlsx(worksheetXml(""));
    parts["xl/sharedStrings.xml"] =
        "<!DOCTYPE sst SYSTEM \"file:///etc/passwd\"><sst><si><t>x</t></si></sst>";
    EXPECT_TRUE(mentions(errorOfParts(dir, parts), "DOCTYPE"));

    // Inflates at about 1000:1: stopped while inflating, long before its end.
    std::string bomb = worksheetXml("<row r=\"5\"><c><v>1</v></c></row>");
    bomb.insert(bomb.find("<sheetData>"), std::string(24u << 20, ' '));
    parts = minimalXlsx(bomb);
    bomb.clear();
    EXPECT_TRUE(mentions(errorOfParts(dir, parts), "zip bomb"));

    // One cell's text past any real cell.
    parts = minimalXlsx(worksheetXml("<row r=\"5\"><c t=\"inlineStr\"><is><t>" +
                                     std::string(2u << 20, 'x') + "</t></is></c></row>"));
    EXPECT_TRUE(mentions(errorOfParts(dir, parts), "too long"));
}
