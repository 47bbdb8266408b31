#include "support/workbook_builder.h"

#include <xlsxwriter.h>

#include <stdexcept>

WorkbookBuilder::WorkbookBuilder(const std::string& path) : workbook_(workbook_new(path.c_str())) {
    if (workbook_ == nullptr) {
        throw std::runtime_error("cannot create workbook " + path);
    }
}

WorkbookBuilder::~WorkbookBuilder() {
    if (workbook_ != nullptr) {
        workbook_close(workbook_);
    }
}

WorkbookBuilder& WorkbookBuilder::sheet(const std::string& name) {
    sheet_ = workbook_add_worksheet(workbook_, name.c_str());
    if (sheet_ == nullptr) {
        throw std::runtime_error("cannot add sheet " + name);
    }
    return *this;
}

lxw_worksheet* WorkbookBuilder::current() {
    if (sheet_ == nullptr) {
        sheet("Sheet1");
    }
    return sheet_;
}

lxw_format* WorkbookBuilder::format(const std::string& code) {
    if (code.empty()) {
        return nullptr;
    }
    auto& found = formats_[code];
    if (found == nullptr) {
        found = workbook_add_format(workbook_);
        format_set_num_format(found, code.c_str());
    }
    return found;
}

WorkbookBuilder& WorkbookBuilder::text(int row, int column, const std::string& value) {
    worksheet_write_string(current(), static_cast<lxw_row_t>(row - 1),
                           static_cast<lxw_col_t>(column - 1), value.c_str(), nullptr);
    return *this;
}

WorkbookBuilder& WorkbookBuilder::number(int row, int column, double value,
                                         const std::string& format) {
    worksheet_write_number(current(), static_cast<lxw_row_t>(row - 1),
                           static_cast<lxw_col_t>(column - 1), value, this->format(format));
    return *this;
}

WorkbookBuilder& WorkbookBuilder::date(int row, int column, int year, int month, int day,
                                       const std::string& format) {
    lxw_datetime when = {year, month, day, 0, 0, 0.0};
    worksheet_write_datetime(current(), static_cast<lxw_row_t>(row - 1),
                             static_cast<lxw_col_t>(column - 1), &when, this->format(format));
    return *this;
}

void WorkbookBuilder::save() {
    const lxw_error result = workbook_close(workbook_);
    workbook_ = nullptr;
    if (result != LXW_NO_ERROR) {
        throw std::runtime_error(std::string("cannot save workbook: ") + lxw_strerror(result));
    }
}
