#include "update/update_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <limits>

#include "base/atomic_file.h"
#include "base/kept_file.h"
#include "base/text_codec.h"
#include "update/file_digest.h"

std::optional<UpdateRecord> readUpdateRecord(const std::string& path) {
    const auto file = readKeptFile(path);
    if (!file.ok() || !file->has_value()) {
        return std::nullopt;
    }
    const std::string text = decodeOwnTextFile(**file);
    std::string lines[4];
    size_t count = 0;
    size_t start = 0;
    // Lines end in CR LF; a lone LF or CR ends one too, as for any text file we read.
    while (count < 4 && start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        lines[count++] = text.substr(start, end == std::string::npos ? end : end - start);
        if (end == std::string::npos) {
            start = text.size();
        } else {
            start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        }
    }
    if (count < 3) {
        return std::nullopt;
    }
    return UpdateRecord{lines[0], lines[1], lines[2], lines[3]};
}

Status writeUpdateRecord(const std::string& path, const UpdateRecord& record) {
    const auto bytes =
        utf8ToCp1257(record.version + "\r\n" + record.fileName + "\r\n" + record.sizeText + "\r\n" +
                     (record.sha256.empty() ? std::string() : record.sha256 + "\r\n"));
    if (!bytes) {
        return Status::failure("The update record cannot hold \"" + record.fileName + "\"");
    }
    return replaceFileAtomically(path, *bytes);
}

bool isInstallerFileName(std::string_view name) {
    constexpr std::string_view kPrefix = "update_";
    constexpr std::string_view kSuffix = ".exe";
    if (name.size() < kPrefix.size() + kSuffix.size()) {
        return false;
    }
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower.starts_with(kPrefix) && lower.ends_with(kSuffix);
}

bool isCompleteInstaller(const UpdateRecord& record, const std::string& installer) {
    const auto length = fileLength(installer);
    if (!length || decimalOr(record.sizeText, 0) != *length) {
        return false;
    }
    if (record.sha256.empty()) {
        return true;
    }
    const auto expected = sha256Text(record.sha256);
    return expected && sha256OfFile(installer) == expected;
}

// The installers go first: a process ended in between leaves a record whose installer is
// missing, which the next start clears, rather than an installer no record names.
void removeUpdateFiles(const ProgramPaths& paths) {
    std::error_code error;
    std::filesystem::directory_iterator entries(paths.directory(), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (isInstallerFileName(name) && !entries->is_directory(error)) {
            ::unlink(entries->path().c_str());
        }
    }
    ::unlink(paths.updateRecord().c_str());
}

bool isPlainFileName(std::string_view name) {
    // No folder can hold a name over 255 bytes: the download could never create the file.
    constexpr size_t kMaxFileNameBytes = 255;
    if (name.empty() || name.size() > kMaxFileNameBytes ||
        name.find_first_of("/\\:") != std::string_view::npos ||
        name.find("..") != std::string_view::npos || name == ".") {
        return false;
    }
    // Control characters would break the record's lines.
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return true;
}

std::optional<std::int64_t> fileLength(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!known) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t decimalOr(std::string_view text, std::int64_t fallback) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return fallback;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return fallback;
        }
        const int digit = c - '0';
        if (value > (kMax - digit) / 10) {
            return fallback;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}
