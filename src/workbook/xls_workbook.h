#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/workbook_connection.h"

// The cells of an .xls workbook as the reading child process sends them: every sheet by
// name, and its non-empty cells in the columns the readers read, each a kind and a text (a
// number as its shortest decimal, a date as FreeXL writes it).
struct XlsSheet {
    struct Cell {
        std::uint32_t row = 0;     // 0-based
        std::uint8_t column = 0;   // 0-based, below kMaxColumn
        bool unreadable = false;   // FreeXL could not give its value
        char kind = 't';           // 't' text, 'n' number, 'd' date or time
        std::uint32_t offset = 0;  // into `texts`
        std::uint32_t length = 0;
    };
    std::string name;
    bool readable = true;     // FreeXL could select the sheet and give its extent
    std::vector<Cell> cells;  // ascending by row, then column
    std::string texts;
};

// The child's answer, decoded. Throws WorkbookError, naming `path`, when FreeXL refused the
// file or when the bytes are not one whole, well-formed answer.
std::vector<XlsSheet> decodeXlsReply(std::string_view reply, const std::string& path);

// An .xls workbook (BIFF5 or BIFF8 inside an OLE2 compound file). FreeXL, which reads it, has
// memory errors of its own on crafted files, so it runs in a child process: the child opens
// the file, sends the cell texts of every sheet back over a pipe and ends. A child that dies,
// stops answering, sends too much or sends garbage is a WorkbookError; the program goes on.
class XlsWorkbook : public WorkbookConnection {
  public:
    explicit XlsWorkbook(std::string path);

    void selectSheet(std::string_view name) override;
    CellValue cell(int row, int column) override;
    void present(DesktopShell& desktop) override;
    void quit() override;

  private:
    std::string path_;
    std::vector<XlsSheet> sheets_;
    const XlsSheet* selected_ = nullptr;
    bool open_ = true;
};
