#pragma once

#include <string>

#include "base/desktop_shell.h"
#include "base/message_boxes.h"

// The desktop as the window uses it: when the desktop cannot open a folder, a page, a workbook
// or an installer, the user is told the path, with a button that copies it, so that they can
// open it by hand.
class ReportingDesktop : public DesktopShell {
  public:
    ReportingDesktop(DesktopShell& desktop, MessageBoxes& boxes)
        : desktop_(desktop), boxes_(boxes) {}

    bool open(const std::string& pathOrAddress) override {
        if (desktop_.open(pathOrAddress)) {
            return true;
        }
        boxes_.showWithPath(MessageKind::Error, cannotOpenText(pathOrAddress), pathOrAddress);
        return false;
    }

    static std::string cannotOpenText(const std::string& pathOrAddress) {
        return "Nepavyko atidaryti:\r\n" + pathOrAddress + "\r\nAtidarykite rankiniu būdu.";
    }

  private:
    DesktopShell& desktop_;
    MessageBoxes& boxes_;
};
