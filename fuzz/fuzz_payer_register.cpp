// libFuzzer entry point for the payer register: any bytes as "asmenys.txt", loaded, every
// line split into its fields and read as a payer bound to a workplace name, then sorted, saved
// and loaded again. Splitting must lose nothing, and a saved register must read back line for
// line.
#include <cstdint>
#include <string>
#include <vector>

#include "base/kept_file.h"
#include "base/text_codec.h"
#include "fuzz/fuzz_support.h"
#include "payers/payer_register.h"

namespace {

std::string joined(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        line += (i == 0 ? "" : ";") + fields[i];
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = fuzzFilePath(".txt");
    writeFuzzFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    const PayerRegister register_(path);

    auto loaded = register_.load();
    FUZZ_CHECK(loaded.ok());
    for (const auto& line : *loaded) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        const auto fields = splitPayerLine(line);
        FUZZ_CHECK(!fields.empty());
        // A single empty field after a final ";" is the only thing the split drops.
        FUZZ_CHECK(joined(fields) == line || joined(fields) + ";" == line);
        if (fields.size() >= 3) {
            Payer payer = Payer::parse(line);
            payer.workplace = "SANDELIS1";
            const auto again = splitPayerLine(payer.line());
            FUZZ_CHECK(again.size() == 4 && again[3] == "SANDELIS1");
            FUZZ_CHECK(again[0] == fields[0] && again[1] == fields[1] && again[2] == fields[2]);
        }
    }

    PayerRegister::sort(*loaded);
    // Windows-1257 bytes that happen to form UTF-8 letters ("Ä" then "…") are read as UTF-8:
    // the price of accepting registers edited on Linux. Real names never form such pairs.
    if (register_.save(*loaded).ok()) {
        const std::string saved = readKeptFile(path)->value_or("");
        if (decodeOwnTextFile(saved) == cp1257ToUtf8(saved)) {
            FUZZ_CHECK(register_.load().value() == *loaded);
        }
    }
    return 0;
}
