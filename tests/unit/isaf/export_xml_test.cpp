#include "isaf/export_xml.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "base/profile_file.h"
#include "invoices/conversions.h"
#include "run/generation_run.h"
#include "support/fake_run_host.h"
#include "support/fake_workbook.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono;

const system_clock::time_point kCreated =
    sys_days{year{2024} / 3 / 1} + hours{14} + minutes{5} + seconds{9};

const UtcClock kFixedClock = [] { return kCreated; };

IsafFileInfo fileInfo(const RunInputs& in) {
    return {in.payerCode, in.workplaceName, in.period, in.programVersion};
}

// Writes the file into the host's output folder and tells the host, as a run does.
std::string saveIsafFile(const InvoiceBook& store, const RunInputs& inputs, FakeRunHost& host,
                         const UtcClock& clock) {
    const std::string path = writeIsafFile(store, fileInfo(inputs), host.output, host, clock);
    host.showSaved(path);
    return path;
}

RunInputs runInputs(const std::string& workplace) {
    RunInputs in;
    in.payerCode = "123456786";
    in.workplaceName = workplace;
    in.period = {Date{2024, 1, 15}, Date{2024, 2, 14}};
    in.programVersion = "1.0.0";
    return in;
}

const std::vector<std::string> kAlfa{"UAB Alfa", "110000003", "LT100000019", "110000003", "LT"};
const std::vector<std::string> kBeta{"Beta", "ND", "ND", "1", ""};
const std::vector<std::string> kGama{"Gama", "300000001", "ND", "300000001", "LV"};
const std::vector<std::string> kDelta{"Delta", "ND", "LT200000017", "200000002", "LT"};
const std::vector<std::string> kZeta{"UAB Zeta", "120000005", "LT120000012", "120000005", "LT"};
const std::vector<std::string> kEpsilon{"Epsilon", "ND", "ND", "2", ""};

Counterpart counterpartOf(const std::vector<std::string>& fields) {
    return Counterpart{fields[0], fields[1], fields[2], fields[3], fields[4]};
}

Money money(const std::string& text) {
    return readRoundedAmount(text, lithuanianSettings()).value();
}

// Invoice date, number, type, [registration date,] the counterpart, then the tax fields as
// the sheet gives them: value, VAT amount, code and the sheet's rate for a single-rate
// invoice, five lines of value, VAT amount and code for a multi-rate one.
void addInvoice(Ledger& ledger, const std::vector<std::string>& head,
                const std::vector<std::string>& counterpart, const std::vector<std::string>& tax) {
    Invoice& invoice = ledger.invoices.emplace_back();
    invoice.counterpart = ledger.counterparts.add(counterpartOf(counterpart));
    invoice.date = *readPatternDate(head[0]);
    invoice.number = head[1];
    invoice.type = head[2];
    if (head.size() > 3) {
        invoice.registrationDate = *readPatternDate(head[3]);
    }
    invoice.multiRate = tax.size() > 4;
    for (size_t first = 0; first + 2 < tax.size(); first += 3) {
        TaxLine line{
            money(tax[first]),
            tax[first + 1].empty() ? std::nullopt : std::optional<Money>(money(tax[first + 1])),
            tax[first + 2]};
        if (!invoice.multiRate || !line.code.empty()) {
            invoice.lines.push_back(line);
        }
    }
    if (!invoice.multiRate && !tax[3].empty()) {
        invoice.sheetRate = static_cast<std::int8_t>(std::stoi(tax[3]));
    }
}

InvoiceBook purchaseStore() {
    InvoiceBook book;
    Ledger& purchases = book.purchases;
    for (const auto& supplier : {kAlfa, kBeta, kGama, kDelta}) {
        purchases.counterparts.add(counterpartOf(supplier));
    }
    addInvoice(purchases, {"2024-01-20", "SF-001", "SF", "2024-01-20"}, kAlfa,
               {"1234,50", "259,25", "PVM1", "21"});
    addInvoice(purchases, {"2024-01-25", "KS-7", "KS", "2024-02-01"}, kAlfa,
               {"-10,00", "-0,90", "PVM2", "9"});
    // Gau0 with its tax code left empty.
    addInvoice(purchases, {"2024-02-03", "G0-1", "SF", "2024-02-03"}, kGama, {"0,00", "", "", "0"});
    // Gau-: no VAT amount, no rate.
    addInvoice(purchases, {"2024-01-16", "B-2", "SF", "2024-01-16"}, kBeta,
               {"100,00", "", "PVM5", ""});
    // Tax codes on lines 1 and 3 only.
    addInvoice(purchases, {"2024-01-18", "K-1", "SF", "2024-01-19"}, kDelta,
               {"100,00", "21,00", "PVM1", "0,00", "", "", "50,00", "2,50", "PVM3", "0,00", "", "",
                "0,00", "", ""});
    addInvoice(purchases, {"2024-02-10", "K-2", "SF", "2024-02-10"}, kAlfa,
               {"10,00", "0,90", "PVM2", "20,00", "", "PVM12", "30,00", "", "PVM5", "40,00", "",
                "PVM100", "50,00", "10,50", "PVM49"});
    return book;
}

InvoiceBook salesStore() {
    InvoiceBook book;
    Ledger& sales = book.sales;
    sales.counterparts.add(counterpartOf(kZeta));
    sales.counterparts.add(counterpartOf(kEpsilon));
    addInvoice(sales, {"2024-01-31", "S-1", "SF"}, kZeta, {"200,00", "42,00", "PVM1", "21"});
    addInvoice(sales, {"2024-01-15", "S-2", "SF"}, kEpsilon, {"50,00", "", "PVM5", ""});
    addInvoice(sales, {"2024-01-20", "S-3", "SF"}, kZeta,
               {"100,00", "21,00", "PVM1", "20,00", "1,80", "PVM2", "0,00", "", "", "0,00", "", "",
                "0,00", "", ""});
    return book;
}

// Names and numbers holding markup; two suppliers and one customer.
InvoiceBook escapingStore() {
    const std::vector<std::string> ab{"A & B <C>", "130000007", "LT130000014", "130000007", "LT"};
    const std::vector<std::string> xy{"X &amp; Y", "ND", "ND", "3", "EE"};
    const std::vector<std::string> oak{"Ąžuolas \"Ūkis\"", "140000009", "ND", "140000009", "LT"};
    InvoiceBook book;
    addInvoice(book.purchases, {"2024-01-22", "SF<1>&2", "SF", "2024-01-22"}, ab,
               {"10,00", "2,10", "PVM1", "21"});
    addInvoice(book.purchases, {"2024-01-23", "N&amp;1", "DS", "2024-01-23"}, xy,
               {"5,00", "0,25", "PVM3", "5"});
    addInvoice(book.sales, {"2024-02-14", "S>1", "VS"}, oak, {"1,00", "0,21", "PVM1", "21"});
    return book;
}

std::string sourceDir() {
    const char* dir = std::getenv("KOLVIRA_SOURCE_DIR");
    return dir == nullptr ? std::string() : std::string(dir);
}

// Saves the store, checks the file against the schema and compares it byte for byte with the
// expected file. KOLVIRA_UPDATE_GOLDEN=1 rewrites the expected file instead, for review.
void expectGolden(const InvoiceBook& store, const RunInputs& inputs, const std::string& fileName,
                  const std::string& golden) {
    TempDir dir;
    FakeRunHost host;
    host.output = dir.path() + "rinkmenos";
    const std::string path = saveIsafFile(store, inputs, host, kFixedClock);
    EXPECT_EQ(path, dir.path() + "rinkmenos/" + fileName);
    EXPECT_EQ(host.savedPath, path);
    expectValidIsafFile(path);

    const std::string goldenPath = sourceDir() + "/tests/data/golden/" + golden;
    if (std::getenv("KOLVIRA_UPDATE_GOLDEN") != nullptr) {
        writeFile(goldenPath, readFile(path));
    }
    ASSERT_TRUE(std::filesystem::exists(goldenPath)) << goldenPath;
    EXPECT_EQ(readFile(path), readFile(goldenPath)) << golden;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

}  // namespace

TEST(IsafFileWriter, PurchaseOnlyGolden) {
    expectGolden(purchaseStore(), runInputs("SANDELIS1"), "Kolvira_123456786_202401_SANDELIS1.xml",
                 "purchase_only.xml");
}

TEST(IsafFileWriter, SalesOnlyWithoutWorkplaceGolden) {
    // Outside a run the workplace may be empty: PartNumber 1, the file name keeps the gap.
    expectGolden(salesStore(), runInputs(""), "Kolvira_123456786_202401_.xml",
                 "sales_only_no_workplace.xml");
}

TEST(IsafFileWriter, EscapingBothSidesGolden) {
    RunInputs inputs = runInputs("KAUNO_DEP");
    inputs.programVersion = "3.1.4-rc.2+build.20240301.1234";  // beyond the schema's 24
    expectGolden(escapingStore(), inputs, "Kolvira_123456786_202401_KAUNO_DEP.xml",
                 "both_sides_escaping.xml");
}

TEST(IsafFileWriter, HeaderTakesUtcTimeAndCleansOutsideValues) {
    // Local time 14 hours ahead of UTC: a writer using local time would show 04:05:09 next day.
    const char* oldZone = std::getenv("TZ");
    const std::string savedZone = oldZone == nullptr ? "" : oldZone;
    setenv("TZ", "<+14>-14", 1);
    tzset();

    RunInputs inputs = runInputs("SANDELIS1");
    inputs.payerCode = std::string("12345\x01") + "6789";
    inputs.programVersion = "2&3\x02<4>";
    FakeRunHost host;
    IsafDocument document(host);
    assembleIsafDocument(document, salesStore(), fileInfo(inputs), kCreated);

    if (oldZone == nullptr) {
        unsetenv("TZ");
    } else {
        setenv("TZ", savedZone.c_str(), 1);
    }
    tzset();

    const auto& lines = document.lines();
    ASSERT_GT(lines.size(), 16u);
    EXPECT_EQ(lines[5], "      <FileDateCreated>2024-03-01T14:05:09Z</FileDateCreated>");
    EXPECT_EQ(lines[9], "      <SoftwareVersion>2&amp;3&lt;4&gt;</SoftwareVersion>");
    EXPECT_EQ(lines[10], "      <RegistrationNumber>123456789</RegistrationNumber>");
    EXPECT_EQ(lines[14], "        <SelectionStartDate>2024-01-15</SelectionStartDate>");
    EXPECT_EQ(lines[15], "        <SelectionEndDate>2024-02-14</SelectionEndDate>");
}

TEST(IsafFileWriter, ProgressCustomersFirstThenInvoicesAndSavedMessage) {
    TempDir dir;
    FakeRunHost host;
    host.output = dir.path() + "rinkmenos/";  // with the separator this time
    const std::string path =
        saveIsafFile(escapingStore(), runInputs("KAUNO_DEP"), host, kFixedClock);
    expectValidIsafFile(path);
    EXPECT_EQ(host.statuses, (std::vector<std::string>{
                                 "Iš viso: 3", "Eksportuojame 1 įrašą", "Eksportuojame 1 įrašą",
                                 "Eksportuojame 2 įrašą", "Iš viso: 3", "Eksportuojame 1 įrašą",
                                 "Eksportuojame 2 įrašą", "Eksportuojame 1 įrašą", ""}));
    EXPECT_EQ(host.progressSteps, 0);
    EXPECT_EQ(host.events, std::vector<std::string>{"saved"});
    EXPECT_EQ(host.savedPath, path);
    const std::string content = readFile(path);
    EXPECT_LT(content.find("<Customers>"), content.find("<Suppliers>"));
    EXPECT_EQ(content.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(content.substr(content.size() - 13), "</iSAFFile>\r\n");
}

TEST(IsafFileWriter, ReplacesAnEarlierFileAndLeavesNothingElse) {
    TempDir dir;
    FakeRunHost host;
    host.output = dir.path() + "rinkmenos";
    const std::string first = saveIsafFile(salesStore(), runInputs("A1"), host, kFixedClock);
    const std::string second = saveIsafFile(purchaseStore(), runInputs("A1"), host, kFixedClock);
    EXPECT_EQ(first, second);
    expectValidIsafFile(second);
    EXPECT_NE(readFile(second).find("<PurchaseInvoices>"), std::string::npos);
    EXPECT_EQ(readFile(second).find("<SalesInvoices>"), std::string::npos);
    EXPECT_EQ(folderEntries(host.output),
              std::vector<std::string>{"Kolvira_123456786_202401_A1.xml"});
}

TEST(IsafFileWriter, SchemaCapsStopTheRunBeforeAnythingIsWritten) {
    EXPECT_NO_THROW(checkSchemaCaps(500000, 500000, 500000, 500000));
    const std::vector<std::pair<std::vector<size_t>, std::string>> beyond{
        {{500001, 0, 0, 0}, "tiekėjų"},
        {{0, 500001, 0, 0}, "pirkėjų"},
        {{0, 0, 500001, 0}, "gautų sąskaitų faktūrų"},
        {{0, 0, 0, 500001}, "išrašytų sąskaitų faktūrų"},
    };
    for (const auto& [sizes, section] : beyond) {
        try {
            checkSchemaCaps(sizes[0], sizes[1], sizes[2], sizes[3]);
            ADD_FAILURE() << section << " beyond the cap passed";
        } catch (const IsafFileError& failure) {
            EXPECT_EQ(failure.reason(), IsafFileError::Reason::BeyondSchemaCaps);
            const std::string text = failure.what();
            EXPECT_NE(text.find(section), std::string::npos) << text;
            EXPECT_NE(text.find("500 000"), std::string::npos) << text;
        }
    }

    // The sales single-rate and multi-rate invoices share one section.
    TempDir dir;
    FakeRunHost host;
    host.output = dir.path() + "rinkmenos";
    InvoiceBook store = salesStore();
    store.sales.invoices.resize(500001, store.sales.invoices.front());
    EXPECT_THROW(saveIsafFile(store, runInputs("A1"), host, kFixedClock), IsafFileError);
    EXPECT_FALSE(std::filesystem::exists(host.output));
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_TRUE(host.events.empty());
}

TEST(IsafFileWriter, FolderThatCannotBeMadeIsTheRunsFailure) {
    TempDir dir;
    FakeRunHost host;
    host.output = dir.path() + "rinkmenos";
    writeFile(host.output, "a file where the folder should be");
    try {
        saveIsafFile(salesStore(), runInputs("A1"), host, kFixedClock);
        ADD_FAILURE() << "saved into a file";
    } catch (const IsafFileError& failure) {
        EXPECT_EQ(failure.reason(), IsafFileError::Reason::NotWritable);
        EXPECT_NE(std::string(failure.what()).find(host.output), std::string::npos);
    }
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(readFile(host.output), "a file where the folder should be");
}

// The file system refuses writes beyond 1 KiB for as long as it lives; root ignores folder
// permissions, but not this.
class FileSizeLimit {
  public:
    FileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = 1024;
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    sighandler_t oldHandler_ = nullptr;
};

TEST(IsafFileWriter, FailedWriteLeavesTheEarlierFileWholeAndTheRunSaysSo) {
    TempDir dir;
    FakeRunHost host;
    host.in = runInputs("A1");
    host.in.payerCount = 1;
    host.in.workbookPath = dir.file("knyga.xlsx");
    writeFile(host.in.workbookPath, "");  // there; the fake connection reads it
    host.in.workbookFileName = "knyga.xlsx";
    host.output = dir.path() + "rinkmenos";
    std::filesystem::create_directory(host.output);
    const std::string target = host.output + "/Kolvira_123456786_202401_A1.xml";
    writeFile(target, "earlier file");
    FakeWorkbook book = FakeWorkbook::withAllSheets();
    book.setRow(
        "Isr21", 5,
        {"2024-01-20", "S-1", "SF", "LT120000012", "UAB Zeta", "120000005", "LT", "100", "21", ""});
    const ProfileFile settings(dir.file("_nustatymai.ini"));

    RunResult result;
    {
        const FileSizeLimit limit;
        result = host.run(settings, book.opener(), exportIsafFile);
    }
    EXPECT_EQ(result.outcome, RunOutcome::OutputNotWritable);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(host.messages[0].text.rfind("Nepavyko išsaugoti i.SAF failo.\r\n", 0), 0u)
        << host.messages[0].text;
    EXPECT_NE(host.messages[0].text.find(target), std::string::npos);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "saved"), 0);
    EXPECT_EQ(readFile(target), "earlier file");
    EXPECT_EQ(folderEntries(host.output),
              std::vector<std::string>{"Kolvira_123456786_202401_A1.xml"});

    // Without the limit the same run saves the file over the earlier one.
    host.messages.clear();
    result = host.run(settings, book.opener(), exportIsafFile);
    EXPECT_EQ(result.outcome, RunOutcome::Saved);
    EXPECT_EQ(result.savedPath, target);
    EXPECT_TRUE(host.messages.empty());
    expectValidIsafFile(target);
}

TEST(SchemaCheck, RejectsAFileTheSchemaForbids) {
    const std::string golden = sourceDir() + "/tests/data/golden/purchase_only.xml";
    if (!validateAgainstSchema(golden).schemaFound) {
        GTEST_SKIP() << "i.SAF schema not found";
    }
    EXPECT_TRUE(validateAgainstSchema(golden).valid);
    TempDir dir;
    std::string content = readFile(golden);
    const std::string nil = "<TaxCode xsi:nil=\"true\"/>";
    content.replace(content.find(nil), nil.size(), "<TaxCode></TaxCode>");
    writeFile(dir.file("empty_tax_code.xml"), content);
    const SchemaCheck check = validateAgainstSchema(dir.file("empty_tax_code.xml"));
    EXPECT_FALSE(check.valid);
    EXPECT_NE(check.output.find("TaxCode"), std::string::npos) << check.output;
}

TEST(IsafFileWriter, ReadOnlyOutputFolderLeavesTheEarlierFileWhole) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root; the size-limit test covers the failure";
    }
    TempDir dir;
    FakeRunHost host;
    host.output = dir.path() + "rinkmenos";
    std::filesystem::create_directory(host.output);
    const std::string target = host.output + "/Kolvira_123456786_202401_A1.xml";
    writeFile(target, "earlier file");
    chmod(host.output.c_str(), 0555);
    EXPECT_THROW(saveIsafFile(purchaseStore(), runInputs("A1"), host, kFixedClock), IsafFileError);
    chmod(host.output.c_str(), 0755);
    EXPECT_EQ(readFile(target), "earlier file");
    EXPECT_TRUE(host.events.empty());
}
