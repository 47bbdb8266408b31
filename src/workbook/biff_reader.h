#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/cell_value.h"

// The cells of an .xls workbook (BIFF8, and BIFF5/7 of Excel 5 and 95) read from its workbook
// stream, as typed values; turning them into text is the connection's business.

enum class BiffCellKind : std::uint8_t { empty, text, number, boolean, error };

struct BiffCell {
    std::uint32_t row = 0;     // 0-based
    std::uint16_t column = 0;  // 0-based
    BiffCellKind kind = BiffCellKind::empty;
    bool date = false;      // a number whose format shows a date or time
    double number = 0;      // number; boolean 0 or 1; error the error code
    std::string_view text;  // UTF-8; valid while the sheet and its workbook live
};

// One worksheet, read whole: the cells of the columns below `maxColumn`, in row and column
// order. Blank and formatted-only cells are not kept.
class BiffSheet {
  public:
    BiffSheet() = default;
    BiffSheet(const BiffSheet&) = delete;
    BiffSheet& operator=(const BiffSheet&) = delete;

    // The cell at a 0-based row and column, or nullptr when it holds nothing.
    const BiffCell* cell(std::uint32_t row, std::uint16_t column) const;

    // The 1-based number of the last row holding a cell; 0 for an empty sheet.
    std::uint32_t lastRow() const {
        return rowStarts_.empty() ? 0 : static_cast<std::uint32_t>(rowStarts_.size() - 1);
    }

  private:
    friend class BiffWorkbook;
    std::vector<BiffCell> cells_;
    std::vector<std::uint32_t> rowStarts_;  // where each row's cells begin; one past the last row
    std::deque<std::string> texts_;         // the sheet's own texts (not shared strings)
};

class BiffWorkbook {
  public:
    struct Sheet {
        std::string name;
        std::uint32_t offset = 0;  // of its BOF record in the stream
    };

    // Reads the workbook globals: code page, date system, shared strings, number formats and
    // the worksheets' names. Throws WorkbookError for an encrypted or damaged stream.
    BiffWorkbook(std::string stream, std::uint16_t maxColumn);
    ~BiffWorkbook();
    BiffWorkbook(const BiffWorkbook&) = delete;
    BiffWorkbook& operator=(const BiffWorkbook&) = delete;

    const std::vector<Sheet>& sheets() const { return sheets_; }
    DateSystem dateSystem() const { return dateSystem_; }

    // Reads one worksheet to its end in one pass. Throws WorkbookError when any of its
    // records is damaged or it never ends; a sheet is read whole or not at all.
    std::unique_ptr<BiffSheet> readSheet(const Sheet& sheet) const;

  private:
    class Decoder;

    std::string stream_;
    std::uint16_t maxColumn_;
    bool biff8_ = true;
    DateSystem dateSystem_ = DateSystem::from1900;
    std::unique_ptr<Decoder> decoder_;  // the code page of BIFF5/7 byte strings
    std::vector<bool> dateStyles_;      // by cell format (XF) index
    std::string sharedText_;            // the shared strings back to back
    std::vector<std::uint32_t> sharedEnds_;
    std::vector<Sheet> sheets_;
};
