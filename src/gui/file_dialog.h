#pragma once

#include <optional>
#include <string>

// The file-open dialogs, opening in `startFolder`: the chosen file's full path, or nothing when
// the user cancels. The window shows Qt's own dialog; tests answer from a queue.
class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // A workbook (.xls, .xlsx) to make the i.SAF file from.
    virtual std::optional<std::string> chooseWorkbook(const std::string& startFolder) = 0;
    // An i.SAF file (.xml) to check.
    virtual std::optional<std::string> chooseIsafFile(const std::string& startFolder) = 0;
};
