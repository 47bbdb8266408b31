#include "shell/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

std::string reason() {
    return std::strerror(errno);
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Gives a complete unnamed file (O_TMPFILE) a free temporary name beside `path`.
bool nameUnnamedFile(int fd, const std::string& path, std::string& temporary) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::vector<char> name(path.begin(), path.end());
        for (const char c : std::string_view(".XXXXXX")) {
            name.push_back(c);
        }
        name.push_back('\0');
        const int reserved = mkstemp(name.data());
        if (reserved < 0) {
            return false;
        }
        ::close(reserved);
        ::unlink(name.data());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.data(), AT_SYMLINK_FOLLOW) == 0) {
            temporary.assign(name.data());
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

}  // namespace

Status replaceFileAtomically(const std::string& path, std::string_view content) {
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    // The new content goes into an unnamed file first, where the system offers one: a process
    // killed while writing leaves nothing behind, not a partial file beside the real one.
    std::string temporary;
    int fd = ::access("/proc/self/fd", X_OK) == 0
                 ? ::open(directoryOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)
                 : -1;
    const bool unnamed = fd >= 0;
    if (!unnamed) {
        temporary = path + ".XXXXXX";
        std::vector<char> name(temporary.begin(), temporary.end());
        name.push_back('\0');
        fd = mkstemp(name.data());
        if (fd < 0) {
            return Status::failure("Cannot create file \"" + path + "\". " + reason());
        }
        temporary.assign(name.data());
    }
    fchmod(fd, mode);
    const auto fail = [&](const std::string& why) {
        ::close(fd);
        if (!temporary.empty()) {
            ::unlink(temporary.c_str());
        }
        return Status::failure("Cannot write file \"" + path + "\". " + why);
    };

    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(reason());
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || (unnamed && !nameUnnamedFile(fd, path, temporary))) {
        return fail(reason());
    }
    if (::close(fd) != 0) {
        const std::string why = reason();
        ::unlink(temporary.c_str());
        return Status::failure("Cannot write file \"" + path + "\". " + why);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = reason();
        ::unlink(temporary.c_str());
        return Status::failure("Cannot write file \"" + path + "\". " + why);
    }
    // Make the rename itself durable.
    const int dir = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Status::success();
}

FileContent readWholeFile(const std::string& path) {
    FileContent result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            result.exists = true;
            result.error = "Cannot open file \"" + path + "\". " + reason();
        }
        return result;
    }
    result.exists = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.error = "Cannot read file \"" + path + "\". " + reason();
            break;
        }
        if (n == 0) {
            break;
        }
        result.bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return result;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
