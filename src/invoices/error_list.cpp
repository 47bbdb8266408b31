#include "invoices/error_list.h"

void ErrorList::add(std::string_view sheet, std::string_view column, int row,
                    std::string_view tail) {
    text_ += "\n\r\n\r";
    text_ += sheet;
    text_ += " lapas -> ";
    text_ += column;
    text_ += std::to_string(row);
    text_ += tail;
    hasEntries_ = true;
}
