// libFuzzer entry point for the workbook access: any bytes as a workbook file (.xlsx or .xls,
// told by the signature), then sheets selected and cells read as the sheet readers do. Every
// failure must be a WorkbookError; anything else (a crash, a sanitizer report, another
// exception, a hang) is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "workbook/workbook_connection.h"

namespace {

const std::string& inputPath() {
    return fuzzFilePath("");
}

void readSheet(WorkbookConnection& book, const char* name) {
    try {
        book.selectSheet(name);
        for (int row = 1, empty = 0; row <= 60 && empty < 3; ++row) {
            for (int column = 1; column <= 23; ++column) {
                book.cellText(row, column);
            }
            empty = book.cellText(row, 1).empty() ? empty + 1 : 0;
        }
        book.cellText(2, 1);  // back up: the pass starts again
    } catch (const WorkbookError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(inputPath().c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    try {
        auto book = openWorkbook(inputPath());
        for (const char* name : {"Gau21", "GauKom", "Isr21", "Sheet1"}) {
            readSheet(*book, name);
        }
        book->quit();
    } catch (const WorkbookError&) {
    }
    return 0;
}
