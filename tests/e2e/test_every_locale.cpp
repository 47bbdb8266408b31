// The example workbook under every locale Qt knows: the core in-process with the regional
// settings the front ends build from each locale, and kolvira-cli under a few whose number and
// date forms once broke the file. Every one gives the Lithuanian file (its creation time aside).
#include <gtest/gtest.h>
#include <QLocale>

#include <chrono>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <tuple>

#include "base/progress.h"
#include "e2e/cli_runner.h"
#include "frontend/locale_settings.h"
#include "invoices/conversions.h"
#include "invoices/sheet_readers.h"
#include "isaf/export_xml.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"

namespace {

std::string sourceFile(const std::string& relative) {
    return std::string(std::getenv("KOLVIRA_SOURCE_DIR")) + "/" + relative;
}

const std::string kExample = "examples/Kolvira_pavyzdys.xlsx";

// Automatic counterpart numbers from 1, as with a fresh settings file.
class FreshNumbers : public CounterpartNumbers {
  public:
    std::string issue() override { return std::to_string(++last_); }

  private:
    int last_ = 0;
};

// The example's November 2026 file, built in memory under these regional settings; empty
// when a cell was refused.
std::string exampleFileUnder(const RegionalSettings& regional, std::string& errors) {
    const Period period{Date{2026, 11, 1}, Date{2026, 11, 30}};
    const auto workbook = openWorkbook(sourceFile(kExample));
    SilentProgress progress;
    InvoiceBook book;
    ErrorList errorList;
    FreshNumbers numbers;
    SheetReading reading{*workbook, period, regional, progress, book, errorList, numbers};
    for (int sheet = 1; sheet <= 12; ++sheet) {
        (sheet <= 6 ? readPurchaseSheet : readSalesSheet)(reading, sheet);
    }
    if (errorList.hasEntries()) {
        errors = errorList.text();
        return {};
    }
    IsafDocument document(progress);
    const IsafFileInfo info{"123456786", "PAVYZDYS", period, "1.0"};
    assembleIsafDocument(document, book, info, std::chrono::system_clock::time_point{});
    return document.bytes();
}

std::string withoutCreationTime(const std::string& xml) {
    return std::regex_replace(xml, std::regex("<FileDateCreated>[^<]*</FileDateCreated>"),
                              "<FileDateCreated/>");
}

TEST(EveryLocale, TheExampleGivesTheLithuanianFileInProcess) {
    std::string errors;
    const std::string lithuanian = exampleFileUnder(lithuanianSettings(), errors);
    ASSERT_FALSE(lithuanian.empty()) << errors;
    TempDir dir;
    writeFile(dir.file("example.xml"), lithuanian);
    expectValidIsafFile(dir.file("example.xml"));

    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 300);
    // The core sees a locale only through its regional settings, and many locales share them:
    // each distinct one is run once, for the locales that have it.
    std::map<std::tuple<std::string, std::string, std::string, std::string>, std::string> distinct;
    std::set<std::string> decimalSeparators;
    for (const QLocale& locale : locales) {
        const RegionalSettings r = regionalSettingsFrom(locale);
        distinct[{r.decimalSeparator, r.thousandsSeparator, r.shortDateFormat, r.dateSeparator}] +=
            locale.name().toStdString() + " ";
        decimalSeparators.insert(r.decimalSeparator);
    }
    for (const auto& [settings, names] : distinct) {
        const auto& [decimal, thousands, dateFormat, dateSeparator] = settings;
        const std::string file = exampleFileUnder(
            RegionalSettings{decimal, thousands, dateFormat, dateSeparator}, errors);
        ASSERT_EQ(file, lithuanian) << names << ": " << errors;
    }
    // The locales did differ where it matters: "٫", "," and "." as decimal separators, and
    // date forms of every order, right-to-left marks included.
    EXPECT_GE(decimalSeparators.size(), 3u);
    // A date typed as text reads under its own locale's form; the right-to-left marks of the
    // Arabic short date are no separator.
    const auto typed = readCellDate("5/1/2026", regionalSettingsFrom(QLocale("ar_EG")));
    EXPECT_EQ(typed, (Date{2026, 1, 5}));
    EXPECT_GT(distinct.size(), 40u);
}

TEST(EveryLocale, KolviraCliGivesTheSameFileUnderLocalesThatOnceBrokeIt) {
    TempDir dir;
    const CliRunner cli(dir);
    const std::string expected = readFile(sourceFile("tests/data/golden/example_cli.xml"));
    for (const char* locale : {"lt_LT", "fa_IR", "ps_AF", "ar_EG", "en_US", "C"}) {
        std::filesystem::remove(dir.file("_nustatymai.ini"));  // the same automatic numbers
        const auto result =
            cli.run({"--payer-code", "123456786", "--workplace", "PAVYZDYS", "--from", "2026-11-01",
                     "--to", "2026-11-30", "--locale", locale, sourceFile(kExample)});
        ASSERT_EQ(result.exitCode, 0) << locale << ": " << result.err;
        const std::string saved = dir.file("rinkmenos/Kolvira_123456786_202611_PAVYZDYS.xml");
        EXPECT_EQ(withoutCreationTime(readFile(saved)), expected) << locale;
        expectValidIsafFile(saved);
    }
}

}  // namespace
