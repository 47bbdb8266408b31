#include "invoices/error_list.h"

#include "base/text.h"

namespace {

constexpr std::string_view kSheetToCell = " lapas -> ";
constexpr std::string_view kCellToText = "  ";

}  // namespace

std::string cellPlace(std::string_view sheet, std::string_view cell) {
    std::string place;
    place.reserve(sheet.size() + kSheetToCell.size() + cell.size());
    place += sheet;
    place += kSheetToCell;
    place += cell;
    return place;
}

std::string cellRemarkLine(const CellRemark& remark) {
    if (remark.sheet.empty()) {
        return remark.text;
    }
    std::string line = cellPlace(remark.sheet, remark.cell);
    line += kCellToText;
    line += remark.text;
    return line;
}

void ErrorList::add(std::string_view sheet, std::string_view column, int row,
                    std::string_view tail) {
    CellRemark& entry = entries_.emplace_back();
    entry.sheet = sheet;
    entry.cell = column;
    entry.cell += std::to_string(row);
    entry.text = trimmed(tail);
    text_ += "\n\r\n\r";
    text_ += cellPlace(sheet, entry.cell);
    text_ += tail;
}
