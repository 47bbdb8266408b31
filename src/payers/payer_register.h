#pragma once

#include <functional>
#include <optional>
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

    // The changes of one payer's line act on its position, which another window may have
    // shifted since the caller read the register (a payer added above it, a line deleted).
    // Each goes on only while the line at `position` still holds `shown`, the payer the caller
    // shows there; otherwise nothing is written and the change is `stale`.
    struct LineChange {
        bool stale = false;
        int position = -1;  // of the changed line afterwards
    };
    // Replaces the payer's line and keeps the file sorted; `position` becomes the replacing
    // line's new position.
    Result<LineChange> replace(int position, const Payer& shown, const Payer& payer) const;
    // Removes the payer's line; the order of the others stays.
    Result<LineChange> remove(int position, const Payer& shown) const;
    // Rewrites the payer's line with its first three fields as read and the workplace name
    // (none when empty); the order stays. A line already so is not written, and a line with
    // fewer than three fields is refused.
    Result<LineChange> bindWorkplace(int position, const Payer& shown,
                                     std::string_view workplace) const;

    // The position of a line that holds `payer`: `preferred` while it still does, else the
    // first; -1 when none does.
    Result<int> find(const Payer& payer, int preferred = -1) const;

  private:
    // Loads the lines and, while the one at `position` still holds `shown`, lets `change` edit
    // them; `change` gives the changed line's position, or nothing when nothing needs saving.
    Result<LineChange> changeShownLine(
        int position, const Payer& shown,
        const std::function<Result<std::optional<int>>(std::vector<std::string>&)>& change) const;

    std::string path_;
};
