// Broken and lying .xls files: every fault of the compound file or of the records is a
// WorkbookError naming what is wrong; a sheet is read whole or refused, never cut short.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "support/workbook_builder.h"
#include "support/xls_file.h"
#include "workbook/workbook_connection.h"

namespace {

using xls::record;
using xls::u16;
using xls::u32;

std::string sourceFile(const std::string& relative) {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/" + relative;
}

std::string labelSst(int row, int column, std::uint32_t index) {
    return record(0x00FD, u16(row) + u16(column) + u16(0) + u32(index));
}

// A workbook of one sheet "Gau21" whose stream is long enough to take several sectors, and as
// many more as records of 8 000 bytes (of a kind the reader passes over) are added.
std::string goodStream(int fillers = 0) {
    std::vector<std::string> cells;
    for (int row = 4; row < 600; ++row) {
        cells.push_back(labelSst(row, 1, 0));
    }
    cells.insert(cells.end(), fillers, record(0x1234, std::string(8000, 'x')));
    return xls::WorkbookStream()
        .global(record(0x00FC, u32(1) + u32(1) + xls::narrowString("SF-1")))
        .sheet("Gau21", cells)
        .bytes();
}

// The error of opening the file and reading "Gau21" as the readers do, or "(no error)".
std::string errorOf(const TempDir& dir, const std::string& bytes) {
    const std::string path = dir.file("knyga.xls");
    writeFile(path, bytes);
    try {
        auto book = openWorkbook(path);
        book->selectSheet("Gau21");
        for (int row = 5; row < 700; ++row) {
            book->cellText(row, 2);
        }
    } catch (const WorkbookError& error) {
        return error.what();
    }
    return "(no error)";
}

bool mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(RobustXls, BrokenCompoundFilesAreRefused) {
    TempDir dir;
    const xls::CompoundBytes good = xls::compoundFile({{"Workbook", goodStream()}});
    EXPECT_EQ(errorOf(dir, good.bytes), "(no error)");
    const std::uint32_t first = good.firstSectors[0];

    std::string loop = good.bytes;
    xls::patch32(loop, good.fatEntry(first + 3), first + 1);
    EXPECT_TRUE(mentions(errorOf(dir, loop), "sector chain that loops")) << errorOf(dir, loop);

    std::string early = good.bytes;
    xls::patch32(early, good.fatEntry(first + 1), 0xFFFFFFFE);
    EXPECT_TRUE(mentions(errorOf(dir, early), "ends early"));

    std::string outside = good.bytes;
    xls::patch32(outside, good.fatEntry(first), 100000);
    EXPECT_TRUE(mentions(errorOf(dir, outside), "leaves its table"));
    outside = good.bytes;
    xls::patch32(outside, good.fatEntry(first + 15), 120);  // inside the table, past the file
    EXPECT_TRUE(mentions(errorOf(dir, outside), "beyond its end"));

    // The same faults in the mini stream, where small streams live.
    const std::string small = xls::WorkbookStream().sheet("Gau21", {labelSst(4, 1, 0)}).bytes();
    const xls::CompoundBytes mini = xls::compoundFile({{"Workbook", small}}, true);
    std::string miniLoop = mini.bytes;
    xls::patch32(miniLoop, mini.miniFatEntry(0), 0);
    EXPECT_TRUE(mentions(errorOf(dir, miniLoop), "sector chain that loops"));
    std::string miniLie = mini.bytes;
    xls::patch32(miniLie, mini.directoryEntry(0) + 120, 4000);
    EXPECT_TRUE(mentions(errorOf(dir, miniLie), "mini sector chain ends early"));

    std::string lyingSize = good.bytes;
    xls::patch32(lyingSize, good.directoryEntry(0) + 120, 0x7FFFFFFF);
    EXPECT_TRUE(mentions(errorOf(dir, lyingSize), "larger than the file"));

    std::string lyingFat = good.bytes;
    xls::patch32(lyingFat, 44, 5000);
    EXPECT_TRUE(mentions(errorOf(dir, lyingFat), "claims more FAT sectors"));

    std::string directoryLoop = good.bytes;
    xls::patch32(directoryLoop, good.directoryEntry(0) + 72, 1);  // its own right sibling
    EXPECT_TRUE(mentions(errorOf(dir, directoryLoop), "directory tree"));

    EXPECT_TRUE(
        mentions(errorOf(dir, good.bytes.substr(0, good.bytes.size() - 300)), "compound file"));

    // A stream of 8 MB: its FAT outgrows the header's list of 109 sectors, the rest is in DIFAT.
    const xls::CompoundBytes withDifat = xls::compoundFile({{"Workbook", goodStream(1000)}});
    ASSERT_NE(withDifat.difatSector, 0xFFFFFFFEu);
    EXPECT_EQ(errorOf(dir, withDifat.bytes), "(no error)");
    // Claiming more FAT sectors than its list holds: the DIFAT chain ends, or loops.
    std::string difatShort = withDifat.bytes;
    xls::patch32(difatShort, 44, 300);
    std::string difatLoop = difatShort;
    xls::patch32(difatLoop, 512 * (std::size_t{withDifat.difatSector} + 1) + 508,
                 withDifat.difatSector);
    for (const std::string& broken : {difatLoop, difatShort}) {
        EXPECT_TRUE(mentions(errorOf(dir, broken), "DIFAT")) << errorOf(dir, broken);
    }
    EXPECT_TRUE(mentions(errorOf(dir, good.bytes.substr(0, 400)), "shorter than its header"));
    EXPECT_TRUE(mentions(errorOf(dir, xls::compoundFile({{"Other", goodStream()}}).bytes),
                         "holds no workbook"));
    EXPECT_TRUE(
        mentions(errorOf(dir, xls::compoundFile({{"EncryptedPackage", "x"}}).bytes), "password"));
}

TEST(RobustXls, WorkbookWinsOverBookWhateverTheCase) {
    TempDir dir;
    const std::string book = xls::WorkbookStream(false).sheet("Gau21", {}).bytes();
    EXPECT_EQ(errorOf(dir, xls::compoundFile({{"BOOK", book}, {"workbook", goodStream()}}).bytes),
              "(no error)");
    const std::string path = dir.file("knyga.xls");
    auto opened = openWorkbook(path);
    opened->selectSheet("Gau21");
    EXPECT_EQ(opened->cellText(5, 2), "SF-1");
}

TEST(RobustXls, DamagedRecordsRefuseTheWorkbook) {
    TempDir dir;
    const auto file = [](const xls::WorkbookStream& stream) {
        return xls::compoundFile({{"Workbook", stream.bytes()}}).bytes;
    };
    const std::string sst = record(0x00FC, u32(1) + u32(1) + xls::narrowString("SF-1"));
    EXPECT_TRUE(mentions(
        errorOf(dir, file(xls::WorkbookStream().global(record(0x002F, u16(0))).sheet("Gau21", {}))),
        "password"));
    // An SST that claims four thousand million strings holds one: the one is read.
    EXPECT_EQ(errorOf(dir, file(xls::WorkbookStream()
                                    .global(record(0x00FC, u32(0xFFFFFFFF) + u32(0xFFFFFFFF) +
                                                               xls::narrowString("SF-1")))
                                    .sheet("Gau21", {labelSst(4, 1, 0)}))),
              "(no error)");
    EXPECT_TRUE(mentions(
        errorOf(dir, file(xls::WorkbookStream().global(sst).sheet("Gau21", {labelSst(4, 1, 1)}))),
        "shared string that does not exist"));
    // A string that claims more characters than its record holds.
    EXPECT_TRUE(mentions(
        errorOf(dir, file(xls::WorkbookStream()
                              .global(record(0x00FC, u32(1) + u32(1) + u16(5000) + '\0' + "SF"))
                              .sheet("Gau21", {}))),
        "shorter than what it holds"));
    // A record whose length runs past the stream, anywhere in it.
    const std::string whole = goodStream() + std::string(8192, '\0');
    std::string cut = whole;
    cut.replace(goodStream().size() - 16, 2, u16(0xFFFF));  // the last cell's length
    EXPECT_TRUE(mentions(errorOf(dir, xls::compoundFile({{"Workbook", cut}}).bytes),
                         "past the end of the workbook stream"));
    // A sheet cut before its EOF.
    EXPECT_TRUE(mentions(
        errorOf(dir,
                xls::compoundFile({{"Workbook", whole.substr(0, goodStream().size() - 4)}}).bytes),
        "has no end"));
    // A sheet said to start where no sheet starts, or beyond the stream.
    std::string misplaced = goodStream();
    const std::size_t boundSheet = misplaced.find(std::string("\x85\0", 2));
    misplaced.replace(boundSheet + 4, 4, u32(4));
    EXPECT_TRUE(mentions(errorOf(dir, xls::compoundFile({{"Workbook", misplaced}}).bytes),
                         "does not start where the workbook says"));
    misplaced.replace(boundSheet + 4, 4, u32(0x7FFFFFFF));
    EXPECT_TRUE(mentions(errorOf(dir, xls::compoundFile({{"Workbook", misplaced}}).bytes),
                         "starts beyond the workbook stream"));
    // A formula whose text result never comes; a MULRK whose last column does not add up.
    EXPECT_TRUE(mentions(
        errorOf(dir, file(xls::WorkbookStream().sheet(
                         "Gau21", {record(0x0006, u16(4) + u16(1) + u16(0) + std::string(6, '\0') +
                                                      u16(0xFFFF) + std::string(8, '\0')),
                                   labelSst(5, 1, 0)}))),
        "text result of a formula"));
    EXPECT_TRUE(mentions(
        errorOf(dir, file(xls::WorkbookStream().sheet(
                         "Gau21", {record(0x00BD, u16(4) + u16(1) + u16(0) + u32(2) + u16(9))}))),
        "damaged MULRK"));
    // Neither BIFF5 nor BIFF8, and a globals substream that never ends.
    EXPECT_TRUE(mentions(
        errorOf(dir, xls::compoundFile({{"Workbook", record(0x0809, u16(0x0400) + u16(5))}}).bytes),
        "not of Excel 5, 95 or 97"));
    EXPECT_TRUE(
        mentions(errorOf(dir, xls::compoundFile({{"Workbook", goodStream().substr(0, 20)}}).bytes),
                 "globals have no end"));
}

TEST(RobustXls, TheKindIsToldByTheContentNotTheName) {
    TempDir dir;
    // An .xls saved under an .xlsx name reads as an .xls, and the reverse.
    std::filesystem::copy_file(sourceFile("tests/data/workbooks/basic.xls"),
                               dir.file("renamed.xlsx"));
    auto xlsBook = openWorkbook(dir.file("renamed.xlsx"));
    xlsBook->selectSheet("Gau21");
    EXPECT_EQ(xlsBook->cellText(5, 6), "UAB „Šviesa“");
    {
        WorkbookBuilder builder(dir.file("renamed.xls"));
        builder.sheet("Gau21").text(5, 2, "SF-7");
        builder.save();
    }
    auto xlsxBook = openWorkbook(dir.file("renamed.xls"));
    xlsxBook->selectSheet("Gau21");
    EXPECT_EQ(xlsxBook->cellText(5, 2), "SF-7");
}
