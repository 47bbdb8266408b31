#include "base/app_paths.h"

#include <unistd.h>

#include <climits>
#include <stdexcept>

AppPaths::AppPaths(std::string directory) : directory_(std::move(directory)) {
    if (directory_.empty() || directory_.back() != '/') {
        directory_ += '/';
    }
}

AppPaths AppPaths::ofExecutable() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        throw std::runtime_error("cannot find the program's own folder");
    }
    std::string path(buffer, static_cast<size_t>(n));
    return AppPaths(path.substr(0, path.find_last_of('/') + 1));
}
