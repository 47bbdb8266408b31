#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/program_paths.h"
#include "base/status.h"

// The update record "load.log" beside the executable: what the last download brought. It is
// written before the transfer starts, so the size line is what tells a complete installer
// from a partial one.
struct UpdateRecord {
    std::string version;      // the version the installer brings
    std::string fileName;     // the installer, beside the executable
    std::string sizeText;     // its size in bytes as the server reported it, decimal
    std::string sha256 = {};  // its SHA-256 as the update service named it; empty without one
};

// Nothing when the record cannot be read or has fewer than three lines. A fourth line is the
// installer's SHA-256.
std::optional<UpdateRecord> readUpdateRecord(const std::string& path);

// Three lines (four with a SHA-256), CR LF, Windows-1257; an earlier record is replaced as a
// whole or not at all.
Status writeUpdateRecord(const std::string& path, const UpdateRecord& record);

// Whether the installer the record names is complete: its length is the recorded size and,
// when the record carries a SHA-256, its bytes have that digest. `installer` is its path.
bool isCompleteInstaller(const UpdateRecord& record, const std::string& installer);

// Deletes every installer file ("update_*.exe", letter case aside) beside the executable, also
// ones the record does not name, then the record. Nothing here needs room on the disk, so a
// disk the download filled is cleared. Files that resist are left.
void removeUpdateFiles(const ProgramPaths& paths);

// "update_*.exe", letter case aside: the only names the program downloads or deletes.
bool isInstallerFileName(std::string_view name);

// A bare file name: no folder part, no "..", no drive, no control characters. The server names the
// installer, and it must not be able to have anything written outside the program's folder.
bool isPlainFileName(std::string_view name);

// The length in bytes of the file, or nothing when it cannot be opened.
std::optional<std::int64_t> fileLength(const std::string& path);

// The text read as a decimal integer, or the fallback when it is not one.
std::int64_t decimalOr(std::string_view text, std::int64_t fallback);
