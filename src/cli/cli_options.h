#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

// The command line of kolvira-cli, parsed.
struct CliOptions {
    std::optional<std::string> payerCode;
    std::optional<std::string> workplace;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<std::string> locale;
    std::optional<std::string> outputDir;
    std::string workbook;  // with --check, the i.SAF file to check
    bool summary = false;
    bool strict = false;  // a saved file with warnings exits 6
    bool help = false;
    bool check = false;
    std::string format = "text";  // text or json
};

// The options, or why the command line is not understood.
Result<CliOptions> parseCliOptions(const std::vector<std::string>& arguments);

extern const char* const kCliUsage;
