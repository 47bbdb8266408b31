#include "support/fake_workbook.h"

#include <algorithm>

#include "base/desktop_shell.h"
#include "base/text.h"
#include "invoices/sheet_table.h"

namespace {

class FakeConnection : public WorkbookConnection {
  public:
    FakeConnection(std::string path, std::map<std::string, FakeWorkbook::Cells> sheets,
                   std::map<std::string, std::vector<std::pair<int, int>>> errors,
                   std::shared_ptr<FakeWorkbook::Log> log)
        : path_(std::move(path)),
          sheets_(std::move(sheets)),
          errors_(std::move(errors)),
          log_(std::move(log)) {}

    void selectSheet(std::string_view name) override {
        for (const auto& [sheetName, cells] : sheets_) {
            if (equalsIgnoringCase(sheetName, name)) {
                current_ = sheetName;
                log_->selected.push_back(sheetName);
                return;
            }
        }
        throw WorkbookError("no sheet named " + std::string(name));
    }

    CellValue cell(int row, int column) override {
        if (current_.empty()) {
            throw WorkbookError("no sheet selected");
        }
        ++log_->cellReads;
        const auto& bad = errors_[current_];
        if (std::find(bad.begin(), bad.end(), std::make_pair(row, column)) != bad.end()) {
            throw WorkbookError("error value in a cell");
        }
        const auto& cells = sheets_.at(current_);
        const auto found = cells.find({row, column});
        CellValue value;
        if (found != cells.end() && !found->second.empty()) {
            value.kind = CellValue::Kind::text;
            value.text = found->second;
        }
        return value;
    }

    // The last row holding a cell, as a workbook file says it.
    int lastRowHint() const override {
        const auto& cells = sheets_.at(current_);
        return cells.empty() ? 0 : cells.rbegin()->first.first;
    }

    void present(DesktopShell& desktop) override {
        log_->presented = true;
        desktop.open(path_);
    }

    void quit() override { log_->quit = true; }

  private:
    std::string path_;
    std::map<std::string, FakeWorkbook::Cells> sheets_;
    std::map<std::string, std::vector<std::pair<int, int>>> errors_;
    std::shared_ptr<FakeWorkbook::Log> log_;
    std::string current_;
};

}  // namespace

FakeWorkbook FakeWorkbook::withAllSheets() {
    FakeWorkbook book;
    for (auto name : kSheetNames) {
        book.sheet(std::string(name));
    }
    return book;
}

void FakeWorkbook::setRow(const std::string& sheetName, int row,
                          const std::vector<std::string>& texts) {
    auto& cells = sheet(sheetName);
    for (size_t i = 0; i < texts.size(); ++i) {
        cells[{row, static_cast<int>(i) + 1}] = texts[i];
    }
}

void FakeWorkbook::setError(const std::string& sheetName, int row, int column) {
    errors_[sheetName].push_back({row, column});
}

WorkbookOpener FakeWorkbook::opener() {
    return [this](const std::string& path) {
        log_->opened.push_back(path);
        return std::make_unique<FakeConnection>(path, sheets_, errors_, log_);
    };
}
