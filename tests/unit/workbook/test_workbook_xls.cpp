#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/xls_file.h"
#include "workbook/workbook_connection.h"

namespace {

std::string dataFile(const std::string& name) {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/tests/data/workbooks/" + name;
}

}  // namespace

TEST(WorkbookXls, ReadsABiff8Workbook) {
    auto book = openWorkbook(dataFile("basic.xls"));
    book->selectSheet("GAU21");
    EXPECT_EQ(book->lastRowHint(), 7);  // its last row with a cell, for the progress bar
    EXPECT_EQ(book->cellText(5, 1), "2023-01-15");
    EXPECT_EQ(book->cellText(5, 2), "SF-001");
    EXPECT_EQ(book->cellText(5, 3), "");
    EXPECT_EQ(book->cellText(5, 6), "UAB „Šviesa“");
    EXPECT_EQ(book->cellText(5, 9), "1234,5");
    EXPECT_EQ(book->cellText(5, 10), "0,3");
    EXPECT_EQ(book->cellText(5, 11), "5");
    EXPECT_EQ(book->cellText(5, 12), "2023-01-15 13:05:07");
    EXPECT_EQ(book->cellText(6, 1), "");
    EXPECT_EQ(book->cellText(7, 1), "after a gap");
    EXPECT_EQ(book->cellText(5, 1), "2023-01-15");
    EXPECT_EQ(book->cellText(500, 23), "");  // beyond the sheet's extent

    book->selectSheet("išrašai");
    EXPECT_EQ(book->cellText(5, 1), "lower");
    EXPECT_THROW(book->selectSheet("Isr21"), WorkbookError);
    book->quit();
    EXPECT_THROW(book->cellText(5, 1), WorkbookError);
}

TEST(WorkbookXls, CellsComeTyped) {
    auto book = openWorkbook(dataFile("basic.xls"));
    book->selectSheet("Gau21");
    const CellValue date = book->cell(5, 1);
    EXPECT_EQ(date.kind, CellValue::Kind::date);
    EXPECT_EQ(date.date.year * 10000 + date.date.month * 100 + date.date.day, 20230115);
    const CellValue number = book->cell(5, 9);
    EXPECT_EQ(number.kind, CellValue::Kind::number);
    EXPECT_EQ(number.text, "1234.5");
    EXPECT_EQ(book->cell(5, 2).kind, CellValue::Kind::text);
    EXPECT_EQ(book->cell(5, 3).kind, CellValue::Kind::empty);
}

namespace {

using xls::f64;
using xls::record;
using xls::u16;
using xls::u32;

std::string cell(std::uint16_t type, int row, int column, int xf, const std::string& rest) {
    return record(type, u16(row) + u16(column) + u16(xf) + rest);
}
std::string number(int row, int column, double value, int xf = 0) {
    return cell(0x0203, row, column, xf, f64(value));
}
std::string rk(int row, int column, std::uint32_t value) {
    return cell(0x027E, row, column, 0, u32(value));
}
std::string formula(int row, int column, const std::string& result, int xf = 0) {
    return cell(0x0006, row, column, xf, result + u16(0) + u32(0) + u16(0));
}
std::string formulaOther(std::uint8_t kind, std::uint8_t value) {
    return std::string(1, static_cast<char>(kind)) + '\0' + static_cast<char>(value) +
           std::string(3, '\0') + u16(0xFFFF);
}
std::string xf(int format) {
    return record(0x00E0, u16(0) + u16(format) + std::string(16, '\0'));
}

std::unique_ptr<WorkbookConnection> openBytes(const TempDir& dir, const std::string& stream,
                                              const std::string& streamName = "Workbook") {
    const std::string path = dir.file("knyga.xls");
    writeFile(path, xls::compoundFile({{streamName, stream}}, true).bytes);
    return openWorkbook(path);
}

}  // namespace

TEST(WorkbookXls, EveryKindOfCellReadsAsFromAnXlsx) {
    // Shared strings: a plain one, one whose characters go on in a CONTINUE record in the other
    // width, and a rich one with phonetic data whose runs lie in the next CONTINUE record.
    const std::string sst =
        record(0x00FC, u32(9) + u32(3) + xls::narrowString("first") + u16(10) + '\0' + "UAB ") +
        record(0x003C, std::string(1, '\1') + xls::wideString(u"Šviesa").substr(3) + u16(2) +
                           '\x0C' + u16(1) + u32(3) + "ab") +
        record(0x003C, u32(0) + "xyz");
    xls::WorkbookStream stream;
    stream.global(record(0x0042, u16(1200)))
        .global(record(0x041E, u16(164) + xls::narrowString("yyyy\\-mm\\-dd\\ hh:mm")))
        .global(record(0x041E, u16(165) + xls::narrowString("0.00")))
        .global(xf(0) + xf(14) + xf(164) + xf(165))
        .global(sst)
        .sheet(
            "Gau21",
            {
                record(0x0200, u32(0) + u32(65536) + u16(0) + u16(256) + u16(0)),  // a claim
                number(4, 0, 45306, 1), cell(0x00FD, 4, 1, 0, u32(0)),
                cell(0x00FD, 4, 2, 0, u32(1)), rk(4, 3, (5u << 2) | 2),
                rk(4, 4, (123456u << 2) | 3), rk(4, 5, 0x3FE00000),  // 0.5, a double's high bits
                cell(0x00BD, 4, 6, 0,
                     u32((1u << 2) | 2) + u16(0) + u32((250u << 2) | 3) + u16(0) +
                         u32((3u << 2) | 2) + u16(8)),
                cell(0x0205, 4, 9, 0, std::string("\1\0", 2)), formula(4, 10, f64(21)),
                formula(4, 11, formulaOther(0, 0)),
                record(0x04BC, std::string(8, '\0')),  // a shared formula between the two
                record(0x0207, u16(6) + '\0' + "SF-"), record(0x003C, std::string(1, '\0') + "1/2"),
                formula(4, 12, formulaOther(1, 0)), formula(4, 13, formulaOther(3, 0)),
                formula(4, 14, formulaOther(2, 0x07)),
                cell(0x0205, 4, 15, 0, std::string("\x2A\1", 2)),
                cell(0x0204, 4, 16, 0, xls::narrowString("label")),
                cell(0x00D6, 4, 17, 0, xls::wideString(u"Ąžuolas") + u16(1) + u32(0)),
                number(4, 18, 0.1 + 0.2, 3), number(4, 19, 45306.5, 2),
                formula(4, 20, f64(45306), 1), number(4, 23, 7),  // beyond the columns read
                number(5, 0, 1),
                cell(0x0201, 65535, 255, 1, ""),  // a formatted blank cell far away
                number(5, 0, 2),                  // given twice: the later counts
                // A chart embedded in the sheet: its substream holds no cells of the sheet.
                record(0x0809, u16(0x0600) + u16(0x0020) + std::string(12, '\0')), number(6, 0, 99),
                record(0x000A, ""), rk(3, 0, (4u << 2) | 2),  // out of row order
            })
        .sheet("Isr21", {cell(0x00FD, 0, 0, 0, u32(2))});
    TempDir dir;
    auto book = openBytes(dir, stream.bytes(), "WORKBOOK");
    book->selectSheet("gau21");
    const std::vector<std::string> row5 = {"2024-01-15",
                                           "first",
                                           "UAB Šviesa",
                                           "5",
                                           "1234,56",
                                           "0,5",
                                           "1",
                                           "2,5",
                                           "3",
                                           "TRUE",
                                           "21",
                                           "SF-1/2",
                                           "FALSE",
                                           "",
                                           "(error)",
                                           "(error)",
                                           "label",
                                           "Ąžuolas",
                                           "0,3",
                                           "2024-01-15 12:00:00",
                                           "2024-01-15",
                                           "",
                                           ""};
    for (int column = 1; column <= 23; ++column) {
        std::string text;
        try {
            text = book->cellText(5, column);
        } catch (const WorkbookError& error) {
            text = "(error)";
            EXPECT_NE(std::string(error.what()).find(column == 15 ? "#DIV/0!" : "#N/A"),
                      std::string::npos);
        }
        EXPECT_EQ(text, row5[static_cast<size_t>(column - 1)]) << column;
    }
    EXPECT_EQ(book->cellText(6, 1), "2");
    EXPECT_EQ(book->cellText(7, 1), "");
    EXPECT_EQ(book->cellText(4, 1), "4");
    EXPECT_EQ(book->cellText(65536, 23), "");
    book->selectSheet("Isr21");
    EXPECT_EQ(book->cellText(1, 1), "ab");  // the phonetic data does not count
}

TEST(WorkbookXls, Biff7TextsFollowTheCodePageAndDatesThe1904System) {
    const auto byteString8 = [](const std::string& bytes) {
        return u16(static_cast<std::uint32_t>(bytes.size())) + bytes;
    };
    xls::WorkbookStream stream(false);
    stream.global(record(0x0042, u16(1257)))
        .global(record(0x0022, u16(1)))
        .global(record(0x041E, u16(164) + '\x0A' + "yyyy-mm-dd"))
        .global(xf(0) + xf(164))
        .sheet(
            "I\xF0ra\xF0"
            "ai",
            {cell(0x0204, 4, 0, 0,
                  byteString8("\xC0\xFE"
                              "uolas")),
             cell(0x00D6, 4, 1, 0, byteString8("\xE8\xE6\xEB\xE1\xF0\xF8\xFB\xFE") + '\1' + u16(0)),
             number(4, 2, 0, 1), number(4, 3, 1, 1), formula(4, 4, formulaOther(0, 0)),
             record(0x0207, byteString8("\xD0ilas"))});
    TempDir dir;
    auto book = openBytes(dir, stream.bytes(), "Book");
    book->selectSheet("IŠRAŠAI");
    EXPECT_EQ(book->cellText(5, 1), "Ąžuolas");
    EXPECT_EQ(book->cellText(5, 2), "čęėįšųūž");
    EXPECT_EQ(book->cellText(5, 3), "1904-01-01");
    EXPECT_EQ(book->cellText(5, 4), "1904-01-02");
    EXPECT_EQ(book->cellText(5, 5), "Šilas");

    // A code page iconv does not know is named when a text needs it.
    xls::WorkbookStream unknown(false);
    unknown.global(record(0x0042, u16(9999)))
        .sheet("Gau21", {cell(0x0204, 4, 0, 0, byteString8("\xC0"))});
    auto other = openBytes(dir, unknown.bytes(), "Book");
    try {
        other->selectSheet("Gau21");
        ADD_FAILURE() << "an unknown code page was read";
    } catch (const WorkbookError& error) {
        EXPECT_NE(std::string(error.what()).find("code page 9999"), std::string::npos);
    }
}
