#include "payers/payer.h"

#include <algorithm>

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

Payer Payer::parse(std::string_view line) {
    auto fields = splitPayerLine(line);
    fields.resize(std::max<size_t>(fields.size(), 4));
    return Payer{std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
                 std::move(fields[3])};
}

std::string Payer::line() const {
    return name + ";" + vatCode + ";" + companyCode + ";" + workplace;
}
