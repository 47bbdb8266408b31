// The same workbook saved as .xls by LibreOffice (BIFF8) and Gnumeric (BIFF8, and BIFF7 under
// the Lithuanian code page) gives the same i.SAF file as the .xlsx it was made from. The files
// are made by tests/data/producers/make_producer_files.py and committed.
#include <regex>

#include "e2e/cli_runner.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"

namespace {

std::string withoutCreationTime(const std::string& xml) {
    return std::regex_replace(xml, std::regex("<FileDateCreated>[^<]*</FileDateCreated>"),
                              "<FileDateCreated/>");
}

std::string producerFile(const std::string& name) {
    return std::string(std::getenv("KOLVIRA_SOURCE_DIR")) + "/tests/data/producers/" + name;
}

class XlsProducersTest : public ::testing::Test {
  protected:
    // Runs November 2026 with a fresh settings file (the same automatic counterpart numbers).
    CliRunner::Outcome runNovember(const std::string& book) {
        std::filesystem::remove(dir.file("_nustatymai.ini"));
        std::filesystem::remove_all(dir.file("rinkmenos"));
        return cli.run({"--payer-code", "123456786", "--workplace", "PAVYZDYS", "--from",
                        "2026-11-01", "--to", "2026-11-30", "--locale", "lt_LT", book});
    }

    std::string savedFile(const std::string& book) {
        const auto outcome = runNovember(book);
        EXPECT_EQ(outcome.exitCode, 0) << book << ": " << outcome.err;
        const std::string saved = dir.file("rinkmenos/Kolvira_123456786_202611_PAVYZDYS.xml");
        expectValidIsafFile(saved);
        return withoutCreationTime(readFile(saved));
    }

    TempDir dir;
    CliRunner cli{dir};
};

const char* const kProducers[] = {"lo", "gnumeric8", "gnumeric7"};

TEST_F(XlsProducersTest, EveryProducersXlsGivesTheFileOfItsXlsx) {
    // The example; then formulas with saved dates, texts, numbers and booleans, rich text,
    // boolean cells, Lithuanian letters and the 1904 date system.
    for (const std::string name : {"example", "special"}) {
        const std::string expected = savedFile(producerFile(name + ".xlsx"));
        ASSERT_NE(expected.find("<InvoiceNo>"), std::string::npos) << name;
        for (const char* producer : kProducers) {
            EXPECT_EQ(savedFile(producerFile(name + "-" + producer + ".xls")), expected)
                << name << " by " << producer;
        }
    }
}

TEST_F(XlsProducersTest, AnErrorCellRefusesTheXlsAsTheXlsx) {
    for (const std::string file :
         {"error.xlsx", "error-lo.xls", "error-gnumeric8.xls", "error-gnumeric7.xls"}) {
        const auto outcome = runNovember(producerFile(file));
        EXPECT_EQ(outcome.exitCode, 3) << file;
        EXPECT_EQ(outcome.err, "Blogai užpildytas failas " + file + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file("rinkmenos")));
    }
}

}  // namespace
