#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/date.h"
#include "base/progress.h"
#include "invoices/invoice_book.h"

class ReplacingFile;

// The characters in front of a line of the i.SAF file: spaces, then tabs. The file's layout
// mixes both, and the tax administration's checks have always seen it so.
struct Lead {
    int spaces = 0;
    int tabs = 0;
};

// The i.SAF file as it is built: one element or tag per line, appended in order, and the
// progress the element writers report while they build it. The lines go straight into the
// file's bytes, kept in memory or streamed to the output file as they come, so a large file
// is never held whole.
class IsafDocument {
  public:
    // Kept in memory: bytes() and lines() give the whole document.
    explicit IsafDocument(Progress& progress);
    // Streamed into `file`; finish() writes the rest.
    IsafDocument(Progress& progress, ReplacingFile& file);

    // A line of fixed markup.
    void line(Lead lead, std::string_view markup);
    // "<name>value</name>", the value escaped; written also when the value is empty.
    void element(Lead lead, std::string_view name, std::string_view value);
    // As element(), but an empty value gives the nil form the schema asks for.
    void nillableElement(Lead lead, std::string_view name, std::string_view value);
    // An amount with a decimal point and two decimals; none gives the nil form.
    void moneyElement(Lead lead, std::string_view name, Money amount);
    void nillableMoneyElement(Lead lead, std::string_view name, std::optional<Money> amount);
    // A date, "yyyy-mm-dd".
    void dateElement(Lead lead, std::string_view name, Date date);

    // A new progress phase over `total` records.
    void beginPhase(size_t total);
    // Before the record at `index` of its list (counted from 0).
    void stepRecord(size_t index);
    // The file is written: status empty, progress back to 0.
    void endProgress();

    // Hands the bytes still held to the output file, when there is one.
    void finish();

    // The file's bytes: the UTF-8 byte-order mark, then every line followed by CR LF. Of a
    // streamed document only those not yet written.
    const std::string& bytes() const { return bytes_; }
    // The lines without their line ends.
    std::vector<std::string> lines() const;

  private:
    void beginLine(Lead lead);
    void endLine();
    // Adds `size` bytes to the end and returns where they begin.
    char* grow(size_t size);
    // "<name>value</name>" and the line end, when the value goes in unchanged; false, writing
    // nothing, otherwise.
    bool plainElement(Lead lead, std::string_view name, std::string_view value);

    Progress& progress_;
    ReplacingFile* file_ = nullptr;
    std::string bytes_;
    std::string status_;
    int phaseTotal_ = 0;
};
