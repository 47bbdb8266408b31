#include "base/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/folders.h"
#include "base/kept_file.h"

namespace {

std::string reason() {
    return std::strerror(errno);
}

// The process's umask, which new files follow. Read where the system tells it without
// changing it; elsewhere set and put back at once.
mode_t currentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned int mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr) {
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        }
        std::fclose(status);
        if (found) {
            return static_cast<mode_t>(mask);
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// A file is named for a moment before it replaces the old one; the name carries the writing
// process's id, so that a temporary left by a killed process can be told from one that a live
// process is about to rename.
constexpr std::string_view kTemporaryMark = ".tmp";

std::string temporaryNameOf(const std::string& path) {
    return path + std::string(kTemporaryMark) + std::to_string(::getpid());
}

// Removes the temporaries beside `path` that processes no longer running left behind.
void removeStaleTemporaries(const std::string& path) {
    const std::string directory = directoryOf(path);
    const std::string prefix =
        path.substr(path.find_last_of('/') + 1) + std::string(kTemporaryMark);
    DIR* folder = ::opendir(directory.c_str());
    if (folder == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || name.size() == prefix.size() ||
            name.find_first_not_of("0123456789", prefix.size()) != std::string_view::npos ||
            name.size() - prefix.size() > 9) {
            continue;
        }
        const pid_t writer = static_cast<pid_t>(std::stol(std::string(name.substr(prefix.size()))));
        if (writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH) {
            ::unlink((directory + std::string(name)).c_str());
        }
    }
    ::closedir(folder);
}

}  // namespace

Status replaceFileAtomically(const std::string& path, std::string_view content) {
    // The installed program keeps its files in the user's folders, which may not exist yet.
    if (Status folder = createFolders(directoryOf(path)); !folder.ok()) {
        return folder;
    }
    ReplacingFile file(path);
    file.write(content);
    return file.commit();
}

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {
    // A symbolic link stays: the file it points to is replaced, from its own folder, so that
    // the rename stays within one file system and the link's target keeps being updated.
    Result<std::string> target = fileBehindLinks(path_);
    if (!target.ok()) {
        failure_ = "Cannot create file \"" + path_ + "\". " + target.message();
        return;
    }
    target_ = std::move(target.value());
    // The file being replaced keeps its permissions; a new one follows the umask.
    struct stat old {};
    mode_t mode = 0666 & ~currentUmask();
    if (::stat(target_.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            failure_ = "Cannot create file \"" + path_ + "\". Not a regular file";
            return;
        }
        mode = old.st_mode & 07777;
    }
    // A file without a name while it is written: a run killed half way leaves nothing behind.
    // Where the file system cannot do that, a named temporary file as for every other file.
    // Naming it at the end goes through /proc. Either way nobody else may read it until it has
    // the mode it is meant to have.
    fd_ = ::access("/proc/self/fd", X_OK) == 0
              ? ::open(directoryOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
              : -1;
    if (fd_ < 0) {
        temporary_ = temporaryNameOf(target_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            failure_ = "Cannot create file \"" + path_ + "\". " + reason();
            temporary_.clear();
            return;
        }
    }
    if (::fchmod(fd_, mode) != 0) {
        fail("Cannot create file \"" + path_ + "\". " + reason());
    }
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

// Gives the complete unnamed file its temporary name beside the target, for the rename.
bool ReplacingFile::nameTemporary() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    const std::string name = temporaryNameOf(target_);
    ::unlink(name.c_str());  // left by an earlier process that had this id
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        return false;
    }
    temporary_ = name;
    return true;
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
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail("Cannot write file \"" + path_ + "\". " + reason());
        return Status::failure(failure_);
    }
    temporary_.clear();
    removeStaleTemporaries(target_);
    // Make the rename itself durable.
    const int dir = ::open(directoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Status::success();
}
