#include "workbook/xlsx_xml_scanner.h"

#include "base/text.h"
#include "base/text_codec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "workbook/workbook_connection.h"
#include "workbook/workbook_limits.h"

namespace {

constexpr size_t kChunkBytes = size_t{128} * 1024;
// A tag or CDATA section longer than this is taken for damage; no producer writes one.
constexpr size_t kMaxMarkupBytes = 8 * kMaxCellTextBytes;
// The longest character reference worth waiting for: "&#x" and leading zeros.
constexpr size_t kMaxReferenceBytes = 40;

// The reasons as expat words them, so a damaged sheet reads the same as any other part.
constexpr std::string_view kInvalidToken = "not well-formed (invalid token)";
constexpr std::string_view kUnclosedToken = "unclosed token";

// What each byte can be, looked up rather than compared: the scanner asks for every byte.
enum CharacterClass : std::uint8_t {
    kSpace = 1,
    kNameStart = 2,
    kNameChar = 4,
    kSpecial = 8,  // needs a second look in character data or an attribute value
};

constexpr std::array<std::uint8_t, 256> kClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        std::uint8_t bits = 0;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            bits |= kSpace;
        }
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80) {
            bits |= kNameStart | kNameChar;
        }
        if ((c >= '0' && c <= '9') || c == '-' || c == '.') {
            bits |= kNameChar;
        }
        if (c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == ']') {
            bits |= kSpecial;
        }
        classes[static_cast<size_t>(c)] = bits;
    }
    return classes;
}();

bool is(char c, CharacterClass kind) {
    return (kClasses[static_cast<unsigned char>(c)] & kind) != 0;
}

bool isSpace(char c) {
    return is(c, kSpace);
}

bool isXmlCharacter(std::uint32_t code) {
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
           (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// A character reference's number ("#65" or "#x41"), or -1.
long characterNumber(std::string_view reference) {
    const bool hex = reference.size() > 1 && reference[1] == 'x';
    const std::string_view digits = reference.substr(hex ? 2 : 1);
    if (digits.empty()) {
        return -1;
    }
    long value = 0;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return -1;
        }
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF) {
            return -1;
        }
    }
    return value;
}

// The first `c` at or after `from`, or npos. In a worksheet the next "<", ">" or quote is a
// few bytes away, where a plain loop costs less than a call to memchr.
size_t findByte(std::string_view text, char c, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The line ends in `text`, only ever needed for a message. Worksheets have hardly any, and
// memchr skips the long stretches between them far faster than a byte-by-byte count.
long countLines(std::string_view text) {
    long lines = 0;
    const char* at = text.data();
    const char* const end = at + text.size();
    while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)))) !=
           nullptr) {
        ++lines;
        ++at;
    }
    return lines;
}

}  // namespace

std::string_view localPart(std::string_view name) {
    if (name.size() == 1) {
        return name;  // "c", "v", "r", "s", "t": most names a worksheet holds
    }
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const std::string_view* XmlAttributes::find(std::string_view local) const {
    for (const XmlAttribute* at = first; at != last; ++at) {
        if (localPart(at->name) == local) {
            return &at->value;
        }
    }
    return nullptr;
}

XmlScanner::XmlScanner(Source source, std::string partName, XmlScanHandler& handler)
    : source_(std::move(source)), partName_(std::move(partName)), handler_(handler) {}

void XmlScanner::malformed(std::string_view reason) const {
    const auto before =
        buffer_.begin() + static_cast<std::ptrdiff_t>(std::min(pos_, buffer_.size()));
    const long line = discardedLines_ + std::count(buffer_.begin(), before, '\n') + 1;
    throw WorkbookError("the workbook's part " + partName_ + " is not well-formed XML (" +
                        std::string(reason) + " at line " + std::to_string(line) + ")");
}

// Appends the next chunk, dropping what has been scanned: positions before pos_ are gone and
// pos_ becomes 0.
bool XmlScanner::fill() {
    if (sourceEnded_) {
        return false;
    }
    if (pos_ > 0) {
        discardedLines_ += countLines(std::string_view(buffer_).substr(0, pos_));
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    const size_t old = buffer_.size();
    buffer_.resize(old + kChunkBytes);
    const size_t count = source_(buffer_.data() + old, kChunkBytes);
    buffer_.resize(old + count);
    if (count == 0) {
        sourceEnded_ = true;
        return false;
    }
    if (!started_ && buffer_.size() >= 3) {
        started_ = true;
        const std::string_view head(buffer_.data(), 3);
        if (head == "\xEF\xBB\xBF") {
            pos_ = 3;
        } else if (head.starts_with("\xFE\xFF") || head.starts_with("\xFF\xFE")) {
            throw WorkbookError("the workbook's part " + partName_ +
                                " is in an encoding other than UTF-8");
        }
    }
    return true;
}

bool XmlScanner::ensure(size_t bytes) {
    while (buffer_.size() - pos_ < bytes) {
        if (!fill()) {
            return false;
        }
    }
    return true;
}

bool XmlScanner::step() {
    if (rootClosed_) {
        return false;
    }
    if (pos_ >= buffer_.size() && !fill()) {
        malformed(sawRoot_ ? kUnclosedToken : "no element found");
    }
    const bool atStart = !begun_;
    begun_ = true;
    if (buffer_[pos_] == '<') {
        scanMarkup(atStart);
    } else {
        scanText();
    }
    return !rootClosed_;
}

void XmlScanner::scanText() {
    size_t end = findByte(buffer_, '<', pos_);
    if (end == std::string::npos) {
        // Keep what may continue in the next chunk: a reference, a CR before its LF, the
        // first bytes of a character.
        size_t keep = buffer_.size();
        const size_t window = keep - pos_ > kMaxReferenceBytes ? keep - kMaxReferenceBytes : pos_;
        const size_t amp = buffer_.rfind('&');
        if (amp != std::string::npos && amp >= window &&
            buffer_.find(';', amp) == std::string::npos) {
            keep = amp;
        }
        if (keep > pos_ && buffer_[keep - 1] == '\r') {
            --keep;
        }
        size_t lead = keep;
        while (lead > pos_ && keep - lead < 3 &&
               (static_cast<unsigned char>(buffer_[lead - 1]) & 0xC0) == 0x80) {
            --lead;
        }
        if (lead > pos_ && static_cast<unsigned char>(buffer_[lead - 1]) >= 0xC0 &&
            utf8SequenceLength(std::string_view(buffer_).substr(lead - 1, keep - lead + 1)) == 0) {
            keep = lead - 1;
        }
        if (keep == pos_) {
            if (fill()) {
                return;  // scanned again with the next chunk
            }
            keep = buffer_.size();  // the end of the part: this is all there is
        }
        end = keep;
    }
    scanCharacterData(std::string_view(buffer_).substr(pos_, end - pos_), true);
    pos_ = end;
}

void XmlScanner::scanCharacterData(std::string_view data, bool resolveReferences) {
    if (nameStarts_.empty()) {
        if (!std::all_of(data.begin(), data.end(), isSpace)) {
            malformed(sawRoot_ ? "junk after document element" : "syntax error");
        }
        return;
    }
    const bool plain = std::none_of(
        data.begin(), data.end(), [](char c) { return is(c, kSpecial) && c != '\n' && c != '\t'; });
    if (plain) {
        // Nothing to check or resolve in it: handed over as it stands, when wanted.
        if (capture_) {
            handler_.text(data);
        }
        return;
    }
    decoded_.clear();
    decode(data, decoded_, resolveReferences ? Markup::text : Markup::cdata);
    if (capture_) {
        handler_.text(decoded_);
    }
}

// Resolves references, normalises line ends (and in attribute values white space) and checks
// every character. `data` holds no "<" in character data.
void XmlScanner::decode(std::string_view data, std::string& out, Markup markup) const {
    const bool attribute = markup == Markup::attribute;
    const bool cdata = markup == Markup::cdata;
    size_t i = 0;
    while (i < data.size()) {
        size_t run = i;
        const CharacterClass stop = attribute ? CharacterClass(kSpecial | kSpace) : kSpecial;
        while (run < data.size() && !is(data[run], stop)) {
            ++run;
        }
        out.append(data.substr(i, run - i));
        i = run;
        if (i == data.size()) {
            break;
        }
        const auto c = static_cast<unsigned char>(data[i]);
        if (cdata && (c == '&' || c == '<' || c == ']')) {
            out += static_cast<char>(c);  // markup and references stay as written
            ++i;
        } else if (c == '&') {
            const size_t semicolon = data.substr(0, i + kMaxReferenceBytes).find(';', i);
            if (semicolon == std::string_view::npos) {
                malformed(kInvalidToken);
            }
            const std::string_view name = data.substr(i + 1, semicolon - i - 1);
            if (name == "lt") {
                out += '<';
            } else if (name == "gt") {
                out += '>';
            } else if (name == "amp") {
                out += '&';
            } else if (name == "quot") {
                out += '"';
            } else if (name == "apos") {
                out += '\'';
            } else if (!name.empty() && name.front() == '#') {
                const long code = characterNumber(name);
                if (code < 0 || !isXmlCharacter(static_cast<std::uint32_t>(code))) {
                    malformed("reference to invalid character number");
                }
                appendUtf8(out, static_cast<std::uint32_t>(code));
            } else if (!name.empty() && is(name.front(), kNameStart) &&
                       std::all_of(name.begin(), name.end(),
                                   [](char n) { return is(n, kNameChar); })) {
                malformed("undefined entity");
            } else {
                malformed(kInvalidToken);
            }
            i = semicolon + 1;
        } else if (c == ']') {
            if (!attribute && data.substr(i, 3) == "]]>") {
                malformed(kInvalidToken);
            }
            out += ']';
            ++i;
        } else if (c == '\r') {
            out += attribute ? ' ' : '\n';
            i += data.substr(i, 2) == "\r\n" ? 2 : 1;
        } else if (c == '\n' || c == '\t' || c == ' ') {
            out += attribute ? ' ' : static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == '<') {
            malformed(kInvalidToken);  // only an attribute value gets here with a '<'
        } else {
            const size_t length = utf8SequenceLength(data.substr(i));
            // U+FFFE and U+FFFF are no XML characters.
            if (length == 0 || (length == 3 && data.substr(i, 2) == "\xEF\xBF" &&
                                (data[i + 2] == '\xBE' || data[i + 2] == '\xBF'))) {
                malformed(kInvalidToken);
            }
            out.append(data.substr(i, length));
            i += length;
        }
    }
}

size_t XmlScanner::nameEnd(size_t from) const {
    if (from >= buffer_.size() || !is(buffer_[from], kNameStart)) {
        return from;
    }
    size_t end = from + 1;
    while (end < buffer_.size() && is(buffer_[end], kNameChar)) {
        ++end;
    }
    return end;
}

// The position of `terminator` after pos_ + 2, scanning as many chunks as it takes; what lies
// before it may be dropped on the way.
size_t XmlScanner::skipUntil(std::string_view terminator) {
    size_t from = pos_ + 2;
    for (;;) {
        const size_t at = buffer_.find(terminator, from);
        if (at != std::string::npos) {
            return at;
        }
        const size_t tail = terminator.size() - 1;
        pos_ = std::max(from, buffer_.size() > tail ? buffer_.size() - tail : 0);
        if (!fill()) {
            malformed(kUnclosedToken);
        }
        from = pos_;
    }
}

void XmlScanner::checkDeclaration(std::string_view instruction) const {
    const size_t at = instruction.find("encoding");
    if (at == std::string_view::npos) {
        return;
    }
    std::string_view rest = instruction.substr(at + 8);
    const size_t quote = rest.find_first_of("\"'");
    if (quote == std::string_view::npos) {
        return;
    }
    rest.remove_prefix(quote + 1);
    const std::string_view encoding = rest.substr(0, rest.find_first_of("\"'"));
    if (!equalsIgnoringCase(encoding, "UTF-8") && !equalsIgnoringCase(encoding, "US-ASCII")) {
        throw WorkbookError("the workbook's part " + partName_ +
                            " is in an encoding other than UTF-8");
    }
}

void XmlScanner::scanMarkup(bool atStart) {
    if (!ensure(2)) {
        malformed(kUnclosedToken);
    }
    const char next = buffer_[pos_ + 1];
    if (next == '/') {
        scanEndTag();
    } else if (next == '?') {
        const size_t end = skipUntil("?>");
        const std::string_view instruction(buffer_.data() + pos_, end - pos_);
        const std::string_view target = instruction.starts_with("<?")
                                            ? instruction.substr(2, nameEnd(pos_ + 2) - pos_ - 2)
                                            : std::string_view();  // a long one, partly dropped
        if (equalsIgnoringCase(target, "xml")) {
            // Only the document's very first characters may declare it.
            if (!atStart) {
                malformed("XML or text declaration not at start of entity");
            }
            checkDeclaration(instruction);
        }
        pos_ = end + 2;
    } else if (next == '!') {
        ensure(9);
        const std::string_view head = std::string_view(buffer_).substr(pos_, 9);
        if (head.starts_with("<!--")) {
            pos_ = skipUntil("-->") + 3;
        } else if (head == "<![CDATA[") {
            if (nameStarts_.empty()) {
                malformed(kInvalidToken);
            }
            size_t end = buffer_.find("]]>", pos_ + 9);
            while (end == std::string::npos) {
                if (buffer_.size() - pos_ > kMaxMarkupBytes || !fill()) {
                    malformed(kUnclosedToken);
                }
                end = buffer_.find("]]>", pos_ + 9);
            }
            scanCharacterData(std::string_view(buffer_).substr(pos_ + 9, end - pos_ - 9), false);
            pos_ = end + 3;
        } else if (head == "<!DOCTYPE") {
            throw WorkbookError("the workbook's part " + partName_ +
                                ": a DOCTYPE is not allowed in a workbook part");
        } else {
            malformed(kInvalidToken);
        }
    } else {
        scanStartTag();
    }
}

void XmlScanner::scanStartTag() {
    size_t gt = 0;
    bool empty = false;
    while (!parseStartTag(gt, empty)) {
        if (buffer_.size() - pos_ > kMaxMarkupBytes || !fill()) {
            malformed(kUnclosedToken);
        }
    }
    const size_t nameStart = pos_ + 1;
    const std::string_view name(buffer_.data() + nameStart, startTagNameEnd_ - nameStart);
    if (nameStarts_.size() >= static_cast<size_t>(kMaxXmlDepth)) {
        throw WorkbookError("the workbook's part " + partName_ +
                            " nests its elements deeper than " + std::to_string(kMaxXmlDepth));
    }
    if (name.size() > kMaxXmlNameBytes) {
        throw WorkbookError("the workbook's part " + partName_ + " holds an element name of " +
                            std::to_string(name.size()) + " bytes");
    }
    if (nameStarts_.empty()) {
        if (sawRoot_) {
            malformed("junk after document element");
        }
        sawRoot_ = true;
    }
    const XmlAttributes attributes{attributes_.data(), attributes_.data() + attributes_.size()};
    handler_.startElement(name, attributes);
    if (empty) {
        pos_ = gt + 1;
        handler_.endElement(name);
        rootClosed_ = nameStarts_.empty();
    } else {
        nameStarts_.push_back(openNames_.size());
        openNames_.append(name);
        pos_ = gt + 1;
    }
}

// Parses the start tag at pos_ into attributes_; false when it runs past the buffer.
bool XmlScanner::parseStartTag(size_t& gt, bool& empty) {
    const size_t size = buffer_.size();
    const auto skipSpace = [&](size_t i) {
        while (i < size && isSpace(buffer_[i])) {
            ++i;
        }
        return i;
    };
    const size_t nameStart = pos_ + 1;
    size_t i = nameEnd(nameStart);
    if (i == size) {
        return false;
    }
    if (i == nameStart) {
        malformed(kInvalidToken);
    }
    startTagNameEnd_ = i;
    attributes_.clear();
    attributeText_.clear();
    attributeEnds_.clear();
    for (;;) {
        const size_t spaceStart = i;
        i = skipSpace(i);
        if (i == size) {
            return false;
        }
        if (buffer_[i] == '>') {
            gt = i;
            empty = false;
            break;
        }
        if (buffer_[i] == '/') {
            if (i + 1 == size) {
                return false;
            }
            if (buffer_[i + 1] != '>') {
                malformed(kInvalidToken);
            }
            gt = i + 1;
            empty = true;
            break;
        }
        const size_t attributeStart = i;
        i = nameEnd(i);
        if (i == size) {
            return false;
        }
        if (i == attributeStart || attributeStart == spaceStart) {
            malformed(kInvalidToken);
        }
        const std::string_view attributeName(buffer_.data() + attributeStart, i - attributeStart);
        i = skipSpace(i);
        if (i == size) {
            return false;
        }
        if (buffer_[i] != '=') {
            malformed(kInvalidToken);
        }
        i = skipSpace(i + 1);
        if (i == size) {
            return false;
        }
        const char open = buffer_[i];
        if (open != '"' && open != '\'') {
            malformed(kInvalidToken);
        }
        // The closing quote, and on the way whether the value needs a second look.
        size_t close = i + 1;
        std::uint8_t seen = 0;
        while (close < size && buffer_[close] != open) {
            seen |= kClasses[static_cast<unsigned char>(buffer_[close])];
            ++close;
        }
        if (close == size) {
            return false;
        }
        const std::string_view raw(buffer_.data() + i + 1, close - i - 1);
        i = close + 1;
        if ((seen & kSpecial) == 0) {
            attributes_.push_back({attributeName, raw});
            attributeEnds_.push_back(std::string::npos);
        } else {
            // Resolved into attributeText_; the view is set once that stops growing.
            decode(raw, attributeText_, Markup::attribute);
            attributes_.push_back({attributeName, {}});
            attributeEnds_.push_back(attributeText_.size());
        }
    }
    size_t decodedStart = 0;
    for (size_t n = 0; n < attributes_.size(); ++n) {
        if (attributeEnds_[n] != std::string::npos) {
            attributes_[n].value = std::string_view(attributeText_)
                                       .substr(decodedStart, attributeEnds_[n] - decodedStart);
            decodedStart = attributeEnds_[n];
        }
    }
    return true;
}

void XmlScanner::scanEndTag() {
    // Nearly always the tag names the open element and closes at once: "</c>".
    if (!nameStarts_.empty()) {
        const std::string_view open = std::string_view(openNames_).substr(nameStarts_.back());
        const size_t gtAt = pos_ + 2 + open.size();
        if (gtAt < buffer_.size() && buffer_[gtAt] == '>' &&
            std::string_view(buffer_).substr(pos_ + 2, open.size()) == open) {
            const std::string_view name(buffer_.data() + pos_ + 2, open.size());
            openNames_.resize(nameStarts_.back());
            nameStarts_.pop_back();
            pos_ = gtAt + 1;
            rootClosed_ = nameStarts_.empty();
            handler_.endElement(name);
            return;
        }
    }
    size_t gt = findByte(buffer_, '>', pos_ + 2);
    while (gt == std::string::npos) {
        if (buffer_.size() - pos_ > kMaxMarkupBytes || !fill()) {
            malformed(kUnclosedToken);
        }
        gt = findByte(buffer_, '>', pos_ + 2);
    }
    const size_t nameStart = pos_ + 2;
    const size_t end = nameEnd(nameStart);
    if (end == nameStart || !std::all_of(buffer_.begin() + static_cast<long>(end),
                                         buffer_.begin() + static_cast<long>(gt), isSpace)) {
        malformed(kInvalidToken);
    }
    const std::string_view name(buffer_.data() + nameStart, end - nameStart);
    if (nameStarts_.empty() || std::string_view(openNames_).substr(nameStarts_.back()) != name) {
        malformed("mismatched tag");
    }
    openNames_.resize(nameStarts_.back());
    nameStarts_.pop_back();
    pos_ = gt + 1;
    rootClosed_ = nameStarts_.empty();
    handler_.endElement(name);
}
