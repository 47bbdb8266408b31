#include "base/program_settings.h"

#include <charconv>

namespace {

constexpr std::string_view kSection = "NUSTATYMAI";

// A decimal integer with an optional sign, and nothing else; blanks around it are already
// trimmed by the read.
bool parseInteger(std::string_view text, int& value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            return false;
        }
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

}  // namespace

int ProgramSettings::payerPosition() const {
    int position = 0;
    return parseInteger(file_.read(kSection, "asmuo"), position) ? position : 0;
}

Result<void> ProgramSettings::setPayerPosition(int position) const {
    return file_.write(kSection, "asmuo", std::to_string(position));
}

std::string ProgramSettings::workplace() const {
    return file_.read(kSection, "darbo_vieta");
}

Result<void> ProgramSettings::setWorkplace(std::string_view name) const {
    return file_.write(kSection, "darbo_vieta", name);
}

std::string ProgramSettings::programVersion() const {
    return versionFile_.read("VERSIJA", "nr");
}
