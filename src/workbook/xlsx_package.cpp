#include "workbook/xlsx_package.h"

#include "base/text_codec.h"

#include <cstring>
#include <vector>

#include "workbook/workbook_connection.h"
#include "workbook/workbook_limits.h"

namespace {

constexpr int kChunkBytes = 64 * 1024;

void onDoctype(void* user, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<XmlParser*>(user)->fail("a DOCTYPE is not allowed in a workbook part");
}

// The code unit of an _xHHHH_ escape at `pos`, or -1.
long escapeAt(std::string_view text, size_t pos) {
    if (pos + 7 > text.size() || text[pos] != '_' || text[pos + 1] != 'x' || text[pos + 6] != '_') {
        return -1;
    }
    long value = 0;
    for (size_t i = pos + 2; i < pos + 6; ++i) {
        const int digit = hexDigitValue(text[i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::string percentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0 &&
            hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

zip_int64_t locate(zip_t* archive, const std::string& name) {
    zip_int64_t index = zip_name_locate(archive, name.c_str(), 0);
    if (index < 0) {
        index = zip_name_locate(archive, name.c_str(), ZIP_FL_NOCASE);
    }
    return index;
}

}  // namespace

ZipPart::ZipPart(zip_t* archive, const std::string& name, std::uint64_t limit)
    : name_(name), limit_(limit) {
    const zip_int64_t index = locate(archive, name);
    if (index < 0) {
        throw WorkbookError("the workbook lacks its part " + name);
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        throw WorkbookError("the workbook's part " + name + " cannot be read");
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        throw WorkbookError("the workbook is encrypted (part " + name + ")");
    }
    if ((stat.valid & ZIP_STAT_COMP_METHOD) &&
        !zip_compression_method_supported(static_cast<zip_int32_t>(stat.comp_method), 0)) {
        throw WorkbookError("the workbook's part " + name + " uses an unknown compression");
    }
    compressedSize_ = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    file_ = zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0);
    if (file_ == nullptr) {
        throw WorkbookError("the workbook's part " + name +
                            " cannot be opened: " + zip_strerror(archive));
    }
}

ZipPart::~ZipPart() {
    if (file_ != nullptr) {
        zip_fclose(file_);
    }
}

size_t ZipPart::read(char* buffer, size_t size) {
    const zip_int64_t count = zip_fread(file_, buffer, size);
    if (count < 0) {
        throw WorkbookError("the workbook's part " + name_ +
                            " is damaged: " + zip_file_strerror(file_));
    }
    inflated_ += static_cast<std::uint64_t>(count);
    if (inflated_ > limit_) {
        throw WorkbookError("the workbook's part " + name_ + " is too large");
    }
    if (inflated_ > kRatioGraceBytes && inflated_ / kMaxCompressionRatio > compressedSize_) {
        throw WorkbookError("the workbook's part " + name_ +
                            " inflates far beyond any real workbook (a zip bomb?)");
    }
    return static_cast<size_t>(count);
}

bool hasPart(zip_t* archive, const std::string& name) {
    return locate(archive, name) >= 0;
}

XmlParser::XmlParser() : parser_(XML_ParserCreate(nullptr)) {
    if (parser_ == nullptr) {
        throw std::bad_alloc();
    }
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, onStart, onEnd);
    XML_SetStartDoctypeDeclHandler(parser_, onDoctype);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
#if XML_MAJOR_VERSION > 2 || (XML_MAJOR_VERSION == 2 && XML_MINOR_VERSION >= 4)
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser_, 100.0f);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser_, 8u << 20);
#endif
}

XmlParser::~XmlParser() {
    XML_ParserFree(parser_);
}

void XmlParser::setElementHandlers(XML_StartElementHandler start, XML_EndElementHandler end) {
    start_ = start;
    end_ = end;
}

void XmlParser::onStart(void* user, const XML_Char* name, const XML_Char** attributes) {
    auto* self = static_cast<XmlParser*>(user);
    if (++self->depth_ > kMaxXmlDepth) {
        self->fail("it nests its elements deeper than " + std::to_string(kMaxXmlDepth));
        return;
    }
    if (self->start_ != nullptr && !self->failed_ && !self->finished_) {
        self->start_(user, name, attributes);
    }
}

void XmlParser::onEnd(void* user, const XML_Char* name) {
    auto* self = static_cast<XmlParser*>(user);
    --self->depth_;
    if (self->end_ != nullptr && !self->failed_ && !self->finished_) {
        self->end_(user, name);
    }
}

void XmlParser::fail(std::string message) {
    if (!failed_ && !finished_) {
        failed_ = true;
        failure_ = std::move(message);
        XML_StopParser(parser_, XML_FALSE);
    }
}

void XmlParser::finish() {
    if (!failed_ && !finished_) {
        finished_ = true;
        XML_StopParser(parser_, XML_FALSE);
    }
}

XML_Status XmlParser::parseBuffer(int length, bool isFinal, const std::string& partName) {
    return check(XML_ParseBuffer(parser_, length, isFinal ? XML_TRUE : XML_FALSE), partName);
}

XML_Status XmlParser::resume(const std::string& partName) {
    return check(XML_ResumeParser(parser_), partName);
}

XML_Status XmlParser::check(XML_Status status, const std::string& partName) {
    if (status != XML_STATUS_ERROR) {
        return status;
    }
    if (finished_) {
        return XML_STATUS_OK;
    }
    if (failed_) {
        throw WorkbookError("the workbook's part " + partName + ": " + failure_);
    }
    throw WorkbookError("the workbook's part " + partName + " is not well-formed XML (" +
                        XML_ErrorString(XML_GetErrorCode(parser_)) + " at line " +
                        std::to_string(XML_GetCurrentLineNumber(parser_)) + ")");
}

std::string_view localName(const XML_Char* name) {
    const char* local = name;
    for (const char* at = name; *at != '\0'; ++at) {
        if (*at == ':') {
            local = at + 1;
        }
    }
    return local;
}

const XML_Char* attribute(const XML_Char** attributes, std::string_view local) {
    for (; *attributes != nullptr; attributes += 2) {
        if (localName(attributes[0]) == local) {
            return attributes[1];
        }
    }
    return nullptr;
}

void parsePart(zip_t* archive, const std::string& name, XmlParser& parser) {
    ZipPart part(archive, name, kMaxOtherPartBytes);
    for (;;) {
        void* buffer = XML_GetBuffer(parser.get(), kChunkBytes);
        if (buffer == nullptr) {
            throw WorkbookError("out of memory reading the workbook's part " + name);
        }
        const size_t count = part.read(static_cast<char*>(buffer), kChunkBytes);
        parser.parseBuffer(static_cast<int>(count), count == 0, name);
        if (count == 0 || parser.finished()) {
            return;
        }
    }
}

namespace {

struct RelationshipsReader {
    std::string source;
    std::map<std::string, Relationship> found;

    static void onStart(void* user, const XML_Char* name, const XML_Char** attributes) {
        auto& self = static_cast<XmlParser*>(user)->owner<RelationshipsReader>();
        if (localName(name) != "Relationship") {
            return;
        }
        const XML_Char* id = attribute(attributes, "Id");
        const XML_Char* type = attribute(attributes, "Type");
        const XML_Char* target = attribute(attributes, "Target");
        const XML_Char* mode = attribute(attributes, "TargetMode");
        if (id == nullptr || type == nullptr || target == nullptr ||
            (mode != nullptr && std::strcmp(mode, "External") == 0)) {
            return;
        }
        std::string_view typeUri(type);
        typeUri.remove_prefix(typeUri.rfind('/') + 1);  // npos + 1 == 0 keeps it whole
        self.found[id] = Relationship{std::string(typeUri), resolveTarget(self.source, target)};
    }
};

}  // namespace

std::map<std::string, Relationship> readRelationships(zip_t* archive, const std::string& partName) {
    const size_t slash = partName.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : partName.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? partName : partName.substr(slash + 1);
    const std::string relsName = dir + "_rels/" + file + ".rels";
    if (!hasPart(archive, relsName)) {
        return {};
    }
    RelationshipsReader reader{partName, {}};
    XmlParser parser;
    parser.setOwner(&reader);
    parser.setElementHandlers(RelationshipsReader::onStart);
    parsePart(archive, relsName, parser);
    return std::move(reader.found);
}

std::string resolveTarget(const std::string& sourcePart, std::string_view target) {
    const std::string decoded = percentDecode(target);
    std::string path;
    if (!decoded.empty() && decoded.front() == '/') {
        path = decoded.substr(1);
    } else {
        const size_t slash = sourcePart.rfind('/');
        path = (slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1)) + decoded;
    }
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const auto& segment : segments) {
        if (!resolved.empty()) {
            resolved += '/';
        }
        resolved += segment;
    }
    return resolved;
}

std::string decodeEscapes(std::string_view text) {
    if (text.find("_x") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        long code = escapeAt(text, i);
        if (code < 0) {
            out += text[i++];
            continue;
        }
        i += 7;
        if (code >= 0xD800 && code <= 0xDBFF) {
            const long low = escapeAt(text, i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 7;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        appendUtf8(out, static_cast<std::uint32_t>(code));
    }
    return out;
}
