#pragma once

#include <memory>
#include <string>

#include "workbook/biff_reader.h"
#include "workbook/workbook_connection.h"

// An .xls workbook (BIFF8, or BIFF5/7 of Excel 5 and 95, inside a compound file), read in the
// process: the workbook stream at open, each worksheet whole when it is selected. The cells
// come typed from the BIFF reader and get their texts here.
class XlsWorkbook : public WorkbookConnection {
  public:
    XlsWorkbook(std::string path, const RegionalSettings& regional);

    void selectSheet(std::string_view name) override;
    std::string cellText(int row, int column) override;
    std::string_view cellView(int row, int column) override;
    void present(DesktopShell& desktop) override;
    void quit() override;

  private:
    std::string path_;
    RegionalSettings regional_;
    std::unique_ptr<BiffWorkbook> book_;
    std::unique_ptr<BiffSheet> sheet_;
    std::string sheetName_;
    std::string viewed_;  // the text cellView made last
};
