#include "import/xlsx_sheet_reader.h"

#include <charconv>
#include <cstring>

#include "import/workbook_connection.h"

namespace {

constexpr int kChunkBytes = 128 * 1024;

// A positive decimal number, or -1.
long parseIndex(const char* text) {
    long value = -1;
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    return result.ec == std::errc() && result.ptr == end && value >= 0 ? value : -1;
}

// The column of a cell reference such as "AB12", or -1 when it does not start with letters.
int columnOf(const char* reference) {
    int column = 0;
    int letters = 0;
    for (; *reference != '\0'; ++reference) {
        const char c = *reference;
        int digit;
        if (c >= 'A' && c <= 'Z') {
            digit = c - 'A' + 1;
        } else if (c >= 'a' && c <= 'z') {
            digit = c - 'a' + 1;
        } else {
            break;
        }
        if (++letters > 3) {
            return -1;
        }
        column = column * 26 + digit;
    }
    return letters == 0 ? -1 : column;
}

XlsxCell::Kind kindOf(const char* type) {
    using Kind = XlsxCell::Kind;
    if (type == nullptr || std::strcmp(type, "n") == 0) {
        return Kind::number;
    }
    if (std::strcmp(type, "s") == 0) {
        return Kind::sharedString;
    }
    if (std::strcmp(type, "inlineStr") == 0) {
        return Kind::inlineString;
    }
    if (std::strcmp(type, "str") == 0) {
        return Kind::formulaString;
    }
    if (std::strcmp(type, "b") == 0) {
        return Kind::boolean;
    }
    if (std::strcmp(type, "e") == 0) {
        return Kind::error;
    }
    if (std::strcmp(type, "d") == 0) {
        return Kind::isoDate;
    }
    return Kind::unknown;
}

}  // namespace

XlsxSheetReader::XlsxSheetReader(zip_t* archive, std::string partName,
                                 const std::vector<bool>& dateStyles)
    : archive_(archive), partName_(std::move(partName)), dateStyles_(dateStyles) {
    restart();
}

XlsxSheetReader::~XlsxSheetReader() = default;

const XlsxRow* XlsxSheetReader::row(int number) {
    if (!failure_.empty()) {
        throw WorkbookError(failure_);
    }
    if (number < target_) {
        restart();
    }
    target_ = number;
    if (!(haveCurrent_ && current_.number >= number)) {
        haveCurrent_ = false;
        try {
            pump();
        } catch (const WorkbookError& error) {
            failure_ = error.what();
            throw;
        }
    }
    return haveCurrent_ && current_.number == number ? &current_ : nullptr;
}

void XlsxSheetReader::restart() {
    part_.reset();
    parser_ = std::make_unique<XmlParser>();
    parser_->setOwner(this);
    XML_SetElementHandler(parser_->get(), onStart, onEnd);
    XML_SetCharacterDataHandler(parser_->get(), onText);
    part_ = std::make_unique<ZipPart>(archive_, partName_, kMaxSheetPartBytes);
    haveCurrent_ = false;
    target_ = 0;
    suspended_ = finalFed_ = ended_ = false;
    inSheetData_ = inRow_ = collecting_ = inInlineString_ = capture_ = false;
    rowNumber_ = column_ = phoneticDepth_ = 0;
    cell_ = nullptr;
}

// Parses until a row at or below target_ is complete (the parser then stands suspended right
// after it) or the sheet data ends.
void XlsxSheetReader::pump() {
    while (!ended_ && !haveCurrent_) {
        XML_Status status;
        if (suspended_) {
            suspended_ = false;
            status = parser_->resume(partName_);
        } else {
            void* buffer = XML_GetBuffer(parser_->get(), kChunkBytes);
            if (buffer == nullptr) {
                throw WorkbookError("out of memory reading the workbook's part " + partName_);
            }
            const size_t count = part_->read(static_cast<char*>(buffer), kChunkBytes);
            finalFed_ = count == 0;
            status = parser_->parseBuffer(static_cast<int>(count), finalFed_, partName_);
        }
        if (parser_->finished()) {
            ended_ = true;
        } else if (status == XML_STATUS_SUSPENDED) {
            suspended_ = true;
        } else if (finalFed_) {
            ended_ = true;
        }
    }
}

void XlsxSheetReader::startRow(const XML_Char** attributes) {
    const XML_Char* reference = attribute(attributes, "r");
    const long number = reference != nullptr ? parseIndex(reference) : rowNumber_ + 1L;
    if (number <= rowNumber_ || number > kMaxRow) {
        parser_->fail("row numbers out of order or outside the sheet at row " +
                      std::to_string(rowNumber_ + 1));
        return;
    }
    rowNumber_ = static_cast<int>(number);
    inRow_ = true;
    column_ = 0;
    collecting_ = rowNumber_ >= target_;
    if (collecting_) {
        current_.number = rowNumber_;
        for (auto& cell : current_.cells) {
            cell.kind = XlsxCell::Kind::empty;
            cell.value.clear();
        }
    }
}

void XlsxSheetReader::startCell(const XML_Char** attributes) {
    if (!collecting_) {
        return;
    }
    const XML_Char* reference = nullptr;
    const XML_Char* type = nullptr;
    const XML_Char* style = nullptr;
    for (; *attributes != nullptr; attributes += 2) {
        const std::string_view name = localName(attributes[0]);
        if (name == "r") {
            reference = attributes[1];
        } else if (name == "t") {
            type = attributes[1];
        } else if (name == "s") {
            style = attributes[1];
        }
    }
    const int column = reference != nullptr ? columnOf(reference) : column_ + 1;
    if (column < 0) {
        parser_->fail(std::string("bad cell reference \"") + reference + "\"");
        return;
    }
    column_ = column;
    if (column < 1 || column > kMaxColumn) {
        return;
    }
    cell_ = &current_.cells[static_cast<size_t>(column - 1)];
    cell_->kind = kindOf(type);
    cell_->value.clear();
    cell_->hasFormula = false;
    const long styleIndex = style != nullptr ? parseIndex(style) : 0;
    cell_->dateStyle = styleIndex >= 0 && static_cast<size_t>(styleIndex) < dateStyles_.size() &&
                       dateStyles_[static_cast<size_t>(styleIndex)];
}

void XlsxSheetReader::onStart(void* user, const XML_Char* name, const XML_Char** attributes) {
    auto& self = static_cast<XmlParser*>(user)->owner<XlsxSheetReader>();
    const std::string_view local = localName(name);
    if (!self.inSheetData_) {
        self.inSheetData_ = local == "sheetData";
        return;
    }
    if (local == "c") {
        if (self.inRow_) {
            self.startCell(attributes);
        }
    } else if (local == "v") {
        self.capture_ = self.cell_ != nullptr;
    } else if (local == "t") {
        self.capture_ = self.cell_ != nullptr && self.inInlineString_ && self.phoneticDepth_ == 0;
    } else if (local == "row") {
        self.startRow(attributes);
    } else if (local == "f") {
        if (self.cell_ != nullptr) {
            self.cell_->hasFormula = true;
        }
    } else if (local == "is") {
        self.inInlineString_ = true;
    } else if (local == "rPh") {
        ++self.phoneticDepth_;
    }
}

void XlsxSheetReader::onEnd(void* user, const XML_Char* name) {
    auto& self = static_cast<XmlParser*>(user)->owner<XlsxSheetReader>();
    if (!self.inSheetData_) {
        return;
    }
    const std::string_view local = localName(name);
    if (local == "v" || local == "t") {
        self.capture_ = false;
    } else if (local == "c") {
        XlsxCell* cell = self.cell_;
        if (cell != nullptr && cell->value.empty() && cell->kind != XlsxCell::Kind::inlineString &&
            cell->kind != XlsxCell::Kind::formulaString) {
            cell->kind = cell->hasFormula ? XlsxCell::Kind::noValue : XlsxCell::Kind::empty;
        }
        self.cell_ = nullptr;
        self.capture_ = false;
        self.inInlineString_ = false;
        self.phoneticDepth_ = 0;
    } else if (local == "row") {
        self.inRow_ = false;
        self.cell_ = nullptr;
        if (self.collecting_) {
            self.collecting_ = false;
            self.haveCurrent_ = true;
            XML_StopParser(self.parser_->get(), XML_TRUE);
        }
    } else if (local == "is") {
        self.inInlineString_ = false;
    } else if (local == "rPh") {
        --self.phoneticDepth_;
    } else if (local == "sheetData") {
        self.parser_->finish();  // nothing after the cells matters to the readers
    }
}

void XlsxSheetReader::onText(void* user, const XML_Char* text, int length) {
    auto& self = static_cast<XmlParser*>(user)->owner<XlsxSheetReader>();
    if (!self.capture_) {
        return;
    }
    std::string& value = self.cell_->value;
    if (value.size() + static_cast<size_t>(length) > kMaxCellTextBytes) {
        self.parser_->fail("a cell's text is too long in row " + std::to_string(self.rowNumber_));
        return;
    }
    value.append(text, static_cast<size_t>(length));
}
