// libFuzzer entry point for the update record "load.log": any bytes as the file, read as the
// update worker and the close hand-over read it. A record written back must read back equal.
#include <cstdint>
#include <string>

#include "base/kept_file.h"
#include "base/text_codec.h"
#include "fuzz/fuzz_support.h"
#include "update/update_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzFilePath(".log");
    writeFuzzFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    const auto record = readUpdateRecord(path);
    if (!record) {
        return 0;
    }
    for (const std::string* line :
         {&record->version, &record->fileName, &record->sizeText, &record->sha256}) {
        FUZZ_CHECK(line->find_first_of("\r\n") == std::string::npos);
    }
    decimalOr(record->sizeText, 0);
    isInstallerFileName(record->fileName);
    isPlainFileName(record->fileName);
    // Windows-1257 bytes that happen to form UTF-8 letters are read back as UTF-8 (see
    // fuzz_payer_register.cpp); real versions and installer names never form such pairs.
    if (writeUpdateRecord(path, *record).ok() &&
        decodeOwnTextFile(readKeptFile(path)->value_or("")) ==
            cp1257ToUtf8(readKeptFile(path)->value_or(""))) {
        const auto again = readUpdateRecord(path);
        FUZZ_CHECK(again && again->version == record->version &&
                   again->fileName == record->fileName && again->sizeText == record->sizeText &&
                   again->sha256 == record->sha256);
    }
    return 0;
}
