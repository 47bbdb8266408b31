#pragma once

#include <string>

#include "base/status.h"

// Creates the folder and every missing folder above it, with the usual permissions (what the
// umask leaves of rwxrwxrwx), as the first file written into it needs them. Succeeds when the
// folder exists afterwards, also when it was there already.
Status createFolders(const std::string& folder);

// The folder a file path names, with its trailing slash; "./" for a bare file name.
std::string directoryOf(const std::string& path);
