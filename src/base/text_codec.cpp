#include "base/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {

// What iconv_open returns when it cannot convert.
const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)

class Iconv {
  public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == kNoConversion) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
        }
    }
    ~Iconv() { iconv_close(handle_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Converts the whole input; nothing when a character cannot be converted.
    std::optional<std::string> convert(std::string_view input) {
        std::string output;
        output.resize(input.size() * 4 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char* out = output.data();
        size_t outLeft = output.size();
        while (inLeft > 0) {
            if (iconv(handle_, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
                if (errno == E2BIG) {
                    const size_t used = output.size() - outLeft;
                    output.resize(output.size() * 2);
                    out = output.data() + used;
                    outLeft = output.size() - used;
                    continue;
                }
                return std::nullopt;
            }
        }
        output.resize(output.size() - outLeft);
        return output;
    }

  private:
    iconv_t handle_;
};

}  // namespace

std::optional<std::string> utf8ToCp1257(std::string_view utf8) {
    if (!isValidUtf8(utf8)) {
        return std::nullopt;
    }
    Iconv converter("WINDOWS-1257", "UTF-8");
    return converter.convert(utf8);
}

std::string cp1257ToUtf8(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size());
    Iconv converter("UTF-8", "WINDOWS-1257");
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80) {
            result += c;
            continue;
        }
        const auto converted = converter.convert(std::string_view(&c, 1));
        result += converted ? *converted : "\xEF\xBF\xBD";
    }
    return result;
}

bool fitsCp1257(std::string_view utf8) {
    return utf8ToCp1257(utf8).has_value();
}

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t length = utf8SequenceLength(bytes);
        if (length == 0) {
            return false;
        }
        bytes.remove_prefix(length);
    }
    return true;
}

size_t utf8SequenceLength(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
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
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string decodeOwnTextFile(std::string_view bytes) {
    bool hasNonAscii = false;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            hasNonAscii = true;
            break;
        }
    }
    if (!hasNonAscii) {
        return std::string(bytes);
    }
    if (bytes.starts_with("\xEF\xBB\xBF") && isValidUtf8(bytes.substr(3))) {
        return std::string(bytes.substr(3));
    }
    return isValidUtf8(bytes) ? std::string(bytes) : cp1257ToUtf8(bytes);
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}
