#include "base/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FileLock::FileLock(const std::string& lockPath) {
    // Not blocking on open: a FIFO put in the lock file's place must not hang the program.
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0 && errno == EACCES) {
        fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // flock needs no write
    }
    if (fd < 0) {
        error_ = "Cannot open file \"" + lockPath + "\". " + std::strerror(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error_ = "Cannot open file \"" + lockPath + "\". Not a regular file";
        ::close(fd);
        return;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = "Cannot lock file \"" + lockPath + "\". " + std::strerror(errno);
            ::close(fd);
            return;
        }
    }
    fd_ = fd;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}
