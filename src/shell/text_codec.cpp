#include "shell/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {

class Iconv {
  public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ ==
            reinterpret_cast<iconv_t>(
                -1)) {  // NOLINT(performance-no-int-to-ptr): iconv_open reports failure so
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
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        int length = 0;
        unsigned minimum = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        unsigned code = c & (0xFF >> (length + 1));
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
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
