#pragma once

#include <map>
#include <string>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// Writes a real .xlsx workbook (with libxlsxwriter, as the spreadsheet application would) for
// tests: named sheets and cells set by 1-based (row, column), the way the readers address them.
//
//   WorkbookBuilder book(dir.file("book.xlsx"));
//   book.sheet("Gau21").date(5, 1, 2023, 1, 15).text(5, 2, "SF-1").number(5, 9, 100.5);
//   book.save();
class WorkbookBuilder {
  public:
    explicit WorkbookBuilder(const std::string& path);
    ~WorkbookBuilder();
    WorkbookBuilder(const WorkbookBuilder&) = delete;
    WorkbookBuilder& operator=(const WorkbookBuilder&) = delete;

    // Adds a sheet; the cells set next go into it.
    WorkbookBuilder& sheet(const std::string& name);

    WorkbookBuilder& text(int row, int column, const std::string& value);
    // A number, shown with the given number format code when one is given ("0.00", "d.m.yyyy").
    WorkbookBuilder& number(int row, int column, double value, const std::string& format = "");
    // A date as the application stores a typed date: a day serial with a date format.
    WorkbookBuilder& date(int row, int column, int year, int month, int day,
                          const std::string& format = "yyyy-mm-dd");

    // Writes the file. Throws std::runtime_error when it cannot.
    void save();

  private:
    lxw_format* format(const std::string& code);
    lxw_worksheet* current();

    lxw_workbook* workbook_;
    lxw_worksheet* sheet_ = nullptr;
    std::map<std::string, lxw_format*> formats_;
};
