#pragma once

#include <string>

// Opening a folder, a web page, a workbook or an installer with the desktop's own program.
// Failures are not reported: the caller does not look at the result.
class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    virtual void open(const std::string& pathOrAddress) = 0;
};
