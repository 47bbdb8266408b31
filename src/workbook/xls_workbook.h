#pragma once

#include <memory>
#include <string>

#include "workbook/biff_reader.h"
#include "workbook/workbook_connection.h"

// An .xls workbook (BIFF8, or BIFF5/7 of Excel 5 and 95, inside a compound file), read in the
// process: the workbook stream at open, each worksheet whole when it is selected. The cells
// come typed from the BIFF reader; a number is handed on written out as an .xlsx holds it.
class XlsWorkbook : public WorkbookConnection {
  public:
    explicit XlsWorkbook(std::string path);

    void selectSheet(std::string_view name) override;
    CellValue cell(int row, int column) override;
    int lastRowHint() const override;
    void present(DesktopShell& desktop) override;
    void quit() override;

  private:
    std::string path_;
    std::unique_ptr<BiffWorkbook> book_;
    std::unique_ptr<BiffSheet> sheet_;
    std::string sheetName_;
    // A number cell's value written out as an .xlsx file writes it, for the cell() given last.
    char written_[32] = {};
};
