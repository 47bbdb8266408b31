#include "base/profile_file.h"

#include <vector>

#include "base/atomic_file.h"
#include "base/file_lock.h"
#include "base/folders.h"
#include "base/kept_file.h"
#include "base/text.h"
#include "base/text_codec.h"

namespace {

constexpr size_t kMaxValueLength = 2047;

// A section heading "[name]" gives the name; any other line gives nothing.
bool sectionName(std::string_view line, std::string_view& name) {
    line = trimmed(line);
    if (line.empty() || line.front() != '[') {
        return false;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = trimmed(line.substr(1, close - 1));
    return true;
}

// An entry "key=value" gives the key and the value; any other line gives nothing.
bool entry(std::string_view line, std::string_view& key, std::string_view& value) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return false;
    }
    key = trimmed(line.substr(0, equals));
    value = trimmed(line.substr(equals + 1));
    return true;
}

struct Location {
    bool sectionFound = false;
    size_t keyLine = std::string::npos;     // the entry's line, when present
    size_t insertLine = std::string::npos;  // where a new entry of the section goes
};

Location locate(const std::vector<std::string>& lines, std::string_view section,
                std::string_view key) {
    Location where;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (sectionName(lines[i], name)) {
            if (inSection) {
                break;  // the first section of that name is the one used
            }
            inSection = equalsIgnoringCase(name, section);
            if (inSection) {
                where.sectionFound = true;
                where.insertLine = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        std::string_view k, v;
        if (!trimmed(lines[i]).empty()) {
            where.insertLine = i + 1;
        }
        if (entry(lines[i], k, v) && equalsIgnoringCase(k, key)) {
            where.keyLine = i;
            return where;
        }
    }
    return where;
}

// The value of the key in the file's lines, as read(): without matching quotes, at most
// kMaxValueLength characters, UTF-8.
std::string valueIn(const std::vector<std::string>& lines, std::string_view section,
                    std::string_view key) {
    const Location where = locate(lines, section, key);
    if (where.keyLine == std::string::npos) {
        return {};
    }
    std::string_view k, value;
    entry(lines[where.keyLine], k, value);
    // As the Windows profile functions do, a value in matching quotes loses them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > kMaxValueLength) {
        value = value.substr(0, kMaxValueLength);
    }
    return decodeOwnTextFile(value);
}

}  // namespace

std::string ProfileFile::read(std::string_view section, std::string_view key) const {
    const auto file = readKeptFile(path_);
    if (!file.ok() || !file->has_value()) {
        return {};
    }
    return valueIn(splitLines(**file), section, key);
}

Status ProfileFile::readable() const {
    const auto file = readKeptFile(path_);
    return file.ok() ? Status::success() : Failure(file.message());
}

Status ProfileFile::write(std::string_view section, std::string_view key,
                          std::string_view value) const {
    const Status written = update(section, key, [value](const std::string&, std::string& to) {
        to = value;
        return Status::success();
    });
    return written.ok() ? written : Status::failure("Unable to write to " + path_);
}

Status ProfileFile::update(std::string_view section, std::string_view key,
                           const Change& change) const {
    Status refused = Status::failure("Unable to write to " + path_);
    const auto encodedKey = utf8ToCp1257(key);
    const auto encodedSection = utf8ToCp1257(section);
    const Result<std::string> file = fileBehindLinks(path_);
    if (!encodedKey || !encodedSection || !file.ok()) {
        return refused;
    }
    // The installed program keeps its settings in the user's folder, which may not exist yet.
    if (!createFolders(directoryOf(*file)).ok()) {
        return refused;
    }
    // Beside the file the links lead to: programs that reach one settings file through
    // different links take the same lock.
    const FileLock lock(*file + ".lock");
    if (!lock.locked()) {
        return refused;
    }
    const auto content = readKeptFile(path_);
    if (!content.ok()) {
        return Failure(content.message());
    }
    auto lines = splitLines(content->value_or(""));
    std::string value;
    Status decided = change(valueIn(lines, section, key), value);
    if (!decided.ok()) {
        return decided;
    }
    const auto encodedValue = utf8ToCp1257(value);
    if (!encodedValue || value.find_first_of("\r\n") != std::string::npos) {
        return refused;
    }
    const std::string newEntry = *encodedKey + "=" + *encodedValue;
    const Location where = locate(lines, section, key);
    if (where.keyLine != std::string::npos) {
        lines[where.keyLine] = newEntry;
    } else if (where.sectionFound) {
        lines.insert(lines.begin() + static_cast<long>(where.insertLine), newEntry);
    } else {
        lines.push_back("[" + *encodedSection + "]");
        lines.push_back(newEntry);
    }
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    if (!replaceFileAtomically(path_, bytes).ok()) {
        return refused;
    }
    return Status::success();
}
