#include "workbook/xlsx_workbook.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

#include "base/desktop_shell.h"
#include "base/text.h"

namespace {

bool isTrue(const char* value) {
    return value != nullptr && (std::strcmp(value, "1") == 0 || std::strcmp(value, "true") == 0);
}

long numberOr(const char* text, long fallback) {
    if (text == nullptr) {
        return fallback;
    }
    long value = 0;
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    return result.ec == std::errc() && result.ptr == end ? value : fallback;
}

struct WorkbookPartReader {
    bool sawRoot = false;
    bool date1904 = false;
    std::vector<std::pair<std::string, std::string>> sheets;  // name, relationship id

    static void onStart(void* user, const XML_Char* name, const XML_Char** attributes) {
        auto* parser = static_cast<XmlParser*>(user);
        auto& self = parser->owner<WorkbookPartReader>();
        const std::string_view local = localName(name);
        if (!self.sawRoot) {
            self.sawRoot = true;
            if (local != "workbook") {
                parser->fail("it is not a spreadsheet workbook");
            }
        } else if (local == "sheet") {
            const XML_Char* sheetName = attribute(attributes, "name");
            const XML_Char* id = attribute(attributes, "id");
            if (sheetName != nullptr && id != nullptr) {
                self.sheets.emplace_back(sheetName, id);
            }
        } else if (local == "workbookPr") {
            self.date1904 = isTrue(attribute(attributes, "date1904"));
        }
    }
};

struct StylesReader {
    bool inNumFmts = false;
    bool inCellXfs = false;
    std::map<long, bool> customIsDate;
    std::vector<long> cellFormats;

    static void onStart(void* user, const XML_Char* name, const XML_Char** attributes) {
        auto& self = static_cast<XmlParser*>(user)->owner<StylesReader>();
        const std::string_view local = localName(name);
        if (local == "numFmts") {
            self.inNumFmts = true;
        } else if (local == "cellXfs") {
            self.inCellXfs = true;
        } else if (local == "numFmt" && self.inNumFmts) {
            const XML_Char* code = attribute(attributes, "formatCode");
            const long id = numberOr(attribute(attributes, "numFmtId"), -1);
            if (code != nullptr && id >= 0) {
                self.customIsDate[id] = isDateFormatCode(code);
            }
        } else if (local == "xf" && self.inCellXfs) {
            self.cellFormats.push_back(numberOr(attribute(attributes, "numFmtId"), 0));
        }
    }

    static void onEnd(void* user, const XML_Char* name) {
        auto& self = static_cast<XmlParser*>(user)->owner<StylesReader>();
        const std::string_view local = localName(name);
        if (local == "numFmts") {
            self.inNumFmts = false;
        } else if (local == "cellXfs") {
            self.inCellXfs = false;
        }
    }
};

// The shared strings part holds every distinct text of the workbook, often the second largest
// part after the sheets, and read before any sheet: it goes through the worksheet scanner,
// which spent a fifth of expat's time on it. Rich-text runs join; phonetic runs do not count.
class SharedStringsPass : private XmlScanHandler {
  public:
    SharedStringsPass(std::string& text, std::vector<std::uint32_t>& ends)
        : text_(text), ends_(ends) {}

    void read(zip_t* archive, const std::string& partName) {
        partName_ = &partName;
        ZipPart part(archive, partName, kMaxOtherPartBytes);
        XmlScanner scanner([&part](char* buffer, size_t size) { return part.read(buffer, size); },
                           partName, *this);
        scanner_ = &scanner;
        while (scanner.step()) {
        }
    }

  private:
    void startElement(std::string_view name, const XmlAttributes&) override {
        const std::string_view local = localPart(name);
        if (local == "si") {
            inItem_ = true;
            item_.clear();
        } else if (local == "t") {
            scanner_->setCapture(inItem_ && phoneticDepth_ == 0);
        } else if (local == "rPh") {
            ++phoneticDepth_;
        }
    }

    void endElement(std::string_view name) override {
        const std::string_view local = localPart(name);
        if (local == "t") {
            scanner_->setCapture(false);
        } else if (local == "rPh") {
            --phoneticDepth_;
        } else if (local == "si" && inItem_) {
            inItem_ = false;
            text_ += decodeEscapes(item_);
            ends_.push_back(static_cast<std::uint32_t>(text_.size()));
        }
    }

    void text(std::string_view piece) override {
        if (item_.size() + piece.size() > kMaxCellTextBytes) {
            throw WorkbookError("the workbook's part " + *partName_ +
                                ": a shared string is too long");
        }
        item_.append(piece);
    }

    std::string& text_;
    std::vector<std::uint32_t>& ends_;
    const std::string* partName_ = nullptr;
    XmlScanner* scanner_ = nullptr;
    bool inItem_ = false;
    int phoneticDepth_ = 0;
    std::string item_;
};

// An ISO 8601 date and time ("2023-01-15" or "2023-01-15T13:05:07"), as cells of type "d" hold.
bool parseIsoDate(std::string_view text, int& year, int& month, int& day, int& seconds) {
    auto number = [&text](size_t pos, size_t width, int& out) {
        if (pos + width > text.size()) {
            return false;
        }
        const char* begin = text.data() + pos;
        const auto result = std::from_chars(begin, begin + width, out);
        return result.ec == std::errc() && result.ptr == begin + width;
    };
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day) || text[4] != '-' ||
        text[7] != '-') {
        return false;
    }
    if (text.size() > 10 && (text[10] != 'T' || !number(11, 2, hour) || !number(14, 2, minute) ||
                             !number(17, 2, second))) {
        return false;
    }
    seconds = hour * 3600 + minute * 60 + second;
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
           hour < 24 && minute < 60 && second < 60;
}

}  // namespace

XlsxWorkbook::XlsxWorkbook(std::string path) : path_(std::move(path)) {
    int code = 0;
    archive_ = zip_open(path_.c_str(), ZIP_RDONLY, &code);
    if (archive_ == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string message = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw WorkbookError("cannot open " + path_ + " as an .xlsx workbook: " + message);
    }
    try {
        std::string workbookPart;
        for (const auto& [id, relationship] : readRelationships(archive_, "")) {
            if (relationship.type == "officeDocument") {
                workbookPart = relationship.target;
            }
        }
        if (workbookPart.empty() && hasPart(archive_, "xl/workbook.xml")) {
            workbookPart = "xl/workbook.xml";
        }
        if (workbookPart.empty()) {
            throw WorkbookError(path_ + " is a zip file but not a spreadsheet workbook");
        }
        if (workbookPart.ends_with(".bin")) {
            throw WorkbookError(path_ + " is a binary (.xlsb) workbook; save it as .xlsx");
        }
        readWorkbook(workbookPart);
    } catch (...) {
        release();
        throw;
    }
}

XlsxWorkbook::~XlsxWorkbook() {
    release();
}

void XlsxWorkbook::readWorkbook(const std::string& workbookPart) {
    const auto relationships = readRelationships(archive_, workbookPart);
    WorkbookPartReader reader;
    {
        XmlParser parser;
        parser.setOwner(&reader);
        parser.setElementHandlers(WorkbookPartReader::onStart);
        parsePart(archive_, workbookPart, parser);
    }
    dateSystem_ = reader.date1904 ? DateSystem::from1904 : DateSystem::from1900;
    for (const auto& [name, id] : reader.sheets) {
        const auto found = relationships.find(id);
        // Chart and dialog sheets have no cells and are not worksheets to the application.
        if (found != relationships.end() && found->second.type == "worksheet") {
            sheets_.push_back(Sheet{name, found->second.target});
        }
    }
    for (const auto& [id, relationship] : relationships) {
        if (relationship.type == "styles") {
            readStyles(relationship.target);
        } else if (relationship.type == "sharedStrings") {
            readSharedStrings(relationship.target);
        }
    }
}

void XlsxWorkbook::readStyles(const std::string& part) {
    StylesReader reader;
    XmlParser parser;
    parser.setOwner(&reader);
    parser.setElementHandlers(StylesReader::onStart, StylesReader::onEnd);
    parsePart(archive_, part, parser);
    dateStyles_.clear();
    for (const long format : reader.cellFormats) {
        const auto custom = reader.customIsDate.find(format);
        const int id = format > 0xFFFF ? -1 : static_cast<int>(format);
        dateStyles_.push_back(custom != reader.customIsDate.end() ? custom->second
                                                                  : isBuiltinDateFormat(id));
    }
}

void XlsxWorkbook::readSharedStrings(const std::string& part) {
    sharedText_.clear();
    sharedEnds_.clear();
    SharedStringsPass(sharedText_, sharedEnds_).read(archive_, part);
}

void XlsxWorkbook::selectSheet(std::string_view name) {
    if (archive_ == nullptr) {
        throw WorkbookError("the workbook is closed");
    }
    sheet_.reset();
    for (const auto& sheet : sheets_) {
        if (equalsIgnoringCase(sheet.name, name)) {
            sheetName_ = sheet.name;
            sheet_ = std::make_unique<XlsxSheetReader>(archive_, sheet.part, dateStyles_);
            return;
        }
    }
    throw WorkbookError("the workbook has no sheet \"" + std::string(name) + "\"");
}

std::string XlsxWorkbook::cellName(int row, int column) const {
    return "sheet " + sheetName_ + ", cell " + cellReference(row, column);
}

std::string_view XlsxWorkbook::sharedString(const XlsxCell& cell) const {
    const long index = numberOr(cell.value.c_str(), -1);
    if (index < 0 || static_cast<size_t>(index) >= sharedEnds_.size()) {
        throw WorkbookError("shared string " + cell.value + " does not exist");
    }
    const auto i = static_cast<size_t>(index);
    const std::uint32_t begin = i == 0 ? 0 : sharedEnds_[i - 1];
    return std::string_view(sharedText_).substr(begin, sharedEnds_[i] - begin);
}

CellValue XlsxWorkbook::cell(int row, int column) {
    if (sheet_ == nullptr) {
        throw WorkbookError(archive_ == nullptr ? "the workbook is closed" : "no sheet selected");
    }
    if (row < 1 || column < 1 || column > kMaxColumn) {
        throw WorkbookError("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") lies outside the columns that are read");
    }
    if (row > kMaxRow) {
        return {};  // below the grid: a sheet filled to its last row ends with empty rows there
    }
    const XlsxRow* cells = sheet_->row(row);
    if (cells == nullptr) {
        return {};
    }
    const XlsxCell& cell = cells->cells[static_cast<size_t>(column - 1)];
    CellValue value;
    using Kind = XlsxCell::Kind;
    switch (cell.kind) {
        case Kind::empty:
            return value;
        case Kind::number:
            if (!isWrittenNumber(cell.value)) {
                throw WorkbookError(cellName(row, column) + " holds a bad number");
            }
            if (cell.dateStyle) {
                if (const auto date = cellDateTime(writtenNumberValue(cell.value), dateSystem_)) {
                    value.kind = CellValue::Kind::date;
                    value.date = *date;
                    return value;
                }
            }
            value.kind = CellValue::Kind::number;
            value.text = cell.value;
            return value;
        case Kind::sharedString:
            value.kind = CellValue::Kind::text;
            try {
                value.text = sharedString(cell);
            } catch (const WorkbookError& error) {
                throw WorkbookError(cellName(row, column) + ": " + error.what());
            }
            return value;
        case Kind::inlineString:
        case Kind::formulaString:
            decoded_ = decodeEscapes(cell.value);
            value.kind = CellValue::Kind::text;
            value.text = decoded_;
            return value;
        case Kind::boolean:
            value.kind = CellValue::Kind::boolean;
            value.boolean = cell.value == "1" || cell.value == "true";
            return value;
        case Kind::isoDate:
            value.kind = CellValue::Kind::date;
            if (!parseIsoDate(cell.value, value.date.year, value.date.month, value.date.day,
                              value.date.secondsOfDay)) {
                throw WorkbookError(cellName(row, column) + " holds a bad date");
            }
            return value;
        case Kind::error:
            throw WorkbookError(cellName(row, column) + " holds the error value " + cell.value);
        case Kind::noValue:
            throw WorkbookError(cellName(row, column) +
                                " holds a formula whose result was never saved");
        case Kind::unknown:
            break;
    }
    throw WorkbookError(cellName(row, column) + " holds a value of an unknown type");
}

void XlsxWorkbook::present(DesktopShell& desktop) {
    desktop.open(path_);
}

void XlsxWorkbook::quit() {
    release();
}

void XlsxWorkbook::release() {
    sheet_.reset();
    if (archive_ != nullptr) {
        zip_discard(archive_);
        archive_ = nullptr;
    }
}
