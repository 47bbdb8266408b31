// Writes a large invoice workbook with the twelve sheets for the workbook reading benchmark:
//   make_bench_workbook OUT.xlsx [ROWS=100000] [--inline-strings]
// Rows are shared out among the sheets as in a busy company's year, data from row 5 on.
// With --inline-strings texts are written inline, as streaming writers do.
#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct SheetShare {
    const char* name;
    int percent;
    bool multiRate;
};

constexpr SheetShare kSheets[] = {
    {"Gau21", 30, false}, {"Gau9", 5, false},  {"Gau5", 3, false},   {"Gau0", 3, false},
    {"Gau-", 3, false},   {"GauKom", 6, true}, {"Isr21", 30, false}, {"Isr9", 5, false},
    {"Isr5", 3, false},   {"Isr0", 3, false},  {"Isr-", 3, false},   {"IsrKom", 6, true},
};

const char* const kNames[] = {"UAB „Šviesa“",    "Ąžuolo prekyba, MB", "AB Lietuvos energija",
                              "Jonas Petraitis", "UAB Vilniaus duona", "Kauno baldai, UAB"};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.xlsx [ROWS] [--inline-strings]\n", argv[0]);
        return 2;
    }
    const long total = argc > 2 && argv[2][0] != '-' ? std::atol(argv[2]) : 100000;
    bool inlineStrings = false;
    for (int i = 2; i < argc; ++i) {
        inlineStrings = inlineStrings || std::strcmp(argv[i], "--inline-strings") == 0;
    }
    lxw_workbook_options options = {};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(argv[1], &options);
    if (book == nullptr) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "#,##0.00");

    long serial = 0;
    for (const auto& share : kSheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, share.name);
        worksheet_write_string(sheet, 0, 0, "Pirkimų / pardavimų registras", nullptr);
        worksheet_write_string(sheet, 2, 0, "Data", nullptr);
        worksheet_write_string(sheet, 2, 1, "Numeris", nullptr);
        const long rows = total * share.percent / 100;
        for (long i = 0; i < rows; ++i, ++serial) {
            const auto row = static_cast<lxw_row_t>(4 + i);
            const double day = 44927 + static_cast<double>(serial % 365);  // 2023
            worksheet_write_number(sheet, row, 0, day, date);
            const std::string number = "SF-" + std::to_string(100000 + serial);
            worksheet_write_string(sheet, row, 1, number.c_str(), nullptr);
            if (serial % 4 == 0) {
                worksheet_write_string(sheet, row, 2, "SF", nullptr);
            }
            worksheet_write_number(sheet, row, 3, day + static_cast<double>(serial % 3), date);
            const std::string vat = "LT" + std::to_string(100000000000L + serial % 5000 * 7);
            worksheet_write_string(sheet, row, 4, vat.c_str(), nullptr);
            worksheet_write_string(sheet, row, 5, kNames[serial % 6], nullptr);
            const std::string code = std::to_string(300000000L + serial % 5000 * 11);
            worksheet_write_string(sheet, row, 6, code.c_str(), nullptr);
            worksheet_write_string(sheet, row, 7, "LT", nullptr);
            const double amount = static_cast<double>(serial * 7919 % 1000000) / 100.0;
            const int lines = share.multiRate ? 1 + static_cast<int>(serial % 5) : 1;
            for (int line = 0; line < lines; ++line) {
                const auto column = static_cast<lxw_col_t>(8 + 3 * line);
                worksheet_write_number(sheet, row, column, amount + line, money);
                worksheet_write_number(sheet, row, column + 1, (amount + line) * 0.21, money);
                worksheet_write_string(sheet, row, column + 2, "PVM1", nullptr);
            }
        }
    }
    const lxw_error result = workbook_close(book);
    if (result != LXW_NO_ERROR) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], lxw_strerror(result));
        return 1;
    }
    std::printf("%s: %ld data rows in 12 sheets\n", argv[1], serial);
    return 0;
}
