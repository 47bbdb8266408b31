#pragma once

#include <optional>
#include <string>

// The user's own folders, as the desktop names them (the front end asks Qt for them).
struct UserFolders {
    std::string configuration;  // the program's configuration folder, e.g. ~/.config/kolvira
    std::string documents;      // e.g. ~/Documents
};

// Where every file and folder of the program lives. One value decides, for the window and
// kolvira-cli alike, never the working directory:
// - portable (a build tree, an unpacked folder): everything beside the executable;
// - installed (a package, `cmake --install`): settings and payer register in the user's
//   configuration folder, i.SAF files in the user's documents folder under Kolvira/rinkmenos,
//   the template and the version read from <prefix>/share/kolvira, and no program update
//   (the package manager updates).
class ProgramPaths {
  public:
    // The portable layout for the program's folder (a trailing separator is added when missing).
    explicit ProgramPaths(std::string programFolder);

    // The installed layout: `dataFolder` is <prefix>/share/kolvira.
    static ProgramPaths installed(std::string programFolder, std::string dataFolder,
                                  const UserFolders& user);

    // <prefix>/share/kolvira/ when the program's folder is <prefix>/bin and that folder exists:
    // the mark of an installed program. Nothing for any other folder.
    static std::optional<std::string> installedDataFolder(const std::string& programFolder);

    // The layout of the program in `programFolder`, decided by installedDataFolder. The user's
    // folders are asked for only when the program is installed.
    template <typename AskUserFolders>
    static ProgramPaths forProgramFolder(const std::string& programFolder,
                                         AskUserFolders askUserFolders) {
        if (auto data = installedDataFolder(programFolder)) {
            return installed(programFolder, std::move(*data), askUserFolders());
        }
        return ProgramPaths(programFolder);
    }

    // The folder of the running executable, with a trailing separator. Throws when the system
    // cannot tell.
    static std::string executableFolder();

    bool isInstalled() const { return installed_; }
    // The program update (the check at start, the download, the installer at close).
    bool updatesEnabled() const { return !installed_; }

    // The executable's folder: where a downloaded installer and its record live.
    const std::string& directory() const { return directory_; }

    std::string settingsFile() const { return configuration_ + "_nustatymai.ini"; }
    std::string payerRegister() const { return configuration_ + "asmenys.txt"; }
    // The file whose "VERSIJA" entry "nr" holds the program's version: the settings file that
    // the installer (or the build) leaves it in, or the installed program's own.
    std::string versionFile() const;
    std::string outputFolder() const { return output_; }
    std::string templateFolder() const { return template_; }
    std::string updateRecord() const { return directory_ + "load.log"; }

  private:
    ProgramPaths() = default;

    bool installed_ = false;
    std::string directory_;
    std::string configuration_;  // with a trailing separator
    std::string output_;
    std::string template_;
    std::string data_;  // installed only, with a trailing separator
};
