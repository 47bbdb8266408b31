// libFuzzer entry point for the i.SAF file check: any bytes as a file to check, the program's
// own form of file name included. The result must hold together whatever the bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "isaf/file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzFilePath("/Kolvira_123456789_202401_1.xml");
    // The file lies in a folder of its own, so that its name can have the program's form.
    static const struct Folder {
        std::string dir = fuzzFilePath("").substr(0, fuzzFilePath("").rfind('/'));
        bool made = mkdir(dir.c_str(), 0700) == 0;
        ~Folder() {
            unlink(fuzzFilePath("").c_str());
            rmdir(dir.c_str());
        }
    } folder;
    FUZZ_CHECK(folder.made);
    writeFuzzFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    const FileCheckResult result = checkIsafFile(path, Date{2024, 2, 10});

    FUZZ_CHECK(result.findings.size() + result.notListed == result.errors + result.warnings);
    FUZZ_CHECK((result.outcome == CheckOutcome::Clean) == (result.findings.empty()));
    if (result.outcome == CheckOutcome::NotIsaf) {
        FUZZ_CHECK(result.findings.size() == 1 &&
                   result.findings.front().kind == FindingKind::NotIsaf);
        FUZZ_CHECK(result.summary.purchases.empty() && result.summary.sales.empty());
    }
    for (const CheckFinding& finding : result.findings) {
        FUZZ_CHECK(!finding.text.empty());
        FUZZ_CHECK(finding.text.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(finding.line >= 0);
    }
    FUZZ_CHECK(!checkReportLines(result).empty());
    return 0;
}
