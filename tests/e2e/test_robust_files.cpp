// The files the program keeps (settings, payer register, the output file) on a full disk, in a
// read-only folder and under a run killed at any moment: the old file stays whole, or the new
// one is complete, and the user is told what failed.
//
// Where the machine allows it (root with a mount namespace of its own), the folder beside the
// program is a small tmpfs that really fills up or is really read-only; elsewhere a full disk
// is a file size limit (EFBIG) and a read-only folder a folder without write permission.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/profile_file.h"
#include "e2e/cli_runner.h"
#include "invoices/sheet_table.h"
#include "payers/payer_register.h"
#include "support/disk_full.h"
#include "support/schema_check.h"
#include "support/temp_dir.h"
#include "support/workbook_builder.h"

namespace {

// A mount namespace of this test process's own, so that the mounts below go with it.
bool canMount() {
    static const bool able = geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
                             mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return able;
}

// A tmpfs over a test folder, big enough for a copy of kolvira-cli and a little more.
class SmallDisk {
  public:
    explicit SmallDisk(const TempDir& dir) : path_(dir.path()) {
        if (!canMount()) {
            return;
        }
        const auto size = std::filesystem::file_size(KOLVIRA_CLI_PATH) + (1u << 20);
        mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", 0,
                         ("size=" + std::to_string(size)).c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) {
            umount2(path_.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }

    // Writes a filler file until the disk refuses another byte.
    void fill() const {
        const int fd = ::open((path_ + "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const std::string block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        while (::write(fd, block.data(), 1) > 0) {
        }
        ::close(fd);
    }

    bool makeReadOnly() const {
        return mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    std::string path_;
    bool mounted_ = false;
};

const std::vector<std::string> kSheets(kSheetNames.begin(), kSheetNames.end());

// January 2024 purchases on "Gau21"; every `withoutCodeEvery`-th counterpart has no code and
// takes an automatic number from the settings file.
void writeWorkbook(const std::string& path, int rows, int withoutCodeEvery,
                   const std::string& prefix = "SF-") {
    WorkbookBuilder book(path);
    for (const auto& name : kSheets) {
        book.sheet(name);
        if (name != "Gau21") {
            continue;
        }
        for (int row = 5; row < 5 + rows; ++row) {
            book.date(row, 1, 2024, 1, 1 + row % 28).text(row, 2, prefix + std::to_string(row));
            book.text(row, 3, "SF").text(row, 6, "UAB Tiekėjas " + std::to_string(row % 97));
            if (row % withoutCodeEvery != 0) {
                book.text(row, 5, "LT" + std::to_string(100000000 + row % 97));
                book.text(row, 7, std::to_string(100000000 + row % 97));
            }
            book.number(row, 9, 100 + row).number(row, 10, 21).text(row, 11, "PVM1");
        }
    }
    book.save();
}

const std::string kSettings =
    "[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=A1\r\nauto_id=41\r\n[VERSIJA]\r\nnr=5.14\r\n";
const std::string kRegister = "Alfa;;123456786;\r\nBeta;;222;\r\n";
const std::string kOutput = "rinkmenos/Kolvira_123456786_202401_A1.xml";

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

size_t invoices(const std::string& xml) {
    size_t count = 0;
    for (size_t at = xml.find("<Invoice>"); at != std::string::npos;
         at = xml.find("<Invoice>", at + 1)) {
        ++count;
    }
    return count;
}

std::vector<std::string> runArguments(const std::string& book) {
    return {"--from", "2024-01-01", "--to", "2024-01-31", "--locale", "lt_LT", book};
}

class RobustFiles : public ::testing::Test {
  protected:
    struct Outcome {
        int exitCode = -1;
        std::string err;
    };

    // Runs the copy beside the kept files. Its messages come through a pipe: a file beside it
    // could not be written either.
    Outcome run(const std::string& book) {
        std::string command = CliRunner::quoted(dir.file("kolvira-cli"));
        for (const auto& argument : runArguments(book)) {
            command += " " + CliRunner::quoted(argument);
        }
        command += " 2>&1 >/dev/null";
        std::FILE* pipe = popen(command.c_str(), "r");
        Outcome outcome;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            outcome.err.append(buffer, n);
        }
        const int status = pclose(pipe);
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return outcome;
    }

    // The settings, the register and an earlier output file, as a user's folder holds them.
    void keptFiles() {
        writeFile(dir.file("_nustatymai.ini"), kSettings);
        writeFile(dir.file("asmenys.txt"), kRegister);
        std::filesystem::create_directory(dir.file("rinkmenos"));
        writeFile(dir.file(kOutput), "earlier file");
    }

    // Nothing changed, and no temporary file was left behind.
    void expectKeptFilesWhole() {
        EXPECT_EQ(readFile(dir.file("_nustatymai.ini")), kSettings);
        EXPECT_EQ(readFile(dir.file("asmenys.txt")), kRegister);
        EXPECT_EQ(readFile(dir.file(kOutput)), "earlier file");
        EXPECT_EQ(namesIn(dir.file("rinkmenos")),
                  std::vector<std::string>{"Kolvira_123456786_202401_A1.xml"});
        auto names = namesIn(dir.path());
        std::erase(names, "filler");
        std::erase(names, "_nustatymai.ini.lock");  // made by the first writer, holds nothing
        EXPECT_EQ(names, (std::vector<std::string>{"_nustatymai.ini", "asmenys.txt", "kolvira-cli",
                                                   "rinkmenos"}));
    }

    TempDir input;  // the workbooks live elsewhere: they are only read
    TempDir dir;
    SmallDisk disk{dir};
    CliRunner cli{dir};
};

TEST_F(RobustFiles, FullDiskLeavesEveryKeptFileWholeAndSaysWhichFailed) {
    keptFiles();
    writeWorkbook(input.file("su_auto.xlsx"), 20, 2);
    writeWorkbook(input.file("be_auto.xlsx"), 20, 1000);
    const std::string reason = disk.mounted() ? "No space left on device" : "File too large";
    std::unique_ptr<FileSizeLimit> limit;
    if (disk.mounted()) {
        disk.fill();
    } else {
        limit = std::make_unique<FileSizeLimit>(16);
    }

    // The first counterpart without a code needs the counter written.
    Outcome outcome = run(input.file("su_auto.xlsx"));
    EXPECT_EQ(outcome.exitCode, 5) << outcome.err;
    EXPECT_EQ(outcome.err, "Unable to write to " + dir.file("_nustatymai.ini") + "\n");
    expectKeptFilesWhole();

    // Every counterpart has a code: the output file is the one that cannot be written.
    outcome = run(input.file("be_auto.xlsx"));
    EXPECT_EQ(outcome.exitCode, 5) << outcome.err;
    EXPECT_EQ(outcome.err, "Nepavyko išsaugoti i.SAF failo.\nCannot write file \"" +
                               dir.file(kOutput) + "\". " + reason + "\n");
    expectKeptFilesWhole();

    // The register and the settings as the window writes them.
    const Status saved = PayerRegister(dir.file("asmenys.txt")).save({"Alfa;;1;", "Naujas;;2;"});
    EXPECT_EQ(saved.message(), "Cannot write file \"" + dir.file("asmenys.txt") + "\". " + reason);
    EXPECT_EQ(ProfileFile(dir.file("_nustatymai.ini")).write("NUSTATYMAI", "asmuo", "1").message(),
              "Unable to write to " + dir.file("_nustatymai.ini"));
    expectKeptFilesWhole();
    limit.reset();

    // Room again: the same run saves over the earlier file.
    if (disk.mounted()) {
        std::filesystem::remove(dir.file("filler"));
    }
    outcome = run(input.file("su_auto.xlsx"));
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    expectValidIsafFile(dir.file(kOutput));
    EXPECT_EQ(ProfileFile(dir.file("_nustatymai.ini")).read("NUSTATYMAI", "auto_id"), "51");
}

TEST_F(RobustFiles, ReadOnlyFolderLeavesEveryKeptFileWholeAndSaysWhichFailed) {
    keptFiles();
    writeWorkbook(input.file("su_auto.xlsx"), 20, 2);
    writeWorkbook(input.file("be_auto.xlsx"), 20, 1000);
    std::string reason = "Read-only file system";
    if (disk.mounted()) {
        ASSERT_TRUE(disk.makeReadOnly());
    } else if (geteuid() != 0) {
        reason = "Permission denied";
        chmod(dir.file("rinkmenos").c_str(), 0555);
        chmod(dir.path().c_str(), 0555);
    } else {
        GTEST_SKIP() << "root without a mount namespace of its own: no folder is read-only";
    }

    Outcome outcome = run(input.file("su_auto.xlsx"));
    EXPECT_EQ(outcome.exitCode, 5) << outcome.err;
    EXPECT_EQ(outcome.err, "Unable to write to " + dir.file("_nustatymai.ini") + "\n");

    outcome = run(input.file("be_auto.xlsx"));
    EXPECT_EQ(outcome.exitCode, 5) << outcome.err;
    EXPECT_EQ(outcome.err, "Nepavyko išsaugoti i.SAF failo.\nCannot create file \"" +
                               dir.file(kOutput) + "\". " + reason + "\n");

    EXPECT_EQ(PayerRegister(dir.file("asmenys.txt")).save({"Naujas;;2;"}).message(),
              "Cannot create file \"" + dir.file("asmenys.txt") + "\". " + reason);
    EXPECT_EQ(ProfileFile(dir.file("_nustatymai.ini")).write("NUSTATYMAI", "asmuo", "1").message(),
              "Unable to write to " + dir.file("_nustatymai.ini"));
    expectKeptFilesWhole();
}

// SIGKILL at random moments of runs over a large workbook: "rinkmenos" holds the old file or
// the new complete one and nothing else, and the settings file is always whole.
TEST(RobustKill, KilledRunsLeaveTheOldFileOrTheNewOneAndWholeSettings) {
    TempDir input;
    TempDir dir;
    CliRunner cli{dir};
    writeFile(dir.file("_nustatymai.ini"), kSettings);
    writeFile(dir.file("asmenys.txt"), kRegister);
    writeWorkbook(input.file("senas.xlsx"), 300, 7, "OLD-");
    writeWorkbook(input.file("naujas.xlsx"), 4000, 40, "NEW-");
    ASSERT_EQ(cli.run(runArguments(input.file("senas.xlsx"))).exitCode, 0);
    const std::string old = readFile(dir.file(kOutput));

    auto spawn = [&] {
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            const auto args = runArguments(input.file("naujas.xlsx"));
            execl(dir.file("kolvira-cli").c_str(), "kolvira-cli", args[0].c_str(), args[1].c_str(),
                  args[2].c_str(), args[3].c_str(), args[4].c_str(), args[5].c_str(),
                  args[6].c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    };
    // How long a whole run takes here, so that the kills fall before, inside and after it.
    const auto started = std::chrono::steady_clock::now();
    const CliRunner::Outcome whole = cli.run(runArguments(input.file("naujas.xlsx")));
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    const auto fullRun = std::chrono::steady_clock::now() - started;
    const std::string fresh = readFile(dir.file(kOutput));
    writeFile(dir.file(kOutput), old);

    std::mt19937 random(20240115);
    std::uniform_int_distribution<long> at(
        0, std::chrono::duration_cast<std::chrono::microseconds>(fullRun).count() * 11 / 10);
    long lastCounter = 0;
    int killedMidway = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = spawn();
        ASSERT_GT(pid, 0);
        // The moment of the kill is the test's input, not a wait for something to happen.
        std::this_thread::sleep_for(std::chrono::microseconds(at(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        killedMidway += WIFSIGNALED(status) ? 1 : 0;

        EXPECT_EQ(namesIn(dir.file("rinkmenos")),
                  std::vector<std::string>{"Kolvira_123456786_202401_A1.xml"})
            << "round " << round;
        const std::string now = readFile(dir.file(kOutput));
        const bool isOld = now == old;
        // The new file differs from the whole run's only in its time and automatic numbers.
        const bool isNew = now.starts_with("\xEF\xBB\xBF<?xml") &&
                           now.ends_with("</iSAFFile>\r\n") &&
                           now.find("NEW-4004") != std::string::npos &&
                           invoices(now) == invoices(fresh) && invoices(now) == 4000;
        EXPECT_TRUE(isOld || isNew) << "round " << round << ": " << now.size() << " bytes";

        // The settings file: every line still there, the counter a number that never fell.
        const std::string settings = readFile(dir.file("_nustatymai.ini"));
        EXPECT_TRUE(settings.starts_with("[NUSTATYMAI]\r\nasmuo=0\r\ndarbo_vieta=A1\r\nauto_id="))
            << settings;
        EXPECT_TRUE(settings.ends_with("\r\n[VERSIJA]\r\nnr=5.14\r\n")) << settings;
        const std::string counter =
            ProfileFile(dir.file("_nustatymai.ini")).read("NUSTATYMAI", "auto_id");
        ASSERT_FALSE(counter.empty());
        EXPECT_GE(std::stol(counter), lastCounter);
        lastCounter = std::stol(counter);
        writeFile(dir.file(kOutput), old);
    }
    // A kill between naming the new settings file and renaming it can leave its temporary;
    // the next complete run clears what a killed process left.
    ASSERT_EQ(cli.run(runArguments(input.file("senas.xlsx"))).exitCode, 0);
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"_nustatymai.ini", "_nustatymai.ini.lock", "asmenys.txt",
                                        "err.txt", "kolvira-cli", "out.txt", "rinkmenos"}));
    EXPECT_GT(killedMidway, 0);
}

}  // namespace
