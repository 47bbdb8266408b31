// The files beside the program as a shared folder meets them: several kolvira-cli runs at once,
// a strict umask, files that are symbolic links, and things in a file's place that are no
// regular file. Each run is a real kolvira-cli process in the folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/profile_file.h"
#include "e2e/cli_runner.h"
#include "invoices/sheet_table.h"
#include "payers/payer_register.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

namespace {

const std::vector<std::string> kSheets(kSheetNames.begin(), kSheetNames.end());

// January 2024 purchases on "Gau21" from suppliers known by name only: each takes an automatic
// number.
void writeWorkbook(const std::string& path, int rows) {
    WorkbookBuilder book(path);
    for (const auto& name : kSheets) {
        book.sheet(name);
        if (name != "Gau21") {
            continue;
        }
        for (int row = 5; row < 5 + rows; ++row) {
            book.date(row, 1, 2024, 1, 1 + row % 28).text(row, 2, "SF-" + std::to_string(row));
            book.text(row, 6, "Tiekėjas " + std::to_string(row % 13));
            book.number(row, 9, 100 + row).number(row, 10, 21).text(row, 11, "PVM1");
        }
    }
    book.save();
}

std::vector<std::string> arguments(const std::string& workplace, const std::string& book) {
    return {"--payer-code", "123456786",  "--workplace", workplace, "--from", "2024-01-01",
            "--to",         "2024-01-31", "--locale",    "lt_LT",   book};
}

// The supplier numbers a saved file carries.
std::set<long long> supplierIds(const std::string& path) {
    const std::string xml = readFile(path);
    const std::regex id("<SupplierID>([0-9]+)</SupplierID>");
    std::set<long long> ids;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), id); it != std::sregex_iterator();
         ++it) {
        ids.insert(std::stoll((*it)[1].str()));
    }
    return ids;
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

bool isLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class KeptFiles : public ::testing::Test {
  protected:
    // kolvira-cli under a shell that sets the umask first; bounded in time, so that a run that
    // would wait for ever fails instead of hanging the suite.
    CliRunner::Outcome run(const std::vector<std::string>& args, const char* umask = "022") {
        std::string command = "umask " + std::string(umask) + "; exec timeout 120 " +
                              CliRunner::quoted(dir.file("kolvira-cli"));
        for (const auto& argument : args) {
            command += " " + CliRunner::quoted(argument);
        }
        command += " > " + CliRunner::quoted(input.file("out.txt")) + " 2> " +
                   CliRunner::quoted(input.file("err.txt"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(input.file("out.txt")),
                readFile(input.file("err.txt"))};
    }

    std::string output(const std::string& workplace) const {
        return dir.file("rinkmenos/Kolvira_123456786_202401_" + workplace + ".xml");
    }

    TempDir input;  // the workbooks: only read
    TempDir dir;
    CliRunner cli{dir};
};

}  // namespace

// Four runs at once in one program folder, each issuing 120 automatic numbers: no number is
// issued twice, and the stored counter is never below a number issued.
TEST_F(KeptFiles, ParallelRunsNeverIssueANumberTwice) {
    writeFile(dir.file("_nustatymai.ini"), "[NUSTATYMAI]\r\nauto_id=1000\r\n");
    writeWorkbook(input.file("tiekejai.xlsx"), 120);
    const std::vector<std::string> workplaces = {"A1", "A2", "A3", "A4"};
    std::vector<pid_t> runs;
    for (const auto& workplace : workplaces) {
        const auto args = arguments(workplace, input.file("tiekejai.xlsx"));
        std::vector<char*> argv = {const_cast<char*>("kolvira-cli")};
        for (const auto& argument : args) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        const std::string program = dir.file("kolvira-cli");
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        runs.push_back(pid);
    }
    for (const pid_t pid : runs) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    std::set<long long> all;
    for (const auto& workplace : workplaces) {
        const auto ids = supplierIds(output(workplace));
        EXPECT_EQ(ids.size(), 120u) << workplace;
        EXPECT_GT(*ids.begin(), 1000) << workplace;
        for (const long long id : ids) {
            EXPECT_TRUE(all.insert(id).second) << id << " issued twice (" << workplace << ")";
        }
    }
    const ProfileFile settings(dir.file("_nustatymai.ini"));
    EXPECT_GE(std::stoll(settings.read("NUSTATYMAI", "auto_id")), *all.rbegin());

    // A later run goes on above every number issued.
    ASSERT_EQ(run(arguments("A5", input.file("tiekejai.xlsx"))).exitCode, 0);
    EXPECT_GT(*supplierIds(output("A5")).begin(), *all.rbegin());
    expectValidIsafFile(output("A5"));
}

// New files follow the umask (no more than the user allows), replaced files keep their mode.
TEST_F(KeptFiles, NewFilesFollowTheUmaskAndReplacedOnesKeepTheirMode) {
    writeWorkbook(input.file("tiekejai.xlsx"), 3);
    ASSERT_EQ(run(arguments("A1", input.file("tiekejai.xlsx")), "077").exitCode, 0);
    EXPECT_EQ(modeOf(output("A1")), 0600u);
    EXPECT_EQ(modeOf(dir.file("_nustatymai.ini")), 0600u);
    EXPECT_EQ(modeOf(dir.file("_nustatymai.ini.lock")), 0600u);

    ASSERT_EQ(::chmod(output("A1").c_str(), 0640), 0);
    ASSERT_EQ(::chmod(dir.file("_nustatymai.ini").c_str(), 0604), 0);
    ASSERT_EQ(run(arguments("A1", input.file("tiekejai.xlsx")), "022").exitCode, 0);
    ASSERT_EQ(run(arguments("A2", input.file("tiekejai.xlsx")), "022").exitCode, 0);
    EXPECT_EQ(modeOf(output("A1")), 0640u);
    EXPECT_EQ(modeOf(dir.file("_nustatymai.ini")), 0604u);
    EXPECT_EQ(modeOf(output("A2")), 0644u);
    EXPECT_EQ(ProfileFile(dir.file("_nustatymai.ini")).read("NUSTATYMAI", "auto_id"), "9");
}

// A kept file that is a symbolic link stays one: the file it points to is updated.
TEST_F(KeptFiles, LinkedFilesAreUpdatedWhereTheyPoint) {
    TempDir shared;
    writeFile(shared.file("nustatymai.ini"), "[NUSTATYMAI]\r\nauto_id=41\r\n");
    writeFile(shared.file("asmenys.txt"), "Alfa;;123456786;\r\n");
    writeFile(shared.file("senas.xml"), "earlier file");
    ASSERT_EQ(::symlink(shared.file("nustatymai.ini").c_str(), dir.file("_nustatymai.ini").c_str()),
              0);
    ASSERT_EQ(::symlink(shared.file("asmenys.txt").c_str(), dir.file("asmenys.txt").c_str()), 0);
    std::filesystem::create_directory(dir.file("rinkmenos"));
    const std::string sharedName =
        std::filesystem::path(shared.path()).parent_path().filename().string();
    ASSERT_EQ(::symlink(("../../" + sharedName + "/senas.xml").c_str(), output("A1").c_str()), 0);
    ASSERT_EQ(readFile(output("A1")), "earlier file");  // the relative link resolves

    writeWorkbook(input.file("tiekejai.xlsx"), 3);
    ASSERT_EQ(run(arguments("A1", input.file("tiekejai.xlsx"))).exitCode, 0);
    EXPECT_TRUE(isLink(dir.file("_nustatymai.ini")));
    EXPECT_EQ(ProfileFile(shared.file("nustatymai.ini")).read("NUSTATYMAI", "auto_id"), "44");
    EXPECT_TRUE(isLink(output("A1")));
    expectValidIsafFile(shared.file("senas.xml"));

    // The register as the window writes it.
    ASSERT_TRUE(PayerRegister(dir.file("asmenys.txt")).save({"Alfa;;123456786;", "Beta;;2;"}).ok());
    EXPECT_TRUE(isLink(dir.file("asmenys.txt")));
    EXPECT_EQ(readFile(shared.file("asmenys.txt")), "Alfa;;123456786;\r\nBeta;;2;\r\n");
    // Nothing was left beside the links or the files they point to.
    EXPECT_EQ(namesIn(shared.path()),
              (std::vector<std::string>{"asmenys.txt", "nustatymai.ini", "nustatymai.ini.lock",
                                        "senas.xml"}));
    EXPECT_EQ(namesIn(dir.file("rinkmenos")),
              std::vector<std::string>{"Kolvira_123456786_202401_A1.xml"});
}

// What is no regular file, or is far larger than any kept file, is refused with a message
// naming it, at once; a counter that cannot go on is refused too. Nothing is written.
TEST_F(KeptFiles, OddThingsInAKeptFilesPlaceAreRefusedWithAMessage) {
    writeWorkbook(input.file("tiekejai.xlsx"), 3);
    const std::string settings = dir.file("_nustatymai.ini");
    const auto expectRefused = [&](const std::string& reason) {
        const CliRunner::Outcome outcome = run(arguments("A1", input.file("tiekejai.xlsx")));
        EXPECT_EQ(outcome.exitCode, 5) << outcome.err;
        EXPECT_EQ(outcome.err, reason + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file("rinkmenos")));
    };
    ASSERT_EQ(::mkfifo(settings.c_str(), 0644), 0);
    expectRefused("Cannot open file \"" + settings + "\". Not a regular file");
    std::filesystem::remove(settings);
    ASSERT_EQ(::symlink("/dev/zero", settings.c_str()), 0);
    expectRefused("Cannot open file \"" + settings + "\". Not a regular file");
    std::filesystem::remove(settings);
    writeFile(settings, "[NUSTATYMAI]\r\nauto_id=1\r\n" + std::string(17u << 20, ';'));
    expectRefused("Cannot read file \"" + settings + "\". File too large");

    // The register in a FIFO's place: its message, then the missing payer's.
    std::filesystem::remove(settings);
    ASSERT_EQ(::mkfifo(dir.file("asmenys.txt").c_str(), 0644), 0);
    CliRunner::Outcome outcome = run({"--workplace", "A1", input.file("tiekejai.xlsx")});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "Cannot open file \"" + dir.file("asmenys.txt") +
                               "\". Not a regular file\nĮveskite savo įmonės (asmens) kodą.\n");

    // Counters from which no number can be issued without a repeat.
    std::filesystem::remove(dir.file("asmenys.txt"));
    for (const char* stored : {"-5", "9223372036854775807", "septyni"}) {
        writeFile(settings, std::string("[NUSTATYMAI]\r\nauto_id=") + stored + "\r\n");
        outcome = run(arguments("A1", input.file("tiekejai.xlsx")));
        EXPECT_EQ(outcome.exitCode, 2) << stored;
        EXPECT_TRUE(outcome.err.starts_with("Nustatymų faile " + settings +
                                            " automatinis numeris auto_id=" + stored))
            << outcome.err;
        EXPECT_EQ(ProfileFile(settings).read("NUSTATYMAI", "auto_id"), stored);
        EXPECT_FALSE(std::filesystem::exists(output("A1")));
    }
}
