// Whole workbooks through kolvira-cli: the example against its expected file, the same file
// under other regional settings, and random workbooks checked against figures recomputed from
// the rows that were written into them.
#include <cmath>
#include <random>
#include <regex>

#include "e2e/cli_runner.h"
#include "invoices/sheet_table.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

namespace {

// The creation time is the only part of the file that changes from run to run.
std::string withoutCreationTime(const std::string& xml) {
    return std::regex_replace(xml, std::regex("<FileDateCreated>[^<]*</FileDateCreated>"),
                              "<FileDateCreated/>");
}

class WholeWorkbookTest : public ::testing::Test {
  protected:
    std::string example() {
        const std::string path = dir.file("Kolvira_pavyzdys.xlsx");
        EXPECT_EQ(std::system((CliRunner::quoted(KOLVIRA_TEMPLATE_PATH) + " --example " +
                               CliRunner::quoted(path))
                                  .c_str()),
                  0);
        return path;
    }

    // Runs the November 2026 period under the given locale; the saved file's content.
    std::string runNovember(const std::string& book, const std::string& locale) {
        std::filesystem::remove(dir.file("_nustatymai.ini"));  // the same automatic numbers
        const auto result =
            cli.run({"--payer-code", "123456786", "--workplace", "PAVYZDYS", "--from", "2026-11-01",
                     "--to", "2026-11-30", "--locale", locale, book});
        EXPECT_EQ(result.exitCode, 0) << locale << ": " << result.err;
        const std::string saved = dir.file("rinkmenos/Kolvira_123456786_202611_PAVYZDYS.xml");
        expectValidIsafFile(saved);
        return readFile(saved);
    }

    TempDir dir;
    CliRunner cli{dir};
};

TEST_F(WholeWorkbookTest, ExampleGivesTheExpectedFileUnderEveryLocale) {
    const std::string book = example();
    const std::string lithuanian = runNovember(book, "lt_LT");
    const std::string goldenPath =
        std::string(std::getenv("KOLVIRA_SOURCE_DIR")) + "/tests/data/golden/example_cli.xml";
    if (std::getenv("KOLVIRA_UPDATE_GOLDEN") != nullptr) {
        writeFile(goldenPath, withoutCreationTime(lithuanian));
    }
    EXPECT_EQ(withoutCreationTime(lithuanian), readFile(goldenPath));
    // Number and date cells read back to the same values whatever the user's formats.
    EXPECT_EQ(withoutCreationTime(runNovember(book, "C")), withoutCreationTime(lithuanian));
    EXPECT_EQ(withoutCreationTime(runNovember(book, "en_US")), withoutCreationTime(lithuanian));
    EXPECT_EQ(withoutCreationTime(runNovember(book, "de_DE")), withoutCreationTime(lithuanian));
}

struct Totals {
    long invoices = 0;
    long long taxableCents = 0;
    long long vatCents = 0;
};

// Sums the invoices of one side of an i.SAF file.
Totals totalsIn(const std::string& xml, const std::string& section) {
    Totals totals;
    const size_t begin = xml.find("<" + section + ">");
    const size_t end = xml.find("</" + section + ">");
    if (begin == std::string::npos) {
        return totals;
    }
    const std::string part = xml.substr(begin, end - begin);
    for (size_t at = part.find("<Invoice>"); at != std::string::npos;
         at = part.find("<Invoice>", at + 1)) {
        ++totals.invoices;
    }
    const auto sum = [&](const std::string& element) {
        long long cents = 0;
        const std::regex pattern("<" + element + ">(-?)([0-9]+)\\.([0-9]{2})</" + element + ">");
        for (auto it = std::sregex_iterator(part.begin(), part.end(), pattern);
             it != std::sregex_iterator(); ++it) {
            const long long value = std::stoll((*it)[2]) * 100 + std::stoll((*it)[3]);
            cents += (*it)[1] == "-" ? -value : value;
        }
        return cents;
    };
    totals.taxableCents = sum("TaxableValue");
    totals.vatCents = sum("Amount");
    return totals;
}

// A workbook of random valid rows on all twelve sheets, and the figures the file must hold.
struct RandomBook {
    Totals purchases;
    Totals sales;
};

RandomBook writeRandomBook(const std::string& path, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const char* names[] = {"UAB „Ąžuolas“",       "Jonas Jonaitis",  "A & B <prekyba>",
                           "Šilas ir partneriai", "VšĮ Žalia giria", "Holz GmbH"};
    const char* types[] = {"SF", "DS", "KS", "VS", "VD", "VK", "AN", ""};
    RandomBook expected;
    WorkbookBuilder book(path);
    for (int s = 0; s < 12; ++s) {
        const bool purchase = s < 6;
        const bool multiRate = s == 5 || s == 11;
        const bool withVat = (s % 6) < 3;
        const int shift = purchase ? 0 : -1;  // sales sheets have no registration date
        Totals& side = purchase ? expected.purchases : expected.sales;
        book.sheet(std::string(kSheetNames[static_cast<size_t>(s)]));
        const int rows = pick(0, 12);
        for (int r = 0; r < rows; ++r) {
            const int row = 5 + r;
            book.date(row, 1, 2026, 11, pick(1, 30));
            book.text(
                row, 2,
                "R-" + std::to_string(seed) + "-" + std::to_string(s) + "-" + std::to_string(r));
            book.text(row, 3, types[pick(0, 7)]);
            if (purchase && pick(0, 1) == 1) {
                book.date(row, 4, 2026, 11, pick(1, 30));
            }
            if (pick(0, 2) > 0) {
                book.text(row, 5 + shift, "LT" + std::to_string(100000000 + pick(0, 899999)));
            }
            book.text(row, 6 + shift, names[pick(0, 5)]);
            if (pick(0, 1) == 1) {
                book.text(row, 7 + shift, std::to_string(300000000 + pick(0, 99999)));
            }
            const int lines = multiRate ? pick(1, 5) : 1;
            for (int line = 0; line < lines; ++line) {
                const int valueColumn = 9 + shift + line * 3;
                const long long cents = pick(-50000, 5000000);
                book.number(row, valueColumn, static_cast<double>(cents) / 100.0, "0.00");
                side.taxableCents += cents;
                if (withVat || multiRate) {
                    const long long vat = cents * 21 / 100;
                    book.number(row, valueColumn + 1, static_cast<double>(vat) / 100.0, "0.00");
                    side.vatCents += vat;
                    const int code = pick(0, 3);  // 0: the sheet's default code
                    if (code > 0 || multiRate) {
                        book.text(row, valueColumn + 2, "PVM" + std::to_string(std::max(code, 1)));
                    }
                } else {
                    book.text(row, valueColumn + 1, pick(0, 1) ? "PVM12" : "31");
                }
            }
            ++side.invoices;
        }
    }
    book.save();
    return expected;
}

TEST_F(WholeWorkbookTest, RandomWorkbooksGiveValidFilesWithTheirTotals) {
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string path = dir.file("atsitiktine.xlsx");
        const RandomBook expected = writeRandomBook(path, seed);
        const auto result =
            cli.run({"--payer-code", "123456786", "--workplace", "R1", "--from", "2026-11-01",
                     "--to", "2026-11-30", "--locale", "lt_LT", path});
        if (expected.purchases.invoices + expected.sales.invoices == 0) {
            EXPECT_EQ(result.exitCode, 4);
            continue;
        }
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const std::string saved = dir.file("rinkmenos/Kolvira_123456786_202611_R1.xml");
        expectValidIsafFile(saved);
        const std::string xml = readFile(saved);
        for (const auto& [section, want] :
             {std::pair{std::string("PurchaseInvoices"), expected.purchases},
              std::pair{std::string("SalesInvoices"), expected.sales}}) {
            const Totals got = totalsIn(xml, section);
            EXPECT_EQ(got.invoices, want.invoices) << section;
            EXPECT_EQ(got.taxableCents, want.taxableCents) << section;
            EXPECT_EQ(got.vatCents, want.vatCents) << section;
        }
    }
}

}  // namespace
