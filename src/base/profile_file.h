#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/status.h"

// Our stand-in for the Windows profile functions over one INI file. Every call goes straight
// to the file (no cache), so a read always sees the latest write. Section and key names are
// matched without regard to letter case; values are trimmed; lines end in CR LF; the file is
// Windows-1257; it is created by the first write and replaced atomically by every write.
//
// Every write reads, changes and replaces the file under an exclusive lock on a lock file
// beside it (the file's name and ".lock"), so that writers in parallel processes never lose
// each other's values.
class ProfileFile {
  public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // The stored value as UTF-8, or the empty text when the file, section or key is missing,
    // and also when the file cannot be read.
    std::string read(std::string_view section, std::string_view key) const;

    // Whether the file can be read: a missing file can; one that is no regular file, is larger
    // than any settings file or refuses reading fails with the reason.
    Status readable() const;

    // Stores the value at once. A refused write fails with "Unable to write to <path>" and
    // leaves the file as it was.
    Status write(std::string_view section, std::string_view key, std::string_view value) const;

    // Reads the stored value (empty when missing), lets `change` make the new one from it and
    // stores that, all under the lock: no other writer comes between the read and the write.
    // A file that cannot be read fails with its reason and `change` is not called; a failure
    // `change` returns is returned and nothing is written; a refused write fails with "Unable
    // to write to <path>".
    using Change = std::function<Status(const std::string& stored, std::string& replacement)>;
    Status update(std::string_view section, std::string_view key, const Change& change) const;

  private:
    std::string path_;
};
