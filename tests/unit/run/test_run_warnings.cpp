// The warnings after a saved file: each check of the catalogue on rows that must warn and on
// close rows that must not, as the window and kolvira-cli show them, cell by cell.
#include <gtest/gtest.h>

#include "run/generation_run.h"
#include "support/fake_run_host.h"
#include "support/fake_workbook.h"
#include "support/temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

class RunWarningsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host.in.workplaceName = "SANDELIS1";
        host.in.payerCode = "123456786";
        host.in.payerCount = 1;
        host.in.workbookPath = dir.file("knyga.xlsx");
        writeFile(host.in.workbookPath, "");  // there; the fake connection reads it
        host.in.workbookFileName = "knyga.xlsx";
        host.in.period = {{2024, 1, 1}, {2024, 1, 31}};
        host.in.today = {2024, 2, 10};
        host.output = dir.path() + "rinkmenos";
    }

    // A purchase row of a single-rate sheet: date, number, type, registration date, VAT code,
    // name, company code, country, taxable value, VAT amount.
    void purchase(const char* sheet, int row, Lines cells) { book.setRow(sheet, row, cells); }

    // The warnings shown after the saved message, the heading first; none when no box came.
    Lines warnings() {
        const RunResult result = host.run(settings, book.opener(), exporter);
        EXPECT_EQ(result.outcome, RunOutcome::Saved)
            << (host.messages.empty() ? std::string() : host.messages.back().text);
        EXPECT_EQ(result.warnings.count(), host.warnings.empty() ? 0 : host.warnings.size() - 1);
        return host.warnings;
    }

    TempDir dir;
    ProfileFile settings{dir.file("_nustatymai.ini")};
    FakeRunHost host;
    FakeWorkbook book = FakeWorkbook::withAllSheets();
    Exporter exporter = [](const InvoiceBook&, const RunInputs&, Progress&) {
        return std::string("/out/file.xml");
    };
};

const Lines kAlfa = {"LT100000019", "UAB Alfa", "110000003", ""};

Lines row(const std::string& date, const std::string& number, const Lines& counterpart,
          const std::string& value = "100", const std::string& vat = "21",
          const std::string& type = "SF", const std::string& registered = "2024-01-05") {
    Lines cells{date, number, type, registered};
    cells.insert(cells.end(), counterpart.begin(), counterpart.end());
    cells.push_back(value);
    cells.push_back(vat);
    return cells;
}

TEST_F(RunWarningsTest, CleanWorkbookShowsNoBoxAndTheSavedMessageComesFirst) {
    purchase("Gau21", 5, row("2024-01-05", "AB-12", kAlfa));
    purchase("Gau21", 6, row("2024-01-06", "AB-13", kAlfa));  // one digit apart: no duplicate
    EXPECT_TRUE(warnings().empty());
    EXPECT_EQ(host.events, (Lines{"busy", "saved", "idle"}));

    // The payer's own code is checked too, and the box follows the saved message.
    host.events.clear();
    host.in.payerCode = "123456789";
    EXPECT_EQ(warnings(), (Lines{"Įspėjimai:",
                                 "Mokėtojo įmonės kodo 123456789 kontrolinis skaitmuo neteisingas "
                                 "(pagal kitus skaitmenis turėtų būti 6)"}));
    EXPECT_EQ(host.events, (Lines{"busy", "saved", "warnings", "idle"}));
}

TEST_F(RunWarningsTest, DuplicatesAndNrAreFoundAsTheTaxOfficeComparesNumbers) {
    purchase("Gau21", 5, row("2024-01-05", "AB-12", kAlfa));
    purchase("Gau21", 6, row("2024-01-06", "AB-13", kAlfa));
    purchase("Gau21", 16, row("2024-01-06", "AC-12", kAlfa));  // one letter apart
    // The same supplier (by VAT code) and number on another sheet, written otherwise.
    purchase("Gau9", 5, row("2024-01-07", "ab 12.", kAlfa, "100", "9"));
    // The same number from another supplier, and from a customer: not duplicates.
    purchase("Gau21", 7, row("2024-01-08", "AB12", {"LT100000115", "UAB Beta", "", ""}));
    book.setRow(
        "Isr21", 5,
        {"2024-01-09", "AB/12", "SF", "LT100000019", "UAB Alfa", "110000003", "", "100", "21"});
    // Without codes, the name decides without regard to case, Lithuanian letters included.
    purchase("Gau21", 8, row("2024-01-10", "K-1", {"", "Ąžuolas", "", ""}));
    purchase("Gau21", 9, row("2024-01-11", "k1", {"", "ĄŽUOLAS", "", ""}));
    // The company code decides before the name.
    purchase("Gau21", 10, row("2024-01-12", "K-1", {"", "Ąžuolas", "300000053", ""}));
    // "Nr" before a full stop, a blank or a digit, in any case; not inside a word.
    purchase("Gau21", 11, row("2024-01-13", "Nr.5", kAlfa));
    purchase("Gau21", 12, row("2024-01-13", "SF nr 7", kAlfa));
    purchase("Gau21", 13, row("2024-01-13", "NR8", kAlfa));
    purchase("Gau21", 14, row("2024-01-13", "NRD-9", kAlfa));
    purchase("Gau21", 15, row("2024-01-13", "UNRA-1", kAlfa));

    EXPECT_EQ(warnings(),
              (Lines{"Įspėjimai:",
                     "Gau21 lapas -> B9  galimas dublikatas: tas pats tiekėjas ir numeris „K1“ "
                     "(lyginant tik raides ir skaitmenis) kaip Gau21 lapas -> B8",
                     "Gau21 lapas -> B11  numeryje „Nr.5“ yra „Nr“: jo rašyti nerekomenduojama "
                     "(ne ABC Nr.123, o ABC123)",
                     "Gau21 lapas -> B12  numeryje „SF nr 7“ yra „Nr“: jo rašyti "
                     "nerekomenduojama (ne ABC Nr.123, o ABC123)",
                     "Gau21 lapas -> B13  numeryje „NR8“ yra „Nr“: jo rašyti nerekomenduojama "
                     "(ne ABC Nr.123, o ABC123)",
                     "Gau9 lapas -> B5  galimas dublikatas: tas pats tiekėjas ir numeris „AB12“ "
                     "(lyginant tik raides ir skaitmenis) kaip Gau21 lapas -> B5"}));
}

TEST_F(RunWarningsTest, CodesAreCheckedByTheirCheckDigitsAndPrefixes) {
    // Right codes, the check digit of the second pass and the one that falls back to 0
    // included: no warning.
    purchase("Gau21", 5, row("2024-01-05", "A1", kAlfa));
    purchase("Gau21", 6, row("2024-01-05", "A2", {"LT100001414", "UAB Gama", "300000053", "LT"}));
    purchase("Gau21", 7, row("2024-01-05", "A3", {"lt100001234510", "UAB Delta", "300001280", ""}));
    purchase("Gau21", 8, row("2024-01-05", "A4", {"", "Jonas", "38001010015", "LT"}));
    purchase("Gau21", 9, row("2024-01-05", "A5", {"DE811234567", "Holz GmbH", "", "DE"}));
    purchase("Gau21", 10, row("2024-01-05", "A6", {"EL094014201", "Elia AE", "", "GR"}));
    // A foreign counterpart's register number is its state's business: not judged.
    purchase("Gau21", 11, row("2024-01-05", "A7", {"", "SIA Koks", "110000001", "LV"}));
    // A prefix outside the EU says nothing about the country.
    purchase("Gau21", 12, row("2024-01-05", "A8", {"NO123456789", "Fisk AS", "", "SE"}));

    // Wrong ones, each a digit or a letter off a right one.
    purchase("Gau21", 13, row("2024-01-05", "B1", {"", "UAB Alfa", "110000001", ""}));
    purchase("Gau21", 14, row("2024-01-05", "B2", {"", "Jonas", "38001010016", "LT"}));
    purchase("Gau21", 15, row("2024-01-05", "B3", {"LT100000018", "UAB Alfa", "", ""}));
    purchase("Gau21", 16, row("2024-01-05", "B4", {"LT100000029", "UAB Alfa", "", ""}));
    purchase("Gau21", 17, row("2024-01-05", "B5", {"LT10000001", "UAB Alfa", "", ""}));
    purchase("Gau21", 18, row("2024-01-05", "B6", {"LT10000001A", "UAB Alfa", "", ""}));
    purchase("Gau21", 19, row("2024-01-05", "B7", {"DE811234567", "Holz GmbH", "", "AT"}));
    purchase("Gau21", 20, row("2024-01-05", "B8", {"EL094014201", "Elia AE", "", "CY"}));
    book.setRow(
        "Isr21", 5,
        {"2024-01-05", "S1", "SF", "LT100000019", "UAB Alfa", "110000003", "LV", "100", "21"});

    EXPECT_EQ(warnings(),
              (Lines{"Įspėjimai:",
                     "Gau21 lapas -> G13  įmonės kodo 110000001 kontrolinis skaitmuo neteisingas "
                     "(pagal kitus skaitmenis turėtų būti 3)",
                     "Gau21 lapas -> G14  asmens kodo 38001010016 kontrolinis skaitmuo "
                     "neteisingas (pagal kitus skaitmenis turėtų būti 5)",
                     "Gau21 lapas -> E15  PVM mokėtojo kodo LT100000018 kontrolinis skaitmuo "
                     "neteisingas (pagal kitus skaitmenis turėtų būti 9)",
                     "Gau21 lapas -> E16  PVM mokėtojo kodas LT100000029 neteisingas: "
                     "priešpaskutinis skaitmuo turi būti 1",
                     "Gau21 lapas -> E17  PVM mokėtojo kodas LT10000001 neteisingas: po LT turi "
                     "būti 9 arba 12 skaitmenų",
                     "Gau21 lapas -> E18  PVM mokėtojo kodas LT10000001A neteisingas: po LT "
                     "turi būti 9 arba 12 skaitmenų",
                     "Gau21 lapas -> H19  šalies kodas AT nesutampa su PVM mokėtojo kodo "
                     "DE811234567 priešdėliu DE",
                     "Gau21 lapas -> H20  šalies kodas CY nesutampa su PVM mokėtojo kodo "
                     "EL094014201 priešdėliu EL (Graikija, šalies kodas GR)",
                     "Isr21 lapas -> G5  šalies kodas LV nesutampa su PVM mokėtojo kodo "
                     "LT100000019 priešdėliu LT"}));
}

TEST_F(RunWarningsTest, AmountsTypesAndDatesAreJudgedWithTheirMargins) {
    host.in.today = {2024, 1, 20};
    // VAT against the rate: 0.05 € off is rounding; 0.06 € off is not, unless it is within
    // 0.5 % of the expected amount.
    purchase("Gau21", 5, row("2024-01-05", "V1", kAlfa, "100,00", "21,05"));
    purchase("Gau21", 6, row("2024-01-05", "V2", kAlfa, "1000", "210,06"));
    purchase("Gau21", 7, row("2024-01-05", "V3", kAlfa, "10", "2,16"));
    purchase("Gau21", 8, row("2024-01-05", "V4", kAlfa, "-100", "-21,06"));
    purchase("Gau9", 5, row("2024-01-05", "V5", kAlfa, "100", "21"));  // 9 % was due
    // A multi-rate row names the VAT cell of its line: the second line's is M.
    book.setRow("GauKom", 5,
                {"2024-01-05", "V6", "SF", "2024-01-05", "LT100000019", "UAB Alfa", "110000003", "",
                 "100", "21", "PVM1", "100", "21", "PVM2"});
    // Credit notes below zero, debit notes above: the other way round warns.
    purchase("Gau21", 9, row("2024-01-05", "K1", kAlfa, "-100", "-21", "KS"));
    purchase("Gau21", 10, row("2024-01-05", "K2", kAlfa, "100", "21", "KS"));
    purchase("Gau21", 11, row("2024-01-05", "D1", kAlfa, "100", "21", "DS"));
    purchase("Gau21", 12, row("2024-01-05", "D2", kAlfa, "-100", "-21", "DS"));
    // Dated before the period: registered on its first day when D is empty.
    purchase("Gau21", 13, row("2023-12-20", "L1", kAlfa, "100", "21", "SF", "2024-01-03"));
    purchase("Gau21", 14, row("2023-12-20", "L2", kAlfa, "100", "21", "SF", ""));
    purchase("Gau21", 15, row("2024-01-02", "L3", kAlfa, "100", "21", "SF", ""));
    // Today is no warning; a day later is.
    purchase("Gau21", 16, row("2024-01-20", "F1", kAlfa, "100", "21", "SF", "2024-01-20"));
    purchase("Gau21", 17, row("2024-01-21", "F2", kAlfa, "100", "21", "SF", "2024-01-22"));
    book.setRow(
        "Isr21", 5,
        {"2024-01-25", "S1", "SF", "LT100000019", "UAB Alfa", "110000003", "", "100", "21"});

    EXPECT_EQ(
        warnings(),
        (Lines{"Įspėjimai:", "Gau21 lapas -> J7  PVM suma 2,16 €, o 21 % nuo 10,00 € yra 2,10 €",
               "Gau21 lapas -> C10  kreditinė sąskaita (KS), bet apmokestinamoji vertė "
               "teigiama (100,00 €)",
               "Gau21 lapas -> C12  debetinė sąskaita (DS), bet apmokestinamoji vertė neigiama "
               "(-100,00 €)",
               "Gau21 lapas -> D14  sąskaita išrašyta 2023-12-20, anksčiau nei laikotarpis, o "
               "registravimo data neįrašyta: įtraukta kaip įregistruota 2024-01-01; įrašykite "
               "tikrąją datą, kad kito laikotarpio rinkmenoje sąskaita nepasikartotų",
               "Gau21 lapas -> A17  sąskaitos data 2024-01-21 vėlesnė nei šiandien (2024-01-20)",
               "Gau21 lapas -> D17  registravimo data 2024-01-22 vėlesnė nei šiandien "
               "(2024-01-20)",
               "Gau9 lapas -> J5  PVM suma 21,00 €, o 9 % nuo 100,00 € yra 9,00 €",
               "GauKom lapas -> M5  PVM suma 21,00 €, o 9 % nuo 100,00 € yra 9,00 €",
               "Isr21 lapas -> A5  sąskaitos data 2024-01-25 vėlesnė nei šiandien (2024-01-20)"}));
}

}  // namespace
