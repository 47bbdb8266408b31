#pragma once

#include <string>
#include <string_view>

#include "shell/status.h"

// The i.SAF file written as it is built, the way every file of the program is replaced: into a
// temporary file beside it, renamed over the old one only once it is complete and on disk. A
// failure anywhere leaves the old file whole and no temporary file behind; so does a run that
// is killed, as long as the file system can hold a file without a name (O_TMPFILE) until it
// is complete. The messages are those of replaceFileAtomically.
class OutputFile {
  public:
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends bytes. After the first failure the rest are dropped; commit() reports it.
    void write(std::string_view bytes);

    // Makes the written bytes the file at `path`, or tells why not.
    Status commit();

  private:
    void fail(std::string message);
    void discard();
    bool nameTemporary();

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    std::string failure_;
};
