#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "workbook/workbook_connection.h"

// An in-memory workbook for tests of the run and the readers: sheets of text cells, as a user
// types them. It records what was asked of it.
class FakeWorkbook {
  public:
    using Cells = std::map<std::pair<int, int>, std::string>;  // (row, column) -> text

    // Adds an empty sheet (or returns the one of that name) to fill.
    Cells& sheet(const std::string& name) { return sheets_[name]; }

    // A workbook with the twelve sheets, all empty.
    static FakeWorkbook withAllSheets();

    // Sets the cells of one row from column A on.
    void setRow(const std::string& sheetName, int row, const std::vector<std::string>& texts);

    // Cells whose reading throws, as an error value does.
    void setError(const std::string& sheetName, int row, int column);

    // The opener that the run uses; every connection opened shares this workbook's state.
    WorkbookOpener opener();

    struct Log {
        std::vector<std::string> opened;    // paths
        std::vector<std::string> selected;  // sheet names, in order
        long cellReads = 0;
        bool presented = false;
        bool quit = false;
    };
    const Log& log() const { return *log_; }

  private:
    std::map<std::string, Cells> sheets_;
    std::map<std::string, std::vector<std::pair<int, int>>> errors_;
    std::shared_ptr<Log> log_ = std::make_shared<Log>();
};
