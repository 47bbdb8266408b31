#include "base/text.h"

#include <unicode/stringpiece.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

std::string_view trimmed(std::string_view text) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

namespace {

bool isAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) {  // nearly every name: no trip through UTF-16
        if (a.size() != b.size()) {
            return false;
        }
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (lower(a[i]) != lower(b[i])) {
                return false;
            }
        }
        return true;
    }
    const auto left =
        icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())));
    const auto right =
        icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), static_cast<int32_t>(b.size())));
    return left.caseCompare(right, U_FOLD_CASE_DEFAULT) == 0;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8) {
        count += startsCharacter(c) ? 1 : 0;
    }
    return count;
}

std::string_view firstCharacters(std::string_view utf8, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t characters = 0; end < utf8.size(); ++end) {
        if (startsCharacter(utf8[end])) {
            if (characters == count) {
                break;
            }
            ++characters;
        }
    }
    return utf8.substr(0, end);
}

std::string caseFolded(std::string_view utf8) {
    if (isAscii(utf8)) {  // nearly every name: no trip through UTF-16
        std::string folded(utf8);
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c + 32);
            }
        }
        return folded;
    }
    auto text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
    std::string folded;
    text.foldCase(U_FOLD_CASE_DEFAULT).toUTF8String(folded);
    return folded;
}

std::string lettersAndDigitsUpperCased(std::string_view utf8) {
    std::string kept;
    kept.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    for (int32_t at = 0; at < length;) {
        if (bytes[at] < 0x80) {
            const char c = static_cast<char>(bytes[at++]);
            if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
                kept += c;
            } else if (c >= 'a' && c <= 'z') {
                kept += static_cast<char>(c - 32);
            }
            continue;
        }
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c < 0 || !u_isalnum(c)) {
            continue;  // a byte that is not UTF-8 is neither a letter nor a digit
        }
        c = u_toupper(c);
        uint8_t encoded[U8_MAX_LENGTH];
        int32_t size = 0;
        U8_APPEND_UNSAFE(encoded, size, c);
        kept.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(size));
    }
    return kept;
}
