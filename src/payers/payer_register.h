#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

// The fields of one register line: name ; VAT code ; company code ; workplace name.
// Each ";" ends a field, and a single empty field after a final ";" is dropped, so
// "Medis;;123;" has three fields and "Medis;;123;SANDELIS1" four.
std::vector<std::string> splitPayerLine(std::string_view line);

// Fields 1 to 3 of a line, each followed by ";", then the workplace name: the shape of a line
// bound to a workplace ("Medis;;123;SANDELIS1") or unbound ("Medis;;123;"). Nothing when the
// line has fewer than three fields.
bool bindPayerLine(std::string_view line, std::string_view workplace, std::string& result);

// The payer register "asmenys.txt": one payer per line, Windows-1257, CR LF. A register edited
// on a UTF-8 system is read as UTF-8 and written back as Windows-1257. Every write replaces the
// file atomically, so a failure leaves the old register whole.
class PayerRegister {
  public:
    explicit PayerRegister(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    bool exists() const;

    struct Lines {
        std::vector<std::string> lines;  // UTF-8, without line ends
        Status status = Status::success();
    };
    // A missing file gives no lines.
    Lines load() const;

    Status save(const std::vector<std::string>& lines) const;

    // Ascending, letter case ignored, by Lithuanian collation of the whole line.
    static void sort(std::vector<std::string>& lines);

    // Adds a payer's line and keeps the file sorted; `position` becomes the new line's place.
    Status add(const std::string& line, int& position) const;
    // Replaces the line at `position` (no line changes when it is out of range) and keeps the
    // file sorted; `position` becomes the place of the replacing line, when one was replaced.
    Status replace(int& position, const std::string& line) const;
    // Removes the line at `position`; the order of the others stays.
    Status remove(int position) const;

  private:
    std::string path_;
};
