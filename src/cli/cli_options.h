#pragma once

#include <optional>
#include <string>
#include <vector>

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

// Nothing, with the reason in `error`, when the command line is not understood.
std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error);

extern const char* const kCliUsage;
