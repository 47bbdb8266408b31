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

}  // namespace

Status replaceFileAtomically(const std::string& path, std::string_view content) {
    std::string temporary = path + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        return Status::failure("Cannot create file \"" + path + "\". " + reason());
    }
    temporary.assign(name.data());
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    fchmod(fd, mode);

    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string why = reason();
            ::close(fd);
            ::unlink(temporary.c_str());
            return Status::failure("Cannot write file \"" + path + "\". " + why);
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
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
