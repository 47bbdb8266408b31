#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The few text helpers every layer shares: one trim, one comparison that ignores letter case,
// one count of UTF-8 characters, and the two keys that compare texts as the tax
// administration's cross-check does.

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

// The text case-folded, for every script: two texts equal without regard to letter case give
// the same key ("Ąžuolas" and "ĄŽUOLAS").
std::string caseFolded(std::string_view utf8);

// Only the letters and digits of the text (of every script), upper-cased: "ab nr.12/3" gives
// "ABNR123". How invoice numbers are compared when the buyer's and the seller's are matched.
std::string lettersAndDigitsUpperCased(std::string_view utf8);
