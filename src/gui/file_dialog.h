#pragma once

#include <optional>
#include <string>

// The file-open dialog that chooses the workbook, opening in `startFolder`: the chosen file's
// full path, or nothing when the user cancels. The window shows the system's dialog; tests
// answer from a queue.
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    virtual std::optional<std::string> chooseWorkbook(const std::string& startFolder) = 0;
};
