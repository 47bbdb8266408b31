#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

// Our stand-in for the Windows profile functions over one INI file. Every call goes straight
// to the file (no cache), so a read always sees the latest write. Section and key names are
// matched without regard to letter case; values are trimmed; lines end in CR LF; the file is
// Windows-1257; it is created by the first write and replaced atomically by every write.
class ProfileFile {
  public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    // The stored value as UTF-8, or the empty text when the file, section or key is missing.
    std::string read(std::string_view section, std::string_view key) const;

    // Stores the value at once. A refused write fails with "Unable to write to <path>" and
    // leaves the file as it was.
    Status write(std::string_view section, std::string_view key, std::string_view value) const;

  private:
    std::string path_;
};
