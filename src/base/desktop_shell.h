#pragma once

#include <string>

// Opening a folder, a web page, a workbook or an installer with the desktop's own program.
// Whether the desktop took the request: false when it has no program to open it with (no
// opener installed) or the path is not there. The window then tells the user the path.
class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    virtual bool open(const std::string& pathOrAddress) = 0;
};
