#include "import/xls_workbook.h"

#include <freexl.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "import/cell_text.h"
#include "import/workbook_limits.h"
#include "import/workbook_sheet_names.h"
#include "shell/desktop_shell.h"

namespace {

// An encrypted .xlsx is an OLE2 file too, holding the package in a stream of this name; FreeXL
// only finds no workbook stream in it.
bool holdsEncryptedPackage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string_view name = "EncryptedPackage";
    std::string utf16;
    for (const char c : name) {
        utf16 += c;
        utf16 += '\0';
    }
    return bytes.find(utf16) != std::string::npos;
}

// FreeXL gives dates as "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS".
bool readNumbers(std::string_view text, std::initializer_list<std::pair<size_t, int*>> fields) {
    for (const auto& [pos, out] : fields) {
        if (pos + 2 > text.size()) {
            return false;
        }
        const size_t width = pos == 0 && text.size() >= 10 && text[4] == '-' ? 4 : 2;
        const char* begin = text.data() + pos;
        const auto result = std::from_chars(begin, begin + width, *out);
        if (result.ec != std::errc() || result.ptr != begin + width) {
            return false;
        }
    }
    return true;
}

std::string freexlDateText(int type, std::string_view text, const RegionalSettings& regional) {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool ok = false;
    if (type == FREEXL_CELL_DATE) {
        ok = readNumbers(text, {{0, &year}, {5, &month}, {8, &day}});
    } else if (type == FREEXL_CELL_DATETIME) {
        ok = readNumbers(
            text, {{0, &year}, {5, &month}, {8, &day}, {11, &hour}, {14, &minute}, {17, &second}});
    } else {
        ok = readNumbers(text, {{0, &hour}, {3, &minute}, {6, &second}});
        const int seconds = hour * 3600 + minute * 60 + second;
        if (ok && seconds != 0) {
            return std::string(text.substr(0, 8));  // a time of day alone, as in day zero
        }
    }
    if (!ok) {
        return std::string(text);
    }
    return formatDateTime(year, month, day, hour * 3600 + minute * 60 + second, regional);
}

}  // namespace

XlsWorkbook::XlsWorkbook(std::string path, const RegionalSettings& regional)
    : path_(std::move(path)), regional_(regional) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path_, error);
    if (error) {
        throw WorkbookError("cannot open " + path_ + ": " + error.message());
    }
    if (size > kMaxXlsFileBytes) {
        throw WorkbookError(path_ + " is too large for an .xls workbook");
    }
    const int status = freexl_open(path_.c_str(), &handle_);
    if (status != FREEXL_OK) {
        quit();
        if (status == FREEXL_BIFF_WORKBOOK_NOT_FOUND && holdsEncryptedPackage(path_)) {
            throw WorkbookError(path_ + " is protected by a password");
        }
        throw WorkbookError("cannot open " + path_ + " as an .xls workbook (FreeXL error " +
                            std::to_string(status) + ")");
    }
    unsigned int password = 0;
    unsigned int count = 0;
    if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
        password == FREEXL_BIFF_OBFUSCATED) {
        quit();
        throw WorkbookError(path_ + " is protected by a password");
    }
    if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        count = 0;
    }
    for (unsigned short i = 0; i < count && i < 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle_, i, &name) == FREEXL_OK && name != nullptr) {
            sheetNames_.emplace_back(name);
        } else {
            sheetNames_.emplace_back();  // keeps the index of the sheets after it
        }
    }
}

XlsWorkbook::~XlsWorkbook() {
    quit();
}

void XlsWorkbook::selectSheet(std::string_view name) {
    if (handle_ == nullptr) {
        throw WorkbookError("the workbook is closed");
    }
    selected_ = false;
    for (size_t i = 0; i < sheetNames_.size(); ++i) {
        if (!sheetNames_[i].empty() && sameSheetName(sheetNames_[i], name)) {
            if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(i)) !=
                    FREEXL_OK ||
                freexl_worksheet_dimensions(handle_, &rows_, &columns_) != FREEXL_OK) {
                throw WorkbookError("the sheet \"" + sheetNames_[i] + "\" cannot be read");
            }
            selected_ = true;
            return;
        }
    }
    throw WorkbookError("the workbook has no sheet \"" + std::string(name) + "\"");
}

std::string XlsWorkbook::cellText(int row, int column) {
    if (!selected_) {
        throw WorkbookError(handle_ == nullptr ? "the workbook is closed" : "no sheet selected");
    }
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        throw WorkbookError("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") lies outside the columns that are read");
    }
    const auto r = static_cast<unsigned int>(row - 1);
    const auto c = static_cast<unsigned short>(column - 1);
    if (r >= rows_ || c >= columns_) {
        return "";
    }
    FreeXL_CellValue value;
    if (freexl_get_cell_value(handle_, r, c, &value) != FREEXL_OK) {
        throw WorkbookError("cell (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") cannot be read");
    }
    switch (value.type) {
        case FREEXL_CELL_INT:
            return formatCellNumber(value.value.int_value, regional_);
        case FREEXL_CELL_DOUBLE:
            return formatCellNumber(value.value.double_value, regional_);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return value.value.text_value != nullptr ? value.value.text_value : "";
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
            return value.value.text_value != nullptr
                       ? freexlDateText(value.type, value.value.text_value, regional_)
                       : "";
        default:
            return "";
    }
}

void XlsWorkbook::present(DesktopShell& desktop) {
    desktop.open(path_);
}

void XlsWorkbook::quit() {
    selected_ = false;
    if (handle_ != nullptr) {
        freexl_close(handle_);
        handle_ = nullptr;
    }
}
