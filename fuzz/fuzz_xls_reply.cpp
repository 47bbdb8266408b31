// libFuzzer entry point for the answer of the .xls reading child: the parent must take any
// bytes a dying or confused child sends as a WorkbookError, and what it accepts must hold
// together (cells in order, inside the columns read, texts inside the answer).
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "workbook/workbook_limits.h"
#include "workbook/xls_workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    try {
        const auto sheets = decodeXlsReply(reply, "book.xls");
        std::size_t texts = 0;
        for (const auto& sheet : sheets) {
            for (size_t i = 0; i < sheet.cells.size(); ++i) {
                const auto& cell = sheet.cells[i];
                FUZZ_CHECK(cell.column < kMaxColumn);
                FUZZ_CHECK(std::size_t{cell.offset} + cell.length <= sheet.texts.size());
                FUZZ_CHECK(i == 0 || sheet.cells[i - 1].row < cell.row ||
                           (sheet.cells[i - 1].row == cell.row &&
                            sheet.cells[i - 1].column < cell.column));
            }
            texts += sheet.texts.size() + sheet.name.size();
        }
        FUZZ_CHECK(texts <= size);
    } catch (const WorkbookError&) {
    }
    return 0;
}
