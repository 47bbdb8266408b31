#include "base/collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<icu::Collator> makeLithuanianCollator() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(
        icu::Collator::createInstance(icu::Locale("lt", "LT"), status));
    if (U_FAILURE(status) || !collator) {
        throw std::runtime_error("ICU has no Lithuanian collation");
    }
    // Secondary strength: letters and their accents count, letter case does not.
    collator->setStrength(icu::Collator::SECONDARY);
    return collator;
}

// One per thread: an ICU collator is not safe to share between threads.
icu::Collator& lithuanianCollator() {
    thread_local const std::unique_ptr<icu::Collator> collator = makeLithuanianCollator();
    // The analyzer takes the thread's end for a free on every call.
    return *collator;  // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

icu::UnicodeString unicode(std::string_view utf8) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

}  // namespace

std::string collationKey(std::string_view utf8) {
    const icu::UnicodeString text = unicode(utf8);
    icu::Collator& collator = lithuanianCollator();
    std::string key(utf8.size() * 2 + 16, '\0');
    auto length = collator.getSortKey(text, reinterpret_cast<uint8_t*>(key.data()),
                                      static_cast<int32_t>(key.size()));
    if (static_cast<size_t>(length) > key.size()) {
        key.resize(static_cast<size_t>(length));
        length = collator.getSortKey(text, reinterpret_cast<uint8_t*>(key.data()), length);
    }
    // The key ends in a NUL byte, which plays no part in ordering.
    key.resize(length > 0 ? static_cast<size_t>(length) - 1 : 0);
    return key;
}

int compareIgnoringCase(std::string_view a, std::string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    return lithuanianCollator().compare(unicode(a), unicode(b), status);
}
