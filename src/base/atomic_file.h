#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

// Every file the program keeps or writes is written to a temporary file beside it and renamed
// over the old one, so a failure (full disk, no permission) leaves the old file whole. A new
// file follows the umask, a replaced one keeps its mode, and a symbolic link is followed: the
// file it points to is replaced and the link stays. Anything but a regular file is refused.
Status replaceFileAtomically(const std::string& path, std::string_view content);

// A file written in pieces and replaced the way every file of the program is: into a temporary
// file beside it, renamed over the old one only once it is complete and on disk. A failure
// anywhere leaves the old file whole and no temporary file behind; so does a process that is
// killed, as long as the file system can hold a file without a name (O_TMPFILE) until it is
// complete.
class ReplacingFile {
  public:
    explicit ReplacingFile(std::string path);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Appends bytes. After the first failure the rest are dropped; commit() reports it.
    void write(std::string_view bytes);

    // Makes the written bytes the file at `path`, or tells why not.
    Status commit();

  private:
    void fail(std::string message);
    void discard();
    bool nameTemporary();

    std::string path_;
    std::string target_;  // the file replaced: the path with its symbolic links followed
    std::string temporary_;
    int fd_ = -1;
    std::string failure_;
};
