#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/text.h"

// A value as it goes between two tags of the i.SAF file: "&", "<" and ">" escaped, and every
// character that XML 1.0 does not allow in a document dropped (control characters other than
// tab, LF and CR, U+FFFE, U+FFFF, and bytes that are not well-formed UTF-8). Each value passes
// through here exactly once, as it is written.
std::string xmlText(std::string_view value);
// The same, appended to `out`.
void appendXmlText(std::string& out, std::string_view value);
// How many leading bytes of `value` go into the file unchanged (printable ASCII other than
// "&", "<" and ">"): all of them for nearly every value.
size_t plainXmlTextLength(std::string_view value);
