#include "cli/check_command.h"

#include <exception>
#include <iostream>

#include "base/kept_file.h"
#include "cli/json_report.h"
#include "isaf/file_check.h"
#include "run/generation_run.h"

namespace {

int exitCodeOf(CheckOutcome outcome) {
    switch (outcome) {
        case CheckOutcome::Clean:
            return 0;
        case CheckOutcome::Errors:
            return 1;
        case CheckOutcome::WarningsOnly:
            return 6;
        case CheckOutcome::NotIsaf:
            return 3;
    }
    return 1;
}

}  // namespace

int runCheckCommand(const CliOptions& options) {
    const std::string& path = options.workbook;
    if (!fileExists(path)) {
        std::cerr << "Dokumentas nerastas: " << path << '\n';
        return 2;
    }
    FileCheckResult result;
    try {
        result = checkIsafFile(path, localToday());
    } catch (const std::exception& error) {
        std::cerr << kProgramFault << error.what() << '\n';
        return kProgramFaultExit;
    }
    if (options.format == "json") {
        std::cout << jsonText(checkReportJson(result, path)) << '\n';
    } else {
        for (const std::string& line : checkReportLines(result)) {
            std::cerr << line << '\n';
        }
        if (result.outcome != CheckOutcome::NotIsaf) {
            std::cout << formatSummary(result.summary);
        }
    }
    return exitCodeOf(result.outcome);
}
