#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "base/result.h"

// Reading the files the program keeps (settings, payer register, update record): small text
// files that anyone may have put something else in the place of.

// The most read from any file the program keeps; its own files are a few kilobytes.
inline constexpr size_t kMaxKeptFileBytes = size_t{16} << 20;

// The whole file, or nullopt when it does not exist. A file that exists but cannot be read is
// a failure with the system's reason, and so is anything but a regular file (a FIFO, a
// device) and a file larger than kMaxKeptFileBytes.
Result<std::optional<std::string>> readKeptFile(const std::string& path);

// Whether a regular file is at `path` (links followed).
bool fileExists(const std::string& path);

// The file that `path` names once the symbolic links on its last part are followed (the path
// itself when it is no link or does not exist): the file a replace writes, and the one whose
// lock programs reaching it through different links share. A loop of links is a failure.
Result<std::string> fileBehindLinks(const std::string& path);
