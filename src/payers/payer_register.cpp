#include "payers/payer_register.h"

#include <algorithm>

#include "shell/atomic_file.h"
#include "shell/collation.h"
#include "shell/text_codec.h"

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
    const std::string text = decodeOwnTextFile(file.bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        result.lines.push_back(std::move(line));
        start = end + 1;
    }
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
