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

namespace {

// The loaded lines, when the one at `position` still holds `shown`.
bool stillHolds(const std::vector<std::string>& lines, int position, const Payer& shown) {
    return inRange(lines, position) && Payer::parse(lines[static_cast<size_t>(position)]) == shown;
}

}  // namespace

Result<PayerRegister::LineChange> PayerRegister::changeShownLine(
    int position, const Payer& shown,
    const std::function<Result<std::optional<int>>(std::vector<std::string>&)>& change) const {
    auto loaded = load();
    if (!loaded.ok()) {
        return Failure(loaded.message());
    }
    auto& lines = *loaded;
    if (!stillHolds(lines, position, shown)) {
        return LineChange{true, position};
    }
    const auto changed = change(lines);
    if (!changed.ok()) {
        return Failure(changed.message());
    }
    if (!changed->has_value()) {
        return LineChange{false, position};
    }
    if (const auto saved = save(lines); !saved.ok()) {
        return Failure(saved.message());
    }
    return LineChange{false, **changed};
}

Result<PayerRegister::LineChange> PayerRegister::replace(int position, const Payer& shown,
                                                         const Payer& payer) const {
    return changeShownLine(position, shown, [&](std::vector<std::string>& lines) {
        const std::string line = payer.line();
        lines[static_cast<size_t>(position)] = line;
        sort(lines);
        return Result<std::optional<int>>(positionOf(lines, line));
    });
}

Result<PayerRegister::LineChange> PayerRegister::remove(int position, const Payer& shown) const {
    return changeShownLine(position, shown, [&](std::vector<std::string>& lines) {
        lines.erase(lines.begin() + position);
        return Result<std::optional<int>>(-1);
    });
}

Result<PayerRegister::LineChange> PayerRegister::bindWorkplace(int position, const Payer& shown,
                                                               std::string_view workplace) const {
    return changeShownLine(
        position, shown, [&](std::vector<std::string>& lines) -> Result<std::optional<int>> {
            std::string& line = lines[static_cast<size_t>(position)];
            if (splitPayerLine(line).size() < 3) {
                return Failure("The payer's line holds no company code: " + line);
            }
            Payer payer = shown;
            payer.workplace = workplace;
            if (payer.line() == line) {
                return std::optional<int>();  // already stored so
            }
            line = payer.line();
            return std::optional<int>(position);
        });
}

Result<int> PayerRegister::find(const Payer& payer, int preferred) const {
    const auto loaded = load();
    if (!loaded.ok()) {
        return Failure(loaded.message());
    }
    if (stillHolds(*loaded, preferred, payer)) {
        return preferred;
    }
    for (size_t i = 0; i < loaded->size(); ++i) {
        if (Payer::parse((*loaded)[i]) == payer) {
            return static_cast<int>(i);
        }
    }
    return -1;
}
