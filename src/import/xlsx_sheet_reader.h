#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "import/workbook_limits.h"
#include "import/xlsx_package.h"

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
};

// Streams the rows of one worksheet part in a single forward pass, keeping only the row last
// asked for: the sheet readers walk rows top to bottom, so memory does not grow with the sheet.
// Asking for a row above the last one asked starts the pass again from the top.
class XlsxSheetReader {
  public:
    // `dateStyles` (true for each cell format that shows a date) must outlive the reader.
    XlsxSheetReader(zip_t* archive, std::string partName, const std::vector<bool>& dateStyles);
    ~XlsxSheetReader();

    // The cells of that row (columns 1..kMaxColumn), or nullptr when the sheet has none there.
    const XlsxRow* row(int number);

  private:
    static void onStart(void* user, const XML_Char* name, const XML_Char** attributes);
    static void onEnd(void* user, const XML_Char* name);
    static void onText(void* user, const XML_Char* text, int length);

    void restart();
    void pump();
    void startRow(const XML_Char** attributes);
    void startCell(const XML_Char** attributes);

    zip_t* archive_;
    std::string partName_;
    const std::vector<bool>& dateStyles_;
    std::unique_ptr<ZipPart> part_;
    std::unique_ptr<XmlParser> parser_;

    XlsxRow current_;
    bool haveCurrent_ = false;  // current_ holds the first row at or below target_
    int target_ = 0;
    bool suspended_ = false;
    bool finalFed_ = false;
    bool ended_ = false;

    bool inSheetData_ = false;
    bool inRow_ = false;
    bool collecting_ = false;  // the row being parsed is one a reader may still ask for
    int rowNumber_ = 0;
    int column_ = 0;
    XlsxCell* cell_ = nullptr;  // the cell being parsed, when it is kept
    bool inInlineString_ = false;
    int phoneticDepth_ = 0;
    bool capture_ = false;

    std::string failure_;  // a failed pass fails every later call alike
};
