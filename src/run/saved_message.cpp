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
    size_t lineCharacters = 0;  // characters, not bytes: paths hold Lithuanian letters
    constexpr size_t kNoBreak = std::string::npos;
    size_t breakAfter = kNoBreak;  // the last place the line may break after
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
        if (quote == 0 && lineCharacters >= kColumns && breakAfter != kNoBreak) {
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
            breakAfter = kNoBreak;
        }
    }
    result.append(text, lineStart);
    return result;
}
