#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "payers/payer.h"

// The payer register "asmenys.txt": one payer per line, Windows-1257, CR LF. A register edited
// on a UTF-8 system is read as UTF-8 and written back as Windows-1257. Every write replaces the
// file atomically, so a failure leaves the old register whole. The register works on whole
// lines, so that a line it does not change is written back exactly as it was read.
class PayerRegister {
  public:
    explicit PayerRegister(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    bool exists() const;

    // The lines in UTF-8, without line ends. A missing file gives no lines.
    Result<std::vector<std::string>> load() const;

    Result<void> save(const std::vector<std::string>& lines) const;

    // Ascending, letter case ignored, by Lithuanian collation of the whole line.
    static void sort(std::vector<std::string>& lines);

    // Adds the payer's line and keeps the file sorted; gives the new line's position.
    Result<int> add(const Payer& payer) const;
    // Replaces the line at `position` (no line changes when it is out of range) and keeps the
    // file sorted; gives the replacing line's new position, or `position` when none was
    // replaced.
    Result<int> replace(int position, const Payer& payer) const;
    // Removes the line at `position`; the order of the others stays.
    Result<void> remove(int position) const;

    // Rewrites the line at `position` with its first three fields as read and the workplace
    // name (none when empty); the order stays. A line already so is not written, and a line
    // with fewer than three fields is refused; with `position` out of range the file is only
    // written back. A missing register stays missing.
    Result<void> bindWorkplace(int position, std::string_view workplace) const;

  private:
    std::string path_;
};
