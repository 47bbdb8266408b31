#include <gtest/gtest.h>

#include <new>
#include <set>
#include <stdexcept>

#include "invoices/sheet_table.h"
#include "run/counterpart_counter.h"
#include "run/generation_run.h"
#include "support/fake_run_host.h"
#include "support/fake_workbook.h"
#include "support/temp_dir.h"

namespace {

class GenerationRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host.in.workplaceName = "SANDELIS1";
        host.in.payerCode = "123456786";
        host.in.payerCount = 1;
        host.in.workbookPath = dir.file("knyga.xlsx");
        writeFile(host.in.workbookPath, "");  // there; the fake connection reads it
        host.in.workbookFileName = "knyga.xlsx";
        host.in.period = {{2024, 1, 1}, {2024, 1, 31}};
        host.output = dir.path() + "rinkmenos";
    }

    RunResult run(FakeWorkbook& book) { return host.run(settings, book.opener(), exporter); }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : host.messages) {
            texts.push_back(m.text);
        }
        return texts;
    }

    TempDir dir;
    ProfileFile settings{dir.file("_nustatymai.ini")};
    FakeRunHost host;
    int exports = 0;
    Exporter exporter = [this](const InvoiceBook&, const RunInputs&, Progress&) {
        ++exports;
        return std::string("/out/file.xml");
    };
};

TEST_F(GenerationRunTest, PreconditionsAreCheckedInOrderAndStopTheRun) {
    FakeWorkbook book = FakeWorkbook::withAllSheets();
    // Everything missing: only the workplace message, the caption turns red.
    host.in.workplaceName = "";
    host.in.payerCode = "";
    host.in.workbookPath = "";
    EXPECT_EQ(run(book).outcome, RunOutcome::MissingWorkplace);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Įveskite savo darbo vietos pavadinimą."}));
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy", "red", "idle"}));

    // A workplace name the i.SAF header cannot take counts as missing.
    for (const char* bad : {"sandelis", "KAUNO-DEP", "ABCDEFGHIJKLMNOPQRSTU", " A"}) {
        host.messages.clear();
        host.in.workplaceName = bad;
        EXPECT_EQ(run(book).outcome, RunOutcome::MissingWorkplace) << bad;
    }

    // No payer code: the message, then the payer dialog (edit when the list has entries).
    host.in.workplaceName = "KAUNO_DEP";
    host.messages.clear();
    host.events.clear();
    EXPECT_EQ(run(book).outcome, RunOutcome::MissingPayer);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Įveskite savo įmonės (asmens) kodą."}));
    EXPECT_EQ(host.events, (std::vector<std::string>{"busy", "edit-payer", "idle"}));
    host.in.payerCount = 0;
    host.events.clear();
    for (const char* bad : {"", "LT123", "123456789012", "12 34"}) {
        host.in.payerCode = bad;
        EXPECT_EQ(run(book).outcome, RunOutcome::MissingPayer) << bad;
    }
    EXPECT_EQ(host.events[1], "new-payer");

    host.in.payerCode = "12345678901";
    host.messages.clear();
    EXPECT_EQ(run(book).outcome, RunOutcome::MissingWorkbook);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Dokumentas nepasirinktas"}));

    // A workbook that is not there is named with its path, not blamed as badly filled.
    host.in.workbookPath = dir.file("nera.xlsx");
    host.messages.clear();
    EXPECT_EQ(run(book).outcome, RunOutcome::MissingWorkbook);
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"Dokumentas nerastas: " + dir.file("nera.xlsx")}));
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(book.log().opened.empty());
}

TEST_F(GenerationRunTest, PeriodOutsideTheSchemaBoundsIsRefused) {
    FakeWorkbook book = FakeWorkbook::withAllSheets();
    const Period bad[] = {
        {{2024, 2, 1}, {2024, 1, 31}},   // starts after it ends
        {{2016, 6, 30}, {2016, 9, 30}},  // starts before 2016-07-01
        {{2016, 7, 1}, {2016, 8, 31}},   // ends before 2016-09-01
        {{2099, 12, 1}, {2100, 1, 2}},   // ends after 2100-01-01
    };
    for (const Period& period : bad) {
        host.messages.clear();
        host.in.period = period;
        EXPECT_EQ(run(book).outcome, RunOutcome::BadPeriod) << period.from.text();
        EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Neteisingas laikotarpis."}));
    }
    EXPECT_TRUE(book.log().opened.empty());
    host.in.period = {{2016, 7, 1}, {2100, 1, 1}};
    EXPECT_EQ(run(book).outcome, RunOutcome::NoRows);
}

TEST_F(GenerationRunTest, WorkbookWithoutRowsGivesTheNoRowsMessageAndQuits) {
    FakeWorkbook book = FakeWorkbook::withAllSheets();
    EXPECT_EQ(run(book).outcome, RunOutcome::NoRows);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"\"knyga.xlsx\" faile įrašų nerasta."}));
    EXPECT_EQ(host.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(book.log().opened, (std::vector<std::string>{dir.file("knyga.xlsx")}));
    // All twelve sheets are read, in their order.
    EXPECT_EQ(book.log().selected,
              std::vector<std::string>(kSheetNames.begin(), kSheetNames.end()));
    EXPECT_TRUE(book.log().quit);
    EXPECT_FALSE(book.log().presented);
    EXPECT_EQ(exports, 0);
    EXPECT_EQ(host.statuses.front(), "Atidarome failą");
    EXPECT_EQ(host.statuses.at(1), "Patikrinimas");
    EXPECT_EQ(host.events.back(), "idle");
}

TEST_F(GenerationRunTest, MissingSheetOrUnopenableWorkbookGivesOneMessage) {
    FakeWorkbook book;
    for (int i = 0; i < 10; ++i) {
        book.sheet(std::string(i < 5 ? "Gau" : "Isr") + "x" + std::to_string(i));
    }
    book.sheet("Gau21");
    EXPECT_EQ(run(book).outcome, RunOutcome::UnreadableWorkbook);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Blogai užpildytas failas knyga.xlsx"}));
    EXPECT_EQ(host.events.back(), "idle");

    host.messages.clear();
    const WorkbookOpener failing = [](const std::string&) -> std::unique_ptr<WorkbookConnection> {
        throw WorkbookError("not a workbook");
    };
    EXPECT_EQ(host.run(settings, failing, exporter).outcome, RunOutcome::UnreadableWorkbook);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Blogai užpildytas failas knyga.xlsx"}));
}

TEST_F(GenerationRunTest, AProgramFaultIsNotBlamedOnTheWorkbook) {
    FakeWorkbook book = FakeWorkbook::withAllSheets();
    book.setRow("Gau21", 5, {"2024-01-05", "SF-1", "", "", "", "UAB", "123", "", "100"});
    exporter = [](const InvoiceBook&, const RunInputs&, Progress&) -> std::string {
        throw std::logic_error("row record without field 7");
    };
    EXPECT_EQ(run(book).outcome, RunOutcome::ProgramFault);
    const WorkbookOpener exhausted = [](const std::string&) -> std::unique_ptr<WorkbookConnection> {
        throw std::bad_alloc();
    };
    EXPECT_EQ(host.run(settings, exhausted, exporter).outcome, RunOutcome::ProgramFault);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{
                                  "Programos klaida: row record without field 7",
                                  "Programos klaida: pritrūko atminties",
                              }));
    EXPECT_EQ(host.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(host.events.back(), "idle");
}

TEST_F(GenerationRunTest, CounterIssuesEveryNumberOnceAndNeverWraps) {
    std::set<long long> issued;
    {
        CounterpartCounter first(settings);
        CounterpartCounter second(settings);  // another run on the same settings meanwhile
        for (int i = 0; i < 40; ++i) {
            EXPECT_TRUE(issued.insert(std::stoll(first.issue())).second);
            EXPECT_TRUE(issued.insert(std::stoll(second.issue())).second);
            // Whatever is issued is already stored: the stored value is never below it.
            EXPECT_GE(std::stoll(settings.read("NUSTATYMAI", "auto_id")), *issued.rbegin());
        }
        EXPECT_EQ(*issued.begin(), 1);
    }
    EXPECT_EQ(issued.size(), 80u);
    EXPECT_GE(std::stoll(settings.read("NUSTATYMAI", "auto_id")), *issued.rbegin());

    // The numbers a run did not issue go back when nobody took numbers after them.
    ASSERT_TRUE(settings.write("NUSTATYMAI", "auto_id", "41").ok());
    {
        CounterpartCounter counter(settings);
        EXPECT_EQ(counter.issue(), "42");
        EXPECT_EQ(counter.issue(), "43");
    }
    EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), "43");

    const auto firstIssued = [this](const char* stored) {
        EXPECT_TRUE(settings.write("NUSTATYMAI", "auto_id", stored).ok());
        return CounterpartCounter(settings).issue();
    };
    EXPECT_EQ(firstIssued("+7"), "8");
    EXPECT_EQ(firstIssued("0041"), "42");
    EXPECT_EQ(firstIssued(""), "1");
    EXPECT_EQ(firstIssued("9223372036854775806"), "9223372036854775807");

    // A counter that cannot go on without repeating a number is refused, and stays as it was.
    const std::string path = settings.path();
    for (const char* stored :
         {"abc", "-5", "-0", "12x", "+", "9223372036854775807", "99999999999999999999"}) {
        ASSERT_TRUE(settings.write("NUSTATYMAI", "auto_id", stored).ok());
        CounterpartCounter counter(settings);
        try {
            counter.issue();
            ADD_FAILURE() << stored << " issued a number";
        } catch (const RunFailure& failure) {
            EXPECT_EQ(failure.outcome(), RunOutcome::CounterCannotGoOn) << stored;
            const std::string text = failure.what();
            EXPECT_TRUE(text.starts_with("Nustatymų faile " + path +
                                         " automatinis numeris auto_id=" + stored + " "))
                << text;
        }
        EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), stored);
    }
    ASSERT_TRUE(settings.write("NUSTATYMAI", "auto_id", "9223372036854775806").ok());
    CounterpartCounter last(settings);
    EXPECT_EQ(last.issue(), "9223372036854775807");
    EXPECT_THROW(last.issue(), RunFailure);
    EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), "9223372036854775807");
}

}  // namespace
