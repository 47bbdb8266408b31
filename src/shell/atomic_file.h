#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "shell/status.h"

// Every file the program keeps or writes is written to a temporary file beside it and renamed
// over the old one, so a failure (full disk, no permission) leaves the old file whole.
Status replaceFileAtomically(const std::string& path, std::string_view content);

// The whole file, or nothing when it does not exist; a file that exists but cannot be read
// is a failure with the system's reason.
struct FileContent {
    bool exists = false;
    std::string bytes;
    std::string error;  // set when the file exists but could not be read
};
FileContent readWholeFile(const std::string& path);

bool fileExists(const std::string& path);
