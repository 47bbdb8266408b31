#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(ReplacingFile, ClearsTemporariesThatDeadProcessesLeft) {
    TempDir dir;
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    const std::string dead = dir.file("a.txt.tmp") + std::to_string(child);
    const std::string alive = dir.file("a.txt.tmp") + std::to_string(getppid());
    const std::string other = dir.file("b.txt.tmp") + std::to_string(child);
    for (const auto& path : {dead, alive, other}) {
        writeFile(path, "half");
    }
    ASSERT_TRUE(replaceFileAtomically(dir.file("a.txt"), "whole").ok());
    EXPECT_EQ(readFile(dir.file("a.txt")), "whole");
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(alive));  // a live writer is about to rename it
    EXPECT_TRUE(std::filesystem::exists(other));  // another file's
}

}  // namespace

TEST(ReplacingFile, WrittenInPiecesReplacesTheOldFileWithItsPermissions) {
    TempDir dir;
    const std::string path = dir.file("out.xml");
    writeFile(path, "old");
    ::chmod(path.c_str(), 0640);
    ReplacingFile file(path);
    file.write("new ");
    EXPECT_EQ(readFile(path), "old");  // nothing shows before the commit
    file.write(std::string(3 << 20, 'x'));
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(readFile(path), "new " + std::string(3 << 20, 'x'));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.xml"});
}

TEST(ReplacingFile, AnAbandonedFileLeavesTheOldOneAndNothingElse) {
    TempDir dir;
    const std::string path = dir.file("out.xml");
    writeFile(path, "old");
    {
        ReplacingFile file(path);
        file.write("half of a file");
    }  // a run that failed half way
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"out.xml"});
}

TEST(ReplacingFile, AFolderThatIsNotThereIsTheCommitsFailure) {
    TempDir dir;
    const std::string path = dir.file("missing/out.xml");
    ReplacingFile file(path);
    file.write("bytes");
    const Status status = file.commit();
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.message().rfind("Cannot create file \"" + path + "\". ", 0), 0u)
        << status.message();
    EXPECT_TRUE(entries(dir.path()).empty());
}
