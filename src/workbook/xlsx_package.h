#pragma once

// The entity-expansion limits are declared only under XML_DTD; Debian's expat is built with it.
#ifndef XML_DTD
#define XML_DTD 1
#endif
#include <expat.h>
#include <zip.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

// The pieces of an .xlsx package (a zip of XML parts) that every part reader needs: bounded
// streaming of one part, a hardened XML parser, relationships and part names.

// One part of the package, inflated as it is read. Reading past `limit` bytes, or at a
// compression ratio no real workbook reaches, throws WorkbookError: the sizes written in the
// zip directory are not trusted.
class ZipPart {
  public:
    ZipPart(zip_t* archive, const std::string& name, std::uint64_t limit);
    ~ZipPart();
    ZipPart(const ZipPart&) = delete;
    ZipPart& operator=(const ZipPart&) = delete;

    // Up to `size` bytes; 0 at the end of the part.
    size_t read(char* buffer, size_t size);

  private:
    zip_file_t* file_ = nullptr;
    std::string name_;
    std::uint64_t limit_;
    std::uint64_t compressedSize_ = 0;
    std::uint64_t inflated_ = 0;
};

// Whether the package holds a part of that name (part names ignore letter case).
bool hasPart(zip_t* archive, const std::string& name);

// An expat parser with entity expansion limits and no DOCTYPE accepted: workbook parts never
// carry one. Namespaces are not resolved: the parts are told apart by their relationships, and
// producers write the same local names under the transitional and the strict namespaces, with
// or without a prefix, so handlers match local names only.
class XmlParser {
  public:
    XmlParser();
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    XML_Parser get() const { return parser_; }

    // The element handlers, called with this XmlParser as user data. Set them here rather than
    // on the expat parser: the parser counts the open elements and refuses a part nested
    // deeper than any real workbook, before expat's own memory grows with the depth.
    void setElementHandlers(XML_StartElementHandler start, XML_EndElementHandler end = nullptr);

    // The object whose state the handlers fill. Every handler receives this XmlParser as its
    // user data and reaches its owner through it.
    void setOwner(void* owner) { owner_ = owner; }
    template <class T>
    T& owner() const {
        return *static_cast<T*>(owner_);
    }

    // Stops the parse from inside a handler with a message; handlers must not throw through
    // expat, so the message is raised when the parse call returns.
    void fail(std::string message);
    // Stops the parse from inside a handler because the caller has what it wanted.
    void finish();

    // Feeds one chunk (XML_ParseBuffer or XML_ResumeParser) and turns errors into
    // WorkbookError naming `partName`. Returns the expat status; finish() shows as
    // XML_STATUS_OK with finished() true.
    XML_Status parseBuffer(int length, bool isFinal, const std::string& partName);
    XML_Status resume(const std::string& partName);
    bool finished() const { return finished_; }

  private:
    XML_Status check(XML_Status status, const std::string& partName);
    static void onStart(void* user, const XML_Char* name, const XML_Char** attributes);
    static void onEnd(void* user, const XML_Char* name);

    XML_Parser parser_;
    XML_StartElementHandler start_ = nullptr;
    XML_EndElementHandler end_ = nullptr;
    int depth_ = 0;
    void* owner_ = nullptr;
    std::string failure_;
    bool failed_ = false;
    bool finished_ = false;
};

// The part of an element or attribute name after its prefix ("x:c" -> "c").
std::string_view localName(const XML_Char* name);
// The value of the attribute with that local name, or nullptr.
const XML_Char* attribute(const XML_Char** attributes, std::string_view local);

// Parses a whole part with the handlers already set on `parser`.
void parsePart(zip_t* archive, const std::string& name, XmlParser& parser);

struct Relationship {
    std::string type;    // the last segment of the type URI: "worksheet", "styles" ...
    std::string target;  // the part name the target resolves to, without a leading "/"
};

// The relationships of a part ("" for the package itself), by id. A missing .rels part gives
// none.
std::map<std::string, Relationship> readRelationships(zip_t* archive, const std::string& partName);

// The part name a relationship target points to from `sourcePart`: absolute ("/xl/a.xml") or
// relative ("worksheets/sheet1.xml", "../x.xml"), percent-escapes decoded.
std::string resolveTarget(const std::string& sourcePart, std::string_view target);

// Replaces the _xHHHH_ escapes the application writes for characters XML cannot carry (a
// carriage return is _x000D_, an underscore before such a pattern _x005F_).
std::string decodeEscapes(std::string_view text);
