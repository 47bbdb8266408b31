#pragma once

#include <string>
#include <string_view>
#include <vector>

// A remark about one cell of the workbook: an entry of the error list, or a warning.
struct CellRemark {
    std::string sheet;  // "Gau21"; empty for a remark about no cell
    std::string cell;   // "B12"
    std::string text;   // what is wrong there: "vietoje serijos numerio klaida"
};

// How the error list and the warnings name a cell: "Gau21 lapas -> B12".
std::string cellPlace(std::string_view sheet, std::string_view cell);

// How they name a cell and say what is wrong there, the place and the text two blanks apart:
// "Gau21 lapas -> B12  vietoje serijos numerio klaida". Without a cell, the text alone.
std::string cellRemarkLine(const CellRemark& remark);

// The list of badly filled cells of one generation run: one text for the user, and a flag
// on which alone the run decides. The entries are kept one by one as well, for reports that
// want them as data.
class ErrorList {
  public:
    static constexpr std::string_view kHeading = "Klaidų sąrašas:";

    // Appends LF CR LF CR, the sheet name, " lapas -> ", the cell (column letter and sheet
    // row) and the message tail, e.g. "Gau21 lapas -> B12  vietoje serijos numerio klaida".
    void add(std::string_view sheet, std::string_view column, int row, std::string_view tail);

    bool hasEntries() const { return !entries_.empty(); }
    const std::string& text() const { return text_; }
    // In the order added; the text of each without the blanks that lead its tail.
    const std::vector<CellRemark>& entries() const { return entries_; }

  private:
    std::string text_{kHeading};
    std::vector<CellRemark> entries_;
};
