// Reads every sheet of a workbook as the sheet readers do (columns 1..23 of each row from
// row 5 on, A and I twice, until three consecutive empty A cells, as typed values) and prints the
// speed and the peak memory of the reading alone:
//   bench_workbook_read BOOK.xlsx|BOOK.xls
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "invoices/sheet_table.h"
#include "workbook/workbook_connection.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s BOOK.xlsx\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    long cells = 0;
    long rows = 0;
    size_t characters = 0;
    try {
        auto book = openWorkbook(argv[1]);
        for (const std::string_view name : kSheetNames) {
            book->selectSheet(name);
            for (int row = 5, empty = 0; empty < 3; ++row, ++rows) {
                for (int column = 1; column <= 23; ++column) {
                    characters += book->cell(row, column).text.size();
                }
                characters += book->cell(row, 9).text.size();
                empty = book->cell(row, 1).isEmpty() ? empty + 1 : 0;
                cells += 25;
            }
        }
        book->quit();
    } catch (const WorkbookError& error) {
        std::fprintf(stderr, "workbook error: %s\n", error.what());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "%ld rows, %ld cell reads (%zu characters) in %.3f s: %.0f cells/s; "
        "peak memory %.1f MiB\n",
        rows, cells, characters, seconds, static_cast<double>(cells) / seconds,
        static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
