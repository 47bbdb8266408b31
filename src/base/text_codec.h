#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The program's own text files (settings, payer register, update record) are Windows-1257,
// the 8-bit code page of Lithuanian Windows, so they move between installations unchanged.

// UTF-8 to Windows-1257; nothing when a character has no place in the code page.
std::optional<std::string> utf8ToCp1257(std::string_view utf8);

// Windows-1257 to UTF-8. Bytes the code page leaves undefined become U+FFFD.
std::string cp1257ToUtf8(std::string_view bytes);

// Whether every character of the UTF-8 text can be stored in Windows-1257.
bool fitsCp1257(std::string_view utf8);

bool isValidUtf8(std::string_view bytes);

// The length of the well-formed UTF-8 sequence at the start of `text` (1 for ASCII), or 0 when
// it does not start one: overlong forms, surrogates and code points past U+10FFFF included.
size_t utf8SequenceLength(std::string_view text);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void appendUtf8(std::string& out, std::uint32_t code);

// The value of a hexadecimal digit, or -1.
int hexDigitValue(char c);

// Reads one of our own text files: a file that is valid UTF-8 and holds non-ASCII letters was
// edited on a UTF-8 system and is taken as UTF-8; anything else is Windows-1257.
std::string decodeOwnTextFile(std::string_view bytes);

// The lines of a text file without their ends: CR LF, LF or a lone CR each end a line, and a
// line end at the very end starts no further line.
std::vector<std::string> splitLines(std::string_view text);
