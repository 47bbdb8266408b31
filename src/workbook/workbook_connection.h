#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "workbook/cell_value.h"

class DesktopShell;

// Any failure of the workbook connection: a file that cannot be opened or is not a workbook,
// a missing sheet, a cell holding an error value. The generation run turns every one
// into its single message; the text here is for logs and tests.
class WorkbookError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The program's only way into the user's workbook. It only reads; it never writes the file.
class WorkbookConnection {
  public:
    virtual ~WorkbookConnection() = default;

    // Selects a sheet by name, compared without regard to letter case as the spreadsheet
    // application does. A missing sheet throws WorkbookError.
    virtual void selectSheet(std::string_view name) = 0;

    // The value of the cell (1-based row and column) of the selected sheet: empty, a text, a
    // number, a date (a date-formatted number within the calendar) or a boolean. An error value
    // throws WorkbookError. The value, and the text it views, stays valid until the next call on
    // this connection. Readers walk rows from top to bottom.
    virtual CellValue cell(int row, int column) = 0;

    // The cell's text as the readers see a cell they take as text: cellText() of its value.
    std::string cellText(int row, int column) { return ::cellText(cell(row, column)); }

    // The last row the selected sheet says it holds, for showing progress only: the file may
    // be wrong about it. 0 when it does not say. Asked once a row of the sheet has been read.
    virtual int lastRowHint() const { return 0; }

    // Shows the open workbook to the user, for correction.
    virtual void present(DesktopShell& desktop) = 0;

    // Releases the workbook.
    virtual void quit() = 0;
};

using WorkbookOpener = std::function<std::unique_ptr<WorkbookConnection>(const std::string& path)>;

// Opens an .xlsx or .xls workbook by path (the kind told by the file's signature).
// Throws WorkbookError when the file cannot be opened as a workbook.
std::unique_ptr<WorkbookConnection> openWorkbook(const std::string& path);
