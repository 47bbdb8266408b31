#pragma once

#include <string>

// An exclusive lock (flock) on a lock file, held while the object lives; other processes and
// other objects of this process that ask for the same lock wait until it is released. The lock
// file is created as needed and never replaced nor removed: a lock taken on a file that an
// atomic replace renames away, or that another process deleted, would guard nothing.
class FileLock {
  public:
    // Waits for the lock on `lockPath`. Check locked(): a lock file that cannot be opened or
    // created leaves the object unlocked, with the reason in error().
    explicit FileLock(const std::string& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }

  private:
    int fd_ = -1;
    std::string error_;
};
