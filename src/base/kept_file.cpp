#include "base/kept_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "base/folders.h"

namespace {

Failure failureOf(const char* what, const std::string& path, int error) {
    return Failure(std::string(what) + " \"" + path + "\". " + std::strerror(error));
}

}  // namespace

Result<std::optional<std::string>> readKeptFile(const std::string& path) {
    // Not blocking on open: a FIFO in the file's place would wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::optional<std::string>();
        }
        return failureOf("Cannot open file", path, errno);
    }
    // Only a regular file: a device such as /dev/zero never ends, a FIFO may never answer.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Failure("Cannot open file \"" + path + "\". Not a regular file");
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return failureOf("Cannot read file", path, error);
        }
        if (n == 0) {
            break;
        }
        if (bytes.size() + static_cast<size_t>(n) > kMaxKeptFileBytes) {
            ::close(fd);
            return failureOf("Cannot read file", path, EFBIG);
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return std::optional<std::string>(std::move(bytes));
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Result<std::string> fileBehindLinks(const std::string& path) {
    constexpr int kMostLinks = 40;  // as the kernel allows
    std::string current = path;
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        if (links == kMostLinks) {
            return Failure(std::strerror(ELOOP));
        }
        std::vector<char> target(PATH_MAX);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<size_t>(length) >= target.size()) {
            return Failure(std::strerror(length < 0 ? errno : ENAMETOOLONG));
        }
        const std::string_view link(target.data(), static_cast<size_t>(length));
        // A relative link is read from the folder of the link itself.
        current = link.starts_with('/') ? std::string(link) : directoryOf(current).append(link);
    }
}
