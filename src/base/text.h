#pragma once

#include <cstddef>
#include <string_view>

// The few text helpers every layer shares: one trim, one comparison that ignores letter case,
// one count of UTF-8 characters.

// Without leading and trailing characters whose code is 32 or less (blanks, line ends and
// other control characters).
std::string_view trimmed(std::string_view text);

// Whether two texts are the same when letter case is ignored, for every script ("išrašai" and
// "IŠRAŠAI" name one sheet), as the spreadsheet application and the Windows profile functions
// compare names.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// Whether this byte of UTF-8 text begins a character (is not a continuation byte).
constexpr bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The number of characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// At most the first `count` characters of UTF-8 text.
std::string_view firstCharacters(std::string_view utf8, std::size_t count);
