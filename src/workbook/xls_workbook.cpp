#include "workbook/xls_workbook.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/desktop_shell.h"
#include "base/text.h"
#include "workbook/compound_file.h"
#include "workbook/workbook_limits.h"

namespace {

std::string errorValueText(double code) {
    switch (static_cast<int>(code)) {
        case 0x00:
            return "#NULL!";
        case 0x07:
            return "#DIV/0!";
        case 0x0F:
            return "#VALUE!";
        case 0x17:
            return "#REF!";
        case 0x1D:
            return "#NAME?";
        case 0x24:
            return "#NUM!";
        case 0x2A:
            return "#N/A";
        default:
            return "#" + std::to_string(static_cast<int>(code));
    }
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (!in || size < 0) {
        throw WorkbookError("cannot open " + path);
    }
    if (static_cast<std::uint64_t>(size) > kMaxXlsFileBytes) {
        throw WorkbookError(path + " is too large for an .xls workbook");
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    in.read(bytes.data(), size);
    if (in.gcount() != size) {
        throw WorkbookError("cannot read " + path);
    }
    return bytes;
}

// The workbook stream: "Workbook" (Excel 97 and later) wins over "Book" (Excel 5 and 95) when a
// file holds both, as the spreadsheet application reads it.
std::string workbookStream(const std::string& bytes) {
    const CompoundFile file(bytes);
    for (const char* name : {"Workbook", "Book"}) {
        if (file.hasStream(name)) {
            return file.stream(name);
        }
    }
    // An encrypted .xlsx is a compound file too, holding the package in this stream.
    if (file.hasStream("EncryptedPackage")) {
        throw WorkbookError("the workbook is protected by a password");
    }
    throw WorkbookError("the compound file holds no workbook");
}

}  // namespace

XlsWorkbook::XlsWorkbook(std::string path) : path_(std::move(path)) {
    std::string bytes = readWholeFile(path_);
    try {
        std::string stream = workbookStream(bytes);
        bytes = std::string();  // only the stream is needed from here on
        book_ = std::make_unique<BiffWorkbook>(std::move(stream), kMaxColumn);
    } catch (const WorkbookError& error) {
        throw WorkbookError("cannot read " + path_ + " as an .xls workbook: " + error.what());
    }
}

void XlsWorkbook::selectSheet(std::string_view name) {
    if (book_ == nullptr) {
        throw WorkbookError("the workbook is closed");
    }
    sheet_.reset();
    for (const BiffWorkbook::Sheet& sheet : book_->sheets()) {
        if (equalsIgnoringCase(sheet.name, name)) {
            try {
                sheet_ = book_->readSheet(sheet);
            } catch (const WorkbookError& error) {
                throw WorkbookError(path_ + ": " + error.what());
            }
            sheetName_ = sheet.name;
            return;
        }
    }
    throw WorkbookError("the workbook has no sheet \"" + std::string(name) + "\"");
}

int XlsWorkbook::lastRowHint() const {
    return sheet_ != nullptr ? static_cast<int>(sheet_->lastRow()) : 0;
}

CellValue XlsWorkbook::cell(int row, int column) {
    if (sheet_ == nullptr) {
        throw WorkbookError(book_ == nullptr ? "the workbook is closed" : "no sheet selected");
    }
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        throw WorkbookError("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") lies outside the columns that are read");
    }
    CellValue value;
    const BiffCell* cell =
        sheet_->cell(static_cast<std::uint32_t>(row - 1), static_cast<std::uint16_t>(column - 1));
    if (cell == nullptr) {
        return value;
    }
    const auto cellName = [&] {
        return "sheet " + sheetName_ + ", cell " + cellReference(row, column);
    };
    switch (cell->kind) {
        case BiffCellKind::empty:
            return value;
        case BiffCellKind::text:
            value.kind = CellValue::Kind::text;
            value.text = cell->text;
            return value;
        case BiffCellKind::number: {
            if (!std::isfinite(cell->number)) {
                throw WorkbookError(cellName() + " holds a bad number");
            }
            if (cell->date) {
                if (const auto date = cellDateTime(cell->number, book_->dateSystem())) {
                    value.kind = CellValue::Kind::date;
                    value.date = *date;
                    return value;
                }
            }
            // The shortest text that reads back to the double: what an .xlsx file holds.
            const auto written =
                std::to_chars(std::begin(written_), std::end(written_), cell->number);
            value.kind = CellValue::Kind::number;
            value.text = std::string_view(written_, static_cast<size_t>(written.ptr - written_));
            return value;
        }
        case BiffCellKind::boolean:
            value.kind = CellValue::Kind::boolean;
            value.boolean = cell->number != 0;
            return value;
        case BiffCellKind::error:
            throw WorkbookError(cellName() + " holds the error value " +
                                errorValueText(cell->number));
    }
    throw WorkbookError(cellName() + " holds a value of an unknown type");
}

void XlsWorkbook::present(DesktopShell& desktop) {
    desktop.open(path_);
}

void XlsWorkbook::quit() {
    sheet_.reset();
    book_.reset();
}
