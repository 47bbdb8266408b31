#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/regional_settings.h"

class DesktopShell;

// Any failure of the workbook connection: a file that cannot be opened or is not a workbook,
// a missing sheet, a cell whose value has no text form. The generation run turns every one
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

    // The value of the cell (1-based row and column) of the selected sheet as text:
    // empty cell "", text unchanged, a number in decimal with the regional decimal separator
    // (no grouping, at most 15 significant digits), a date in the regional short date form
    // (plus the time of day when it is not midnight), a boolean in its text form.
    // An error value throws WorkbookError. Readers walk rows from top to bottom.
    virtual std::string cellText(int row, int column) = 0;

    // The same text as cellText, valid until the next call on this connection. The readers
    // look at each cell's text only once, and a connection that holds the text already (the
    // shared strings of an .xlsx) hands it over without a copy per cell.
    virtual std::string_view cellView(int row, int column) {
        viewText_ = cellText(row, column);
        return viewText_;
    }

    // Shows the open workbook to the user, for correction.
    virtual void present(DesktopShell& desktop) = 0;

    // Releases the workbook.
    virtual void quit() = 0;

  private:
    std::string viewText_;  // what cellView hands out when cellText makes a new text
};

using WorkbookOpener = std::function<std::unique_ptr<WorkbookConnection>(
    const std::string& path, const RegionalSettings& regional)>;

// Opens an .xlsx or .xls workbook by path (the kind told by the file's signature).
// Throws WorkbookError when the file cannot be opened as a workbook.
std::unique_ptr<WorkbookConnection> openWorkbook(const std::string& path,
                                                 const RegionalSettings& regional);
