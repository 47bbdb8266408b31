#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "support/xlsx_zip.h"
#include "workbook/workbook_connection.h"

// The worksheet parts are read by a scanner of our own rather than by expat: it must give the
// same texts for the XML that producers write, and refuse what is not well-formed XML.

namespace {

std::string errorOf(const TempDir& dir, const std::string& sheetXml, int lastRow = 7) {
    const std::string path = dir.file("scan.xlsx");
    writeZip(path, minimalXlsx(sheetXml));
    try {
        auto book = openWorkbook(path);
        book->selectSheet("Gau21");
        for (int row = 1; row <= lastRow; ++row) {
            book->cellText(row, 1);
        }
    } catch (const WorkbookError& error) {
        return error.what();
    }
    return "(no error)";
}

std::string inlineText(const std::string& markup) {
    return "<row r=\"5\"><c r=\"A5\" t=\"inlineStr\"><is><t>" + markup + "</t></is></c></row>";
}

// A worksheet part without its XML declaration, for tests that write their own.
std::string bareSheet(const std::string& rows) {
    const std::string sheet = worksheetXml(rows);
    return sheet.substr(sheet.find('\n') + 1);
}

bool mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(SheetScanner, ResolvesWhatXmlAllowsInValues) {
    TempDir dir;
    const std::string path = dir.file("values.xlsx");
    writeZip(path,
             minimalXlsx(worksheetXml(
                 "<!-- a comment --><?producer hint?>"
                 "<row r='5'>"
                 "<c r = 'A5' t=\"inlineStr\"><is><t>A &amp; B &lt;&gt; &quot;&apos; &#x10000;"
                 "&#65;</t></is></c>"
                 "<c r=\"B5\" t=\"inlineStr\"><is><t>one\r\ntwo\rthree&#13;four</t></is></c>"
                 "<c r=\"C5\"><v><![CDATA[12]]>.5</v></c>"
                 "<c r=\"D5\" t=\"inlineStr\"><is><t><![CDATA[<b>&amp;]]></t></is></c>"
                 "<!-- between cells --><c r=\"E5\" t=\"str\" s=\"0\" x:attr=\"a>b\">"
                 "<f>A1</f><v>x</v></c>"
                 "</row>")));
    auto book = openWorkbook(path);
    book->selectSheet("Gau21");
    EXPECT_EQ(book->cellText(5, 1),
              "A & B <> \"' \xF0\x90\x80\x80"
              "A");
    EXPECT_EQ(book->cellText(5, 2), "one\ntwo\nthree\rfour");
    EXPECT_EQ(book->cellText(5, 3), "12,5");
    EXPECT_EQ(book->cellText(5, 4), "<b>&amp;");
    EXPECT_EQ(book->cellText(5, 5), "x");
}

TEST(SheetScanner, TextsLongerThanOneChunkKeepEveryCharacter) {
    // Long enough to cross the scanner's chunks at every kind of place: inside a reference,
    // between CR and LF, inside a multi-byte character.
    std::string markup;
    std::string expected;
    for (int i = 0; markup.size() < 600 * 1024; ++i) {
        markup += "Šv&amp;\r\n&#x17E;" + std::to_string(i);
        expected += "Šv&\nž" + std::to_string(i);
    }
    TempDir dir;
    const std::string path = dir.file("long.xlsx");
    writeZip(path, minimalXlsx(worksheetXml(inlineText(markup))));
    auto book = openWorkbook(path);
    book->selectSheet("Gau21");
    EXPECT_EQ(book->cellText(5, 1), expected);
}

TEST(SheetScanner, RefusesWhatIsNotWellFormed) {
    TempDir dir;
    const std::vector<std::string> broken = {
        inlineText("a</x>"),                         // mismatched tag
        inlineText("&nbsp;"),                        // entity no one declared
        inlineText("&#0;"),                          // no XML character
        inlineText("a & b"),                         // bare ampersand
        inlineText("a]]>b"),                         // CDATA end in text
        inlineText("bell \x07"),                     // control character
        inlineText("\xC5"),                          // cut UTF-8
        inlineText("\xEF\xBF\xBE"),                  // U+FFFE
        "<row r=5><c r=\"A5\"><v>1</v></c></row>",   // unquoted attribute
        "<row r=\"5\"><c r=\"A5\"v=\"1\"/></row>",   // no space between attributes
        "<row r=\"5\"><c r=\"A5\" t=\"<\"/></row>",  // "<" in an attribute
        "<row r=\"5\"><1c/></row>",                  // a name that starts with a digit
    };
    for (const std::string& rows : broken) {
        EXPECT_TRUE(mentions(errorOf(dir, worksheetXml(rows)), "not well-formed")) << rows;
    }
    // Cut short before the sheet data ends; nothing at all.
    EXPECT_TRUE(mentions(errorOf(dir, "<worksheet><sheetData><row r=\"5\">"), "not well-formed"));
    EXPECT_TRUE(mentions(errorOf(dir, ""), "not well-formed"));
    EXPECT_TRUE(mentions(errorOf(dir, "text<worksheet/>"), "not well-formed"));

    EXPECT_TRUE(mentions(errorOf(dir, "<!DOCTYPE worksheet><worksheet/>"), "DOCTYPE"));
    EXPECT_TRUE(
        mentions(errorOf(dir, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + bareSheet("")),
                 "encoding other than UTF-8"));
    EXPECT_TRUE(mentions(errorOf(dir, "<!-- first -->" + worksheetXml("")), "not at start"));
    EXPECT_TRUE(mentions(errorOf(dir, std::string("\xFF\xFE<\0w\0/\0>\0", 10)),
                         "encoding other than UTF-8"));
    EXPECT_EQ(errorOf(dir, "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>" +
                               bareSheet(inlineText("ok"))),
              "(no error)");
}

TEST(SheetScanner, LooksOnlyAsFarAsTheReadersRead) {
    TempDir dir;
    // Damage after the last row asked for is never reached.
    std::string tail;
    for (int row = 5; row <= 8; ++row) {
        tail += "<row r=\"" + std::to_string(row) + "\"><c><v>1</v></c></row>";
    }
    tail += "<row r=\"9\">&bad;";
    EXPECT_EQ(errorOf(dir, "<worksheet><sheetData>" + tail, 8), "(no error)");
    EXPECT_TRUE(mentions(errorOf(dir, "<worksheet><sheetData>" + tail, 9), "undefined entity"));

    // A bad cell in a heading row the readers skip fails only a pass that asks for it.
    const std::string heading = worksheetXml(
        "<row r=\"2\"><c r=\"1A\"><v>1</v></c></row>"
        "<row r=\"5\"><c r=\"A5\"><v>1</v></c></row>");
    const std::string path = dir.file("heading.xlsx");
    writeZip(path, minimalXlsx(heading));
    auto book = openWorkbook(path);
    book->selectSheet("Gau21");
    EXPECT_EQ(book->cellText(5, 1), "1");
    EXPECT_THROW(book->cellText(2, 1), WorkbookError);  // back to the top: now it is read
    EXPECT_THROW(book->cellText(5, 1), WorkbookError);  // and the failure stays
}
