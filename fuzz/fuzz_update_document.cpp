// libFuzzer entry point for the update information document: any bytes as the service's
// answer, parsed and read as the update worker reads it. The installer's name it accepts must
// stay inside the program's folder, be of the installers' own form and fit the update record's
// lines; a SHA-256 it accepts is 64 lowercase hexadecimal digits, and one it cannot read
// means no installer at all.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "update/file_digest.h"
#include "update/update_document.h"
#include "update/update_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    const auto document = UpdateDocument::parse(xml);
    if (!document) {
        return 0;
    }
    const UpdateOffer offer = readUpdateOffer(*document);
    if (!offer.fileName.empty()) {
        FUZZ_CHECK(isPlainFileName(offer.fileName));
        FUZZ_CHECK(isInstallerFileName(offer.fileName));
        FUZZ_CHECK(offer.fileName.find_first_of("/\\\r\n") == std::string::npos);
        const auto digest = document->firstText("sha256");
        FUZZ_CHECK(!digest || sha256Text(*digest) == offer.sha256);
    }
    FUZZ_CHECK(offer.sha256.empty() ||
               (offer.sha256.size() == 64 &&
                offer.sha256.find_first_not_of("0123456789abcdef") == std::string::npos));
    for (const char* name : {"laikas", "failas", "naujaVersija", "sha256"}) {
        if (const auto text = document->firstText(name)) {
            FUZZ_CHECK(!text->empty() && text->size() <= size);
        }
    }
    return 0;
}
