#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// A copy of kolvira-cli in a folder of its own, so that its settings, register and "rinkmenos"
// belong to the test.
class CliRunner {
  public:
    struct Outcome {
        int exitCode = -1;
        std::string out;
        std::string err;
    };

    explicit CliRunner(const TempDir& dir) : dir_(dir) {
        std::filesystem::copy_file(KOLVIRA_CLI_PATH, dir.file("kolvira-cli"),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(dir.file("kolvira-cli"), std::filesystem::perms::owner_all);
    }

    static std::string quoted(const std::string& text) {
        std::string result = "'";
        for (char c : text) {
            result += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return result + "'";
    }

    Outcome run(const std::vector<std::string>& arguments) const {
        std::string command = quoted(dir_.file("kolvira-cli"));
        for (const auto& argument : arguments) {
            command += " " + quoted(argument);
        }
        command += " > " + quoted(dir_.file("out.txt")) + " 2> " + quoted(dir_.file("err.txt"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir_.file("out.txt")),
                readFile(dir_.file("err.txt"))};
    }

  private:
    const TempDir& dir_;
};
