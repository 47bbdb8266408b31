#include "base/program_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <stdexcept>

namespace {

std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

ProgramPaths::ProgramPaths(std::string programFolder)
    : directory_(withSeparator(std::move(programFolder))),
      configuration_(directory_),
      output_(directory_ + "rinkmenos"),
      template_(directory_ + "sablonas") {}

ProgramPaths ProgramPaths::installed(std::string programFolder, std::string dataFolder,
                                     const UserFolders& user) {
    ProgramPaths paths;
    paths.installed_ = true;
    paths.directory_ = withSeparator(std::move(programFolder));
    paths.configuration_ = withSeparator(user.configuration);
    paths.output_ = withSeparator(user.documents) + "Kolvira/rinkmenos";
    paths.data_ = withSeparator(std::move(dataFolder));
    paths.template_ = paths.data_ + "sablonas";
    return paths;
}

std::optional<std::string> ProgramPaths::installedDataFolder(const std::string& programFolder) {
    std::string folder = programFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    const auto slash = folder.find_last_of('/');
    if (slash == std::string::npos || folder.compare(slash + 1, std::string::npos, "bin") != 0) {
        return std::nullopt;
    }
    const std::string data = folder.substr(0, slash + 1) + "share/kolvira/";
    if (!isFolder(data)) {
        return std::nullopt;
    }
    return data;
}

std::string ProgramPaths::executableFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        throw std::runtime_error("cannot find the program's own folder");
    }
    const std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/') + 1);
}

std::string ProgramPaths::versionFile() const {
    return installed_ ? data_ + "versija.ini" : settingsFile();
}
