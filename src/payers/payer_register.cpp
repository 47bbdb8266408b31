#include "payers/payer_register.h"

#include <algorithm>

#include "base/atomic_file.h"
#include "base/collation.h"
#include "base/text_codec.h"

std::vector<std::string> splitPayerLine(std::string_view line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (start <= line.size()) {
        const size_t end = line.find(';', start);
        if (end == std::string_view::npos) {
            if (start < line.size() || fields.empty()) {
                fields.emplace_back(line.substr(start));
            }
            break;
        }
        fields.emplace_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool bindPayerLine(std::string_view line, std::string_view workplace, std::string& result) {
    const auto fields = splitPayerLine(line);
    if (fields.size() < 3) {
        return false;
    }
    result = fields[0] + ";" + fields[1] + ";" + fields[2] + ";" + std::string(workplace);
    return true;
}

bool PayerRegister::exists() const {
    return fileExists(path_);
}

PayerRegister::Lines PayerRegister::load() const {
    Lines result;
    const FileContent file = readWholeFile(path_);
    if (!file.error.empty()) {
        result.status = Status::failure(file.error);
        return result;
    }
    result.lines = splitLines(decodeOwnTextFile(file.bytes));
    return result;
}

Status PayerRegister::save(const std::vector<std::string>& lines) const {
    std::string content;
    for (const auto& line : lines) {
        const auto encoded = utf8ToCp1257(line);
        if (!encoded) {
            return Status::failure("Cannot write file \"" + path_ +
                                   "\". A line holds characters that Windows-1257 cannot "
                                   "store: " +
                                   line);
        }
        content += *encoded;
        content += "\r\n";
    }
    return replaceFileAtomically(path_, content);
}

void PayerRegister::sort(std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(lines.size());
    for (auto& line : lines) {
        keyed.emplace_back(collationKey(line), std::move(line));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i) {
        lines[i] = std::move(keyed[i].second);
    }
}

namespace {

// The position of `line` among sorted lines: the last of equal lines, since the sort is stable
// and the line was put in after the others.
int positionOf(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i] == line) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

Status PayerRegister::add(const std::string& line, int& position) const {
    auto loaded = load();
    if (!loaded.status.ok()) {
        return loaded.status;
    }
    loaded.lines.push_back(line);
    sort(loaded.lines);
    position = positionOf(loaded.lines, line);
    return save(loaded.lines);
}

Status PayerRegister::replace(int& position, const std::string& line) const {
    auto loaded = load();
    if (!loaded.status.ok()) {
        return loaded.status;
    }
    const bool inRange = position >= 0 && static_cast<size_t>(position) < loaded.lines.size();
    if (inRange) {
        loaded.lines[static_cast<size_t>(position)] = line;
    }
    sort(loaded.lines);
    if (inRange) {
        position = positionOf(loaded.lines, line);
    }
    return save(loaded.lines);
}

Status PayerRegister::remove(int position) const {
    auto loaded = load();
    if (!loaded.status.ok()) {
        return loaded.status;
    }
    if (position < 0 || static_cast<size_t>(position) >= loaded.lines.size()) {
        return Status::success();
    }
    loaded.lines.erase(loaded.lines.begin() + position);
    return save(loaded.lines);
}
