#include "base/folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

Status createFolders(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    if (path.empty() || isFolder(path)) {
        return Status::success();
    }
    // Each level from the top; one that exists (or that another process made meanwhile) is
    // passed by.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string level = path.substr(0, end);
        if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) {
            return Status::failure("Cannot create folder \"" + level + "\". " +
                                   std::strerror(errno));
        }
        if (end == std::string::npos) {
            break;
        }
    }
    if (!isFolder(path)) {
        return Status::failure("Cannot create folder \"" + path + "\". " + std::strerror(ENOTDIR));
    }
    return Status::success();
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}
