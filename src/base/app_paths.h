#pragma once

#include <string>

// Every file and folder of the program is found in the directory of the running executable,
// never in the working directory.
class AppPaths {
  public:
    // The folder given, with a trailing separator added when missing.
    explicit AppPaths(std::string directory);

    // The directory of the running executable.
    static AppPaths ofExecutable();

    const std::string& directory() const { return directory_; }
    std::string settingsFile() const { return directory_ + "_nustatymai.ini"; }
    std::string payerRegister() const { return directory_ + "asmenys.txt"; }
    std::string outputFolder() const { return directory_ + "rinkmenos"; }
    std::string templateFolder() const { return directory_ + "sablonas"; }
    std::string updateRecord() const { return directory_ + "load.log"; }

  private:
    std::string directory_;
};
