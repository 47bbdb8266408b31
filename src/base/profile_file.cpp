#include "base/profile_file.h"

#include <vector>

#include "base/atomic_file.h"
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

}  // namespace

std::string ProfileFile::read(std::string_view section, std::string_view key) const {
    const FileContent file = readWholeFile(path_);
    if (!file.exists || !file.error.empty()) {
        return {};
    }
    const auto lines = splitLines(file.bytes);
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

Status ProfileFile::write(std::string_view section, std::string_view key,
                          std::string_view value) const {
    Status refused = Status::failure("Unable to write to " + path_);
    const auto encodedValue = utf8ToCp1257(value);
    const auto encodedKey = utf8ToCp1257(key);
    const auto encodedSection = utf8ToCp1257(section);
    if (!encodedValue || !encodedKey || !encodedSection ||
        value.find_first_of("\r\n") != std::string_view::npos) {
        return refused;
    }
    const FileContent file = readWholeFile(path_);
    if (!file.error.empty()) {
        return refused;
    }
    auto lines = splitLines(file.bytes);
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
    std::string content;
    for (const auto& line : lines) {
        content += line;
        content += "\r\n";
    }
    if (!replaceFileAtomically(path_, content).ok()) {
        return refused;
    }
    return Status::success();
}
