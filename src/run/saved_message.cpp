#include "run/saved_message.h"

#include <cstddef>

#include "base/text.h"

namespace {

constexpr size_t kColumns = 45;

bool isBreakCharacter(char c) {
    return c == ' ' || c == '-' || c == '\t';
}
bool isQuote(char c) {
    return c == '\'' || c == '"';
}

}  // namespace

std::string savedMessageText(const std::string& path) {
    return "Failas išsaugotas šituo keliu: \n\r\n\r" + wrapAt45Columns(path);
}

std::string wrapAt45Columns(const std::string& text) {
    std::string result;
    size_t lineStart = 0;
    size_t lineCharacters = 0;              // characters, not bytes: paths hold Lithuanian letters
    size_t breakAfter = std::string::npos;  // the last break character of the line
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (startsCharacter(c)) {
            ++lineCharacters;
        }
        if (isBreakCharacter(c)) {
            if (quote == 0 && i > lineStart) {
                breakAfter = i;
            }
        } else if (isQuote(c)) {
            if (quote == c) {
                quote = 0;
            } else if (quote == 0) {
                quote = c;
            }
        }
        if (quote == 0 && lineCharacters >= kColumns && breakAfter != std::string::npos) {
            const size_t next = breakAfter + 1;
            result.append(text, lineStart, next - lineStart);
            if (next < text.size()) {
                result += "\r\n";
            }
            // The characters read past the break start the next line.
            lineCharacters = 0;
            for (size_t j = next; j <= i; ++j) {
                lineCharacters += startsCharacter(text[j]) ? 1 : 0;
            }
            lineStart = next;
            breakAfter = std::string::npos;
        }
    }
    result.append(text, lineStart);
    return result;
}
