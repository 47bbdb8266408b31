// libFuzzer entry point for the settings file: any bytes as "_nustatymai.ini", read as the
// program reads it, then one value written and everything read again. A write must store
// exactly its value and leave every other value as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "base/profile_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzFilePath(".ini");
    writeFuzzFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    const ProfileFile file(path);

    struct Entry {
        const char* section;
        const char* key;
        std::string value;
    };
    std::vector<Entry> entries = {{"NUSTATYMAI", "asmuo", {}},
                                  {"NUSTATYMAI", "darbo_vieta", {}},
                                  {"NUSTATYMAI", "auto_id", {}},
                                  {"VERSIJA", "nr", {}},
                                  {"nustatymai", "Kita", {}}};
    for (auto& entry : entries) {
        entry.value = file.read(entry.section, entry.key);
        FUZZ_CHECK(entry.value.size() <= 2047 * 3);
    }

    // The counter is what a run writes most often; the input picks which entry is written.
    const size_t written = size == 0 ? 2 : data[0] % 4;
    const std::string value = std::to_string(size * 7919);
    if (file.write(entries[written].section, entries[written].key, value).ok()) {
        for (size_t i = 0; i < entries.size(); ++i) {
            const std::string now = file.read(entries[i].section, entries[i].key);
            FUZZ_CHECK(now == (i == written ? value : entries[i].value));
        }
    }
    return 0;
}
