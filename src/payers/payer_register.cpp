#include "payers/payer_register.h"

#include <algorithm>

#include "base/atomic_file.h"
#include "base/collation.h"
#include "base/kept_file.h"
#include "base/text_codec.h"

bool PayerRegister::exists() const {
    return fileExists(path_);
}

Result<std::vector<std::string>> PayerRegister::load() const {
    const auto file = readKeptFile(path_);
    if (!file.ok()) {
        return Failure(file.message());
    }
    return splitLines(decodeOwnTextFile(file->value_or("")));
}

Result<void> PayerRegister::save(const std::vector<std::string>& lines) const {
    std::string content;
    for (const auto& line : lines) {
        const auto encoded = utf8ToCp1257(line);
        if (!encoded) {
            return Failure("Cannot write file \"" + path_ +
                           "\". A line holds characters that Windows-1257 cannot store: " + line);
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

bool inRange(const std::vector<std::string>& lines, int position) {
    return position >= 0 && static_cast<size_t>(position) < lines.size();
}

}  // namespace

Result<int> PayerRegister::add(const Payer& payer) const {
    auto loaded = load();
    if (!loaded.ok()) {
        return Failure(loaded.message());
    }
    auto& lines = *loaded;
    const std::string line = payer.line();
    lines.push_back(line);
    sort(lines);
    if (const auto saved = save(lines); !saved.ok()) {
        return Failure(saved.message());
    }
    return positionOf(lines, line);
}

Result<int> PayerRegister::replace(int position, const Payer& payer) const {
    auto loaded = load();
    if (!loaded.ok()) {
        return Failure(loaded.message());
    }
    auto& lines = *loaded;
    const std::string line = payer.line();
    const bool replacing = inRange(lines, position);
    if (replacing) {
        lines[static_cast<size_t>(position)] = line;
    }
    sort(lines);
    if (const auto saved = save(lines); !saved.ok()) {
        return Failure(saved.message());
    }
    return replacing ? positionOf(lines, line) : position;
}

Result<void> PayerRegister::remove(int position) const {
    auto loaded = load();
    if (!loaded.ok()) {
        return Failure(loaded.message());
    }
    auto& lines = *loaded;
    if (!inRange(lines, position)) {
        return Result<void>::success();
    }
    lines.erase(lines.begin() + position);
    return save(lines);
}

Result<void> PayerRegister::bindWorkplace(int position, std::string_view workplace) const {
    if (!exists()) {
        return Result<void>::success();
    }
    auto loaded = load();
    if (!loaded.ok()) {
        return Failure(loaded.message());
    }
    auto& lines = *loaded;
    if (inRange(lines, position)) {
        std::string& line = lines[static_cast<size_t>(position)];
        if (splitPayerLine(line).size() < 3) {
            return Failure("The payer's line holds no company code: " + line);
        }
        Payer payer = Payer::parse(line);
        payer.workplace = workplace;
        if (payer.line() == line) {
            return Result<void>::success();  // already stored so
        }
        line = payer.line();
    }
    return save(lines);
}
