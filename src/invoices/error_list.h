#pragma once

#include <string>
#include <string_view>

// The list of badly filled cells of one generation run: one text for the user, and a flag
// on which alone the run decides.
class ErrorList {
  public:
    static constexpr std::string_view kHeading = "Klaidų sąrašas:";

    // Appends LF CR LF CR, the sheet name, " lapas -> ", the cell (column letter and sheet
    // row) and the message tail, e.g. "Gau21 lapas -> B12  vietoje serijos numerio klaida".
    void add(std::string_view sheet, std::string_view column, int row, std::string_view tail);

    bool hasEntries() const { return hasEntries_; }
    const std::string& text() const { return text_; }

  private:
    std::string text_{kHeading};
    bool hasEntries_ = false;
};
