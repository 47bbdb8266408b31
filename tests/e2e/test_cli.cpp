// kolvira-cli as a user runs it: a copy of the program in a folder of its own (the settings,
// the register and "rinkmenos" live beside it), real workbooks, exit codes and messages.
#include <nlohmann/json.hpp>

#include "e2e/cli_runner.h"

#include "base/profile_file.h"
#include "invoices/sheet_table.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

namespace {

class CliTest : public ::testing::Test {
  protected:
    using Outcome = CliRunner::Outcome;
    static std::string quoted(const std::string& text) { return CliRunner::quoted(text); }
    Outcome run(const std::vector<std::string>& arguments) { return cli.run(arguments); }

    // The example workbook, written by the template generator.
    std::string example() {
        const std::string path = dir.file("Kolvira_pavyzdys.xlsx");
        const std::string command = quoted(KOLVIRA_TEMPLATE_PATH) + " --example " + quoted(path);
        EXPECT_EQ(std::system(command.c_str()), 0);
        return path;
    }

    std::vector<std::string> exampleRun(const std::string& book) {
        return {"--payer-code", "123456786",  "--workplace", "PAVYZDYS", "--from", "2026-11-01",
                "--to",         "2026-11-30", "--locale",    "lt_LT",    book};
    }

    std::vector<std::string> outputFiles() {
        std::vector<std::string> names;
        if (std::filesystem::exists(dir.file("rinkmenos"))) {
            for (const auto& entry : std::filesystem::directory_iterator(dir.file("rinkmenos"))) {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    TempDir dir;
    CliRunner cli{dir};
};

TEST_F(CliTest, HelpAndUsageErrors) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"--payer-code", "--workplace", "--from", "--to", "--locale", "--output-dir", "--summary",
          "--strict", "--format", "Usage", "Naudojimas"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    // The workplace defaults to the window's last one, and the help says where it is kept.
    EXPECT_NE(help.out.find("darbo_vieta"), std::string::npos);
    // The program's own usage errors are Lithuanian, followed by the bilingual help.
    const std::pair<std::vector<std::string>, std::string> usageErrors[] = {
        {{}, "Dokumentas nepasirinktas"},
        {{"--bogus", "a.xlsx"}, "Nežinoma parinktis --bogus."},
        {{"--from"}, "Parinkčiai --from trūksta reikšmės."},
        {{"a.xlsx", "b.xlsx"}, "Galima nurodyti tik vieną dokumentą."},
        {{"--check"}, "Rinkmena nenurodyta."},
        {{"--check", "--summary", "a.xml"},
         "Su --check galima nurodyti tik --format ir vieną rinkmeną."}};
    for (const auto& [arguments, message] : usageErrors) {
        const Outcome usage = run(arguments);
        EXPECT_EQ(usage.exitCode, 2) << message;
        EXPECT_EQ(usage.err, message + "\n\n" + help.out);
    }
    const Outcome missing = run({"--payer-code", "1", "--workplace", "A", dir.file("none.xlsx")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "Dokumentas nerastas: " + dir.file("none.xlsx") + "\n");
    const Outcome badDate = run({"--from", "2026-13-01", example()});
    EXPECT_EQ(badDate.exitCode, 2);
    EXPECT_EQ(badDate.err, "Neteisingas laikotarpis.\n");
    // An empty folder is no folder (the file system would take it for the root).
    const Outcome noFolder =
        run({"--payer-code", "123456786", "--workplace", "A", "--from", "2026-11-01", "--to",
             "2026-11-30", "--output-dir", "", example()});
    EXPECT_EQ(noFolder.exitCode, 2);
    EXPECT_TRUE(noFolder.err.starts_with("Parinkčiai --output-dir reikia aplanko.\n"))
        << noFolder.err;
    EXPECT_EQ(noFolder.out, "");
    EXPECT_TRUE(outputFiles().empty());
}

TEST_F(CliTest, ExampleBecomesASchemaValidFileWithItsSummary) {
    auto arguments = exampleRun(example());
    arguments.insert(arguments.begin(), "--summary");
    const Outcome result = run(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string saved = dir.file("rinkmenos/Kolvira_123456786_202611_PAVYZDYS.xml");
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')), saved);
    expectValidIsafFile(saved);
    // The totals a user checks against the VAT return, recomputed by hand from the example.
    EXPECT_NE(
        result.out.find("Pirkimai   Iš viso                        4139.30             618.30"),
        std::string::npos)
        << result.out;
    EXPECT_NE(
        result.out.find("Pardavimai PVM1              4            4041.32             848.68"),
        std::string::npos)
        << result.out;
    const std::string xml = readFile(saved);
    EXPECT_TRUE(xml.starts_with("\xEF\xBB\xBF<?xml"));
    EXPECT_TRUE(xml.ends_with("</iSAFFile>\r\n"));
}

TEST_F(CliTest, EachOutcomeHasItsExitCodeAndMessage) {
    const std::string book = example();
    // No workplace name stored or given.
    Outcome result = run({"--payer-code", "123456786", book});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "Įveskite savo darbo vietos pavadinimą.\n");
    // No payer in the register and none given.
    result = run({"--workplace", "A1", book});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "Įveskite savo įmonės (asmens) kodą.\n");
    // The payer at the stored position of the register gives the code.
    writeFile(dir.file("asmenys.txt"), "Alfa;;111;\r\nBeta;;222;\r\n");
    writeFile(dir.file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=1\r\ndarbo_vieta=SAND1\r\n");
    result = run({"--from", "2026-11-01", "--to", "2026-11-30", "--locale", "lt_LT", book});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, dir.file("rinkmenos/Kolvira_222_202611_SAND1.xml") + "\n");
    // A position that is no number selects the first payer, as in the window.
    writeFile(dir.file("_nustatymai.ini"), "[NUSTATYMAI]\r\nasmuo=x\r\ndarbo_vieta=SAND1\r\n");
    result = run({"--from", "2026-11-01", "--to", "2026-11-30", "--locale", "lt_LT", book});
    EXPECT_EQ(result.out, dir.file("rinkmenos/Kolvira_111_202611_SAND1.xml") + "\n") << result.err;
    expectValidIsafFile(dir.file("rinkmenos/Kolvira_111_202611_SAND1.xml"));
    std::filesystem::remove(dir.file("rinkmenos/Kolvira_111_202611_SAND1.xml"));
    // No rows of the period.
    result = run({"--from", "2025-01-01", "--to", "2025-01-31", book});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err, "\"Kolvira_pavyzdys.xlsx\" faile įrašų nerasta.\n");
    // Not a workbook at all.
    writeFile(dir.file("netikras.xlsx"), "ne knyga");
    result = run({"--payer-code", "1", "--workplace", "A", dir.file("netikras.xlsx")});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "Blogai užpildytas failas netikras.xlsx\n");
    // A period the schema cannot hold.
    result = run({"--from", "2016-01-01", "--to", "2016-01-31", book});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "Neteisingas laikotarpis.\n");
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"Kolvira_222_202611_SAND1.xml"}));
}

TEST_F(CliTest, BadlyFilledCellsAreListedSheetBySheetAndNothingIsWritten) {
    const std::string path = dir.file("klaidos.xlsx");
    {
        WorkbookBuilder book(path);
        for (const std::string_view sheet : kSheetNames) {
            const std::string name(sheet);
            book.sheet(name);
            if (std::string(name) == "Gau9") {
                book.date(5, 1, 2026, 11, 3).text(5, 3, "XX").number(5, 9, 10);
                book.date(6, 1, 2026, 11, 4).text(6, 2, "A-2").number(6, 9, 10).text(6, 7, "ND");
            }
            if (std::string(name) == "Isr21") {
                book.date(5, 1, 2026, 11, 3).number(5, 8, 10);
            }
        }
        book.save();
    }
    const Outcome result = run({"--payer-code", "1", "--workplace", "A", "--from", "2026-11-01",
                                "--to", "2026-11-30", "--locale", "lt_LT", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Klaidų sąrašas:\n\n"
              "Gau9 lapas -> B5  vietoje serijos numerio klaida\n\n"
              "Gau9 lapas -> G6  vietoje įmonės (asmens) kodo klaida\n\n"
              "Isr21 lapas -> B5  vietoje serijos numerio klaida\n");
    EXPECT_TRUE(outputFiles().empty());
}

TEST_F(CliTest, WarningsFollowThePathAndStrictAndJsonReportThem) {
    const std::string path = dir.file("ispejimai.xlsx");
    {
        WorkbookBuilder book(path);
        for (const std::string_view sheet : kSheetNames) {
            book.sheet(std::string(sheet));
            if (sheet == "Gau21") {
                book.date(5, 1, 2026, 11, 3).text(5, 2, "Nr.1").text(5, 6, "UAB Alfa");
                book.number(5, 9, 100).number(5, 10, 21);
                book.date(6, 1, 2026, 11, 4).text(6, 2, "NR-1").text(6, 6, "UAB Alfa");
                book.number(6, 9, 100).number(6, 10, 21);
            }
        }
        book.save();
    }
    const std::vector<std::string> november = {
        "--payer-code", "123456786", "--workplace", "A",        "--from",
        "2026-11-01",   "--to",      "2026-11-30",  "--locale", "lt_LT"};
    const auto withNovember = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), november.begin(), november.end());
        return arguments;
    };
    const std::string saved = dir.file("rinkmenos/Kolvira_123456786_202611_A.xml");
    const std::string expectedWarnings =
        "Įspėjimai:\n"
        "Gau21 lapas -> B5  numeryje „Nr.1“ yra „Nr“: jo rašyti nerekomenduojama (ne ABC Nr.123, "
        "o ABC123)\n"
        "Gau21 lapas -> B6  galimas dublikatas: tas pats tiekėjas ir numeris „NR1“ (lyginant tik "
        "raides ir skaitmenis) kaip Gau21 lapas -> B5\n";

    // Advice only: the file is saved and the run succeeds.
    Outcome result = run(withNovember({path}));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, saved + "\n");
    EXPECT_EQ(result.err, expectedWarnings);
    expectValidIsafFile(saved);

    // --strict: saved all the same, but the exit code tells of the warnings.
    std::filesystem::remove(saved);
    result = run(withNovember({"--strict", path}));
    EXPECT_EQ(result.exitCode, 6);
    EXPECT_EQ(result.out, saved + "\n");
    EXPECT_EQ(result.err, expectedWarnings);
    EXPECT_TRUE(std::filesystem::exists(saved));

    // --format json: one object on stdout, nothing on stderr.
    result = run(withNovember({"--format", "json", "--strict", path}));
    EXPECT_EQ(result.exitCode, 6);
    EXPECT_EQ(result.err, "");
    const nlohmann::json report = nlohmann::json::parse(result.out);
    EXPECT_EQ(report["outcome"], "saved");
    EXPECT_EQ(report["path"], saved);
    EXPECT_TRUE(report["errors"].empty());
    ASSERT_EQ(report["warnings"].size(), 2u) << result.out;
    EXPECT_EQ(report["warnings"][1]["sheet"], "Gau21");
    EXPECT_EQ(report["warnings"][1]["cell"], "B6");
    EXPECT_EQ(report["warnings"][1]["code"], "duplicate");
    EXPECT_EQ(report["warnings"][0]["code"], "nr_in_number");
    EXPECT_EQ(report["warnings"][0]["text"],
              "numeryje „Nr.1“ yra „Nr“: jo rašyti nerekomenduojama (ne ABC Nr.123, o ABC123)");
    EXPECT_EQ(report["summary"]["purchases"][0]["invoices"], 2);

    // Badly filled cells as data, the exit code unchanged; a refused input likewise.
    {
        WorkbookBuilder book(path);
        for (const std::string_view sheet : kSheetNames) {
            book.sheet(std::string(sheet));
            if (sheet == "Gau21") {
                book.date(5, 1, 2026, 11, 3).text(5, 3, "XX").text(5, 2, "A-1").number(5, 9, 10);
            }
        }
        book.save();
    }
    result = run(withNovember({"--format", "json", path}));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "");
    const nlohmann::json errors = nlohmann::json::parse(result.out);
    EXPECT_EQ(errors["outcome"], "badly_filled_cells");
    EXPECT_TRUE(errors["path"].is_null());
    EXPECT_EQ(errors["errors"],
              nlohmann::json::parse(
                  R"([{"sheet": "Gau21", "cell": "C5", "text": "vietoje tipo klaida"}])"));
    result = run(withNovember({"--format", "json", dir.file("nera.xlsx")}));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(nlohmann::json::parse(result.out)["outcome"], "missing_workbook");
}

TEST_F(CliTest, TwoRunsSharingOneSettingsFileContinueTheAutomaticNumbers) {
    const std::string book = example();
    ASSERT_EQ(run(exampleRun(book)).exitCode, 0);
    const ProfileFile settings(dir.file("_nustatymai.ini"));
    const std::string first = settings.read("NUSTATYMAI", "auto_id");
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(run(exampleRun(book)).exitCode, 0);
    const long issuedPerRun = std::stol(first);
    EXPECT_EQ(settings.read("NUSTATYMAI", "auto_id"), std::to_string(2 * issuedPerRun));
    const std::string xml = readFile(dir.file("rinkmenos/Kolvira_123456786_202611_PAVYZDYS.xml"));
    EXPECT_NE(xml.find("<CustomerID>" + std::to_string(2 * issuedPerRun) + "</CustomerID>"),
              std::string::npos);
}

TEST_F(CliTest, TemplateReadsBackWithoutRows) {
    const std::string path = dir.file("Kolvira_sablonas.xlsx");
    ASSERT_EQ(std::system((quoted(KOLVIRA_TEMPLATE_PATH) + " " + quoted(path)).c_str()), 0);
    const Outcome result = run({"--payer-code", "1", "--workplace", "A", path});
    EXPECT_EQ(result.exitCode, 4) << result.err;
    EXPECT_EQ(result.err, "\"Kolvira_sablonas.xlsx\" faile įrašų nerasta.\n");
}

}  // namespace

// Installed (the program in <prefix>/bin beside <prefix>/share/kolvira): the user's folders
// take the files, the version comes from the data folder, and nothing is written under the
// prefix. The package's own check in CI does the same from /usr/bin.
TEST_F(CliTest, InstalledProgramWritesIntoTheUsersFolders) {
    const std::string book = example();
    const std::string prefix = dir.file("prefix/");
    std::filesystem::create_directories(prefix + "bin");
    std::filesystem::create_directories(prefix + "share/kolvira/sablonas");
    std::filesystem::copy_file(dir.file("kolvira-cli"), prefix + "bin/kolvira-cli");
    writeFile(prefix + "share/kolvira/versija.ini", "[VERSIJA]\r\nnr=0.1\r\n");
    std::filesystem::permissions(
        prefix, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::string home = dir.file("home");

    std::string command =
        "env -u XDG_CONFIG_HOME HOME=" + quoted(home) + " " + quoted(prefix + "bin/kolvira-cli");
    for (const auto& argument : exampleRun(book)) {
        command += " " + quoted(argument);
    }
    command += " > " + quoted(dir.file("out.txt")) + " 2> " + quoted(dir.file("err.txt"));
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readFile(dir.file("err.txt"));

    const std::string saved =
        home + "/Documents/Kolvira/rinkmenos/Kolvira_123456786_202611_PAVYZDYS.xml";
    EXPECT_EQ(readFile(dir.file("out.txt")), saved + "\n");
    expectValidIsafFile(saved);
    EXPECT_NE(readFile(saved).find("<SoftwareVersion>0.1</SoftwareVersion>"), std::string::npos);
    EXPECT_TRUE(outputFiles().empty());
    std::vector<std::string> underPrefix;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix)) {
        underPrefix.push_back(entry.path().string().substr(prefix.size()));
    }
    std::sort(underPrefix.begin(), underPrefix.end());
    EXPECT_EQ(underPrefix,
              (std::vector<std::string>{"bin", "bin/kolvira-cli", "share", "share/kolvira",
                                        "share/kolvira/sablonas", "share/kolvira/versija.ini"}));
}
