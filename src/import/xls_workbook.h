#pragma once

#include <string>
#include <vector>

#include "import/workbook_connection.h"

// An .xls workbook (BIFF5 or BIFF8 inside an OLE2 compound file) read with FreeXL, which
// loads the whole file; files larger than any real invoice workbook are refused first.
class XlsWorkbook : public WorkbookConnection {
  public:
    XlsWorkbook(std::string path, const RegionalSettings& regional);
    ~XlsWorkbook() override;

    void selectSheet(std::string_view name) override;
    std::string cellText(int row, int column) override;
    void present(DesktopShell& desktop) override;
    void quit() override;

  private:
    std::string path_;
    RegionalSettings regional_;
    const void* handle_ = nullptr;
    std::vector<std::string> sheetNames_;
    bool selected_ = false;
    unsigned int rows_ = 0;
    unsigned short columns_ = 0;
};
