#include <cstring>
#include <fstream>

#include "workbook/workbook_connection.h"
#include "workbook/xls_workbook.h"
#include "workbook/xlsx_workbook.h"

// The kind of workbook is told by its first bytes, not its name: files are renamed, and some
// accounting programs save HTML or XML tables under an .xls name.
std::unique_ptr<WorkbookConnection> openWorkbook(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw WorkbookError("cannot open " + path);
    }
    char head[8] = {};
    in.read(head, sizeof head);
    const auto count = static_cast<size_t>(in.gcount());
    in.close();

    static constexpr char kZip[] = {'P', 'K', 3, 4};
    static constexpr unsigned char kOle2[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (count >= sizeof kZip && std::memcmp(head, kZip, sizeof kZip) == 0) {
        return std::make_unique<XlsxWorkbook>(path);
    }
    if (count >= sizeof kOle2 && std::memcmp(head, kOle2, sizeof kOle2) == 0) {
        return std::make_unique<XlsWorkbook>(path);
    }
    if (count > 0 &&
        (head[0] == '<' || (count >= 4 && std::memcmp(head, "\xEF\xBB\xBF<", 4) == 0))) {
        throw WorkbookError(path + " is an HTML or XML file, not an .xlsx or .xls workbook; " +
                            "open it in the spreadsheet program and save it as .xlsx");
    }
    throw WorkbookError(path + " is not an .xlsx or .xls workbook");
}
