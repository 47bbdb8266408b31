#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/workbook_limits.h"
#include "workbook/xlsx_package.h"
#include "workbook/xlsx_xml_scanner.h"

// One cell of a worksheet part as written: its kind and its raw value, interpreted only when
// a reader asks for its text.
struct XlsxCell {
    enum class Kind : std::uint8_t {
        empty,
        number,         // t absent or "n"; the value is the number
        sharedString,   // t="s"; the value is the index into the shared strings
        inlineString,   // t="inlineStr"; the value is the text
        formulaString,  // t="str", a formula's text result
        boolean,        // t="b"
        error,          // t="e"; the value is the error's text (#N/A ...)
        isoDate,        // t="d"; the value is an ISO 8601 date and time
        noValue,        // a formula whose result was never saved
        unknown,        // any other t
    };
    Kind kind = Kind::empty;
    bool dateStyle = false;
    bool hasFormula = false;
    std::string value;
};

struct XlsxRow {
    int number = 0;
    std::array<XlsxCell, kMaxColumn> cells;
    // What is wrong in this row (a bad cell reference, a text too long), raised only when a
    // reader asks for the row: a pass that only skips over it does not look at its cells.
    std::string failure;
};

// Streams the rows of one worksheet part in a single forward pass: the sheet readers walk rows
// top to bottom, so memory does not grow with the sheet. Asking for a row above the last one
// asked starts the pass again from the top.
//
// The pass runs on a thread of its own, a bounded number of rows ahead of the reader: inflating
// and scanning the part then overlap with the readers' checks, which take about as long.
// Whatever the pass meets (a malformed part, a row it cannot hold) reaches the reader at the
// row where it happened, exactly as if the pass ran on the reader's thread. The cells' values
// are interpreted on the reader's thread, when asked for, which also balances the two.
//
// The worksheet parts are nearly all of a workbook's bytes, and a general XML parser spent
// more time on them than everything else in a run together, so they are read by a scanner of
// their own (xlsx_xml_scanner.h). It checks what makes XML well-formed as far as a worksheet
// uses it and refuses DOCTYPEs and encodings other than UTF-8; the other parts stay with expat.
class XlsxSheetReader {
  public:
    // `dateStyles` (true for each cell format that shows a date) must outlive the reader, and
    // nothing else may use `archive` until the reader is gone. Throws WorkbookError when the
    // part cannot be opened.
    XlsxSheetReader(zip_t* archive, std::string partName, const std::vector<bool>& dateStyles);
    ~XlsxSheetReader();

    // The cells of that row (columns 1..kMaxColumn), or nullptr when the sheet has none there.
    const XlsxRow* row(int number);

    // The last row of the part's <dimension>, once a row has been asked for; 0 without one.
    int lastRowHint() const;

  private:
    class Pass;
    class Scan;

    void restart();

    zip_t* archive_;
    std::string partName_;
    const std::vector<bool>& dateStyles_;
    std::unique_ptr<Scan> scan_;

    std::unique_ptr<XlsxRow> current_;  // the first row at or below target_, when haveCurrent_
    bool haveCurrent_ = false;
    int target_ = 0;
    bool ended_ = false;

    std::string failure_;  // a failed pass fails every later call alike
};
