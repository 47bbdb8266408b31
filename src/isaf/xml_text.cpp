#include "isaf/xml_text.h"

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0 when the first
// byte does not start one (overlong forms and surrogates included).
size_t sequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (!isContinuation(byte(i))) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string xmlText(std::string_view value) {
    std::string result;
    appendXmlText(result, value);
    return result;
}

void appendXmlText(std::string& out, std::string_view value) {
    // Most values are plain ASCII with nothing to escape: they go in whole, and only the rest
    // is looked at character by character.
    size_t i = 0;
    while (i < value.size()) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == '>') {
            break;
        }
        ++i;
    }
    out.append(value.substr(0, i));
    while (i < value.size()) {
        const std::string_view rest = value.substr(i);
        const size_t length = sequenceLength(rest);
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

std::string_view firstCharacters(std::string_view utf8, size_t count) {
    size_t end = 0;
    for (size_t characters = 0; end < utf8.size(); ++end) {
        if (!isContinuation(static_cast<unsigned char>(utf8[end]))) {
            if (characters == count) {
                break;
            }
            ++characters;
        }
    }
    return utf8.substr(0, end);
}
