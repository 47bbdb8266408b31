#include "isaf/xml_text.h"

#include <array>

#include "base/text_codec.h"

namespace {

// Looked up rather than compared: every byte of every value passes here.
constexpr auto kPlain = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c) {
        plain[static_cast<size_t>(c)] = c != '&' && c != '<' && c != '>';
    }
    return plain;
}();

}  // namespace

std::string xmlText(std::string_view value) {
    std::string result;
    appendXmlText(result, value);
    return result;
}

void appendXmlText(std::string& out, std::string_view value) {
    // Most values are plain ASCII with nothing to escape: they go in whole, and only the rest
    // is looked at character by character.
    size_t i = plainXmlTextLength(value);
    out.append(value.substr(0, i));
    while (i < value.size()) {
        const std::string_view rest = value.substr(i);
        const size_t length = utf8SequenceLength(rest);
        if (length == 0) {
            ++i;
            continue;
        }
        const std::string_view character = rest.substr(0, length);
        i += length;
        if (length == 1) {
            const char c = character[0];
            if (c == '&') {
                out += "&amp;";
            } else if (c == '<') {
                out += "&lt;";
            } else if (c == '>') {
                out += "&gt;";
            } else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' ||
                       c == '\r') {
                out += c;
            }
        } else if (character != "\xEF\xBF\xBE" && character != "\xEF\xBF\xBF") {
            out += character;
        }
    }
}

size_t plainXmlTextLength(std::string_view value) {
    size_t i = 0;
    while (i < value.size() && kPlain[static_cast<unsigned char>(value[i])]) {
        ++i;
    }
    return i;
}
