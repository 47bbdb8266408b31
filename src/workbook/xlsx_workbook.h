#pragma once

#include <zip.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/cell_value.h"
#include "workbook/workbook_connection.h"
#include "workbook/xlsx_sheet_reader.h"

// An .xlsx workbook (Office Open XML, transitional or strict) read straight from its zip
// package: the workbook part, its relationships, shared strings and cell formats at open, and
// each worksheet streamed when it is selected.
class XlsxWorkbook : public WorkbookConnection {
  public:
    explicit XlsxWorkbook(std::string path);
    ~XlsxWorkbook() override;

    void selectSheet(std::string_view name) override;
    CellValue cell(int row, int column) override;
    int lastRowHint() const override { return sheet_ != nullptr ? sheet_->lastRowHint() : 0; }
    void present(DesktopShell& desktop) override;
    void quit() override;

  private:
    // Closes the package; quit() and the destructor alike.
    void release();
    struct Sheet {
        std::string name;
        std::string part;
    };

    void readWorkbook(const std::string& workbookPart);
    void readStyles(const std::string& part);
    void readSharedStrings(const std::string& part);
    std::string_view sharedString(const XlsxCell& cell) const;
    std::string cellName(int row, int column) const;

    std::string path_;
    zip_t* archive_ = nullptr;
    std::vector<Sheet> sheets_;
    DateSystem dateSystem_ = DateSystem::from1900;
    std::vector<bool> dateStyles_;
    // All shared strings back to back; sharedEnds_[i] is where string i ends.
    std::string sharedText_;
    std::vector<std::uint32_t> sharedEnds_;
    std::unique_ptr<XlsxSheetReader> sheet_;
    std::string sheetName_;
    std::string decoded_;  // the text of the inline string cell() gave last
};
