#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A streaming XML scanner for worksheet parts: elements, attributes, character data, CDATA,
// comments and processing instructions, with the checks that make a document well-formed
// (names, nesting, quoting, references, characters, UTF-8) and no DOCTYPE. Namespaces are not
// resolved: handlers see qualified names, as with expat without namespace processing.
// Unlike expat it neither validates duplicate attributes nor reads encodings other than UTF-8
// (US-ASCII being part of it); a part declared in another encoding is refused.

struct XmlAttribute {
    std::string_view name;
    std::string_view value;  // references resolved, white space normalised
};

struct XmlAttributes {
    const XmlAttribute* first = nullptr;
    const XmlAttribute* last = nullptr;

    // The value of the attribute with that local name, or nullptr.
    const std::string_view* find(std::string_view local) const;
    const XmlAttribute* begin() const { return first; }
    const XmlAttribute* end() const { return last; }
};

// The part of a qualified name after its prefix ("x:c" -> "c").
std::string_view localPart(std::string_view name);

class XmlScanHandler {
  public:
    virtual ~XmlScanHandler() = default;
    virtual void startElement(std::string_view name, const XmlAttributes& attributes) = 0;
    virtual void endElement(std::string_view name) = 0;
    // Character data, while capture is on; one text may come in several pieces.
    virtual void text(std::string_view piece) = 0;
};

class XmlScanner {
  public:
    // Fills up to `size` bytes; 0 at the end of the part. May throw.
    using Source = std::function<size_t(char* buffer, size_t size)>;

    XmlScanner(Source source, std::string partName, XmlScanHandler& handler);

    // Scans the next piece of markup or run of text and calls the handler for it. False once
    // the part has ended (after the document element was closed). Throws WorkbookError.
    bool step();

    // Whether character data goes to the handler; otherwise it is only checked.
    void setCapture(bool capture) { capture_ = capture; }

  private:
    bool fill();
    bool ensure(size_t bytes);
    [[noreturn]] void malformed(std::string_view reason) const;
    void scanText();
    void scanMarkup(bool atStart);
    void scanStartTag();
    bool parseStartTag(size_t& gt, bool& empty);
    void scanEndTag();
    void scanCharacterData(std::string_view data, bool resolveReferences);
    size_t skipUntil(std::string_view terminator);
    void checkDeclaration(std::string_view instruction) const;
    size_t nameEnd(size_t from) const;
    enum class Markup { text, attribute, cdata };
    void decode(std::string_view data, std::string& out, Markup markup) const;

    Source source_;
    std::string partName_;
    XmlScanHandler& handler_;
    bool capture_ = false;

    std::string buffer_;
    size_t pos_ = 0;
    bool sourceEnded_ = false;
    bool started_ = false;  // the byte-order mark was looked for
    bool begun_ = false;    // anything after it was scanned
    long discardedLines_ = 0;

    std::string openNames_;           // the open elements' names, back to back
    std::vector<size_t> nameStarts_;  // where each begins in openNames_
    bool sawRoot_ = false;
    bool rootClosed_ = false;

    size_t startTagNameEnd_ = 0;  // where the name of the start tag parsed last ends

    std::string decoded_;
    std::string attributeText_;
    std::vector<XmlAttribute> attributes_;
    std::vector<size_t> attributeEnds_;
};
