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
    ReplacingFile file(path);
    file.write(content);
    return file.commit();
}

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old {};
    const mode_t mode = stat(path_.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    // A file without a name while it is written: a run killed half way leaves nothing behind.
    // Where the file system cannot do that, a named temporary file as for every other file.
    // Naming it at the end goes through /proc.
    fd_ = ::access("/proc/self/fd", X_OK) == 0
              ? ::open(directoryOf(path_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
              : -1;
    if (fd_ < 0) {
        std::vector<char> name(path_.begin(), path_.end());
        const std::string_view suffix = ".XXXXXX";
        name.insert(name.end(), suffix.begin(), suffix.end());
        name.push_back('\0');
        fd_ = mkstemp(name.data());
        if (fd_ < 0) {
            failure_ = "Cannot create file \"" + path_ + "\". " + reason();
            return;
        }
        temporary_.assign(name.data());
    }
    fchmod(fd_, mode);
}

ReplacingFile::~ReplacingFile() {
    discard();
}

void ReplacingFile::fail(std::string message) {
    failure_ = std::move(message);
    discard();
}

void ReplacingFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

void ReplacingFile::write(std::string_view bytes) {
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno != EINTR) {
                fail("Cannot write file \"" + path_ + "\". " + reason());
            }
            continue;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}

// Gives the complete unnamed file a free temporary name beside the target, for the rename.
bool ReplacingFile::nameTemporary() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::vector<char> name(path_.begin(), path_.end());
        const std::string_view suffix = ".XXXXXX";
        name.insert(name.end(), suffix.begin(), suffix.end());
        name.push_back('\0');
        const int reserved = mkstemp(name.data());
        if (reserved < 0) {
            return false;
        }
        ::close(reserved);
        ::unlink(name.data());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.data(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_.assign(name.data());
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

Status ReplacingFile::commit() {
    if (fd_ < 0) {
        return Status::failure(failure_);
    }
    std::string why;
    if (::fsync(fd_) != 0 || (temporary_.empty() && !nameTemporary())) {
        why = reason();
    }
    if (::close(fd_) != 0 && why.empty()) {
        why = reason();
    }
    fd_ = -1;
    if (!why.empty()) {
        fail("Cannot write file \"" + path_ + "\". " + why);
        return Status::failure(failure_);
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        fail("Cannot write file \"" + path_ + "\". " + reason());
        return Status::failure(failure_);
    }
    temporary_.clear();
    // Make the rename itself durable.
    const int dir = ::open(directoryOf(path_).c_str(), O_RDONLY | O_DIRECTORY);
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
